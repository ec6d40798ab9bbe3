#include "base/NumberText.h"

#include <cstddef>
#include <cstdint>

namespace {

// Bytes of the UTF-8 sequence that `lead` begins; 1 for a byte that begins
// none (ASCII, a stray continuation byte, an invalid byte).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

void NormalizeNumberText(std::string& text, int minimum, int maximum, bool emptyAllowed) {
    std::size_t minus = 0;
    std::string digits;
    digits.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '-') {
            ++minus;
            ++i;
        } else if (c >= '0' && c <= '9') {
            digits += static_cast<char>(c);
            ++i;
        } else {
            // A multi-byte character goes whole; a broken one as far as its
            // continuation bytes go, never past the end of the text.
            const std::size_t length = SequenceLength(c);
            std::size_t n = 1;
            while (n < length && i + n < text.size() && IsContinuation(static_cast<unsigned char>(text[i + n])))
                ++n;
            i += n;
        }
    }
    const bool negative = minus % 2 == 1;

    if (digits.empty()) {
        text = negative && minimum < 0 ? "-" : "";
        if (!emptyAllowed) text += '0';
        return;
    }
    // Saturates far beyond the int range, so a long run of digits clamps.
    constexpr std::int64_t kCap = std::int64_t{1} << 40;
    std::int64_t v = 0;
    for (const char d : digits) {
        v = v * 10 + (d - '0');
        if (v > kCap) v = kCap;
    }
    if (negative) v = -v;
    if (v > maximum) {
        text = std::to_string(maximum);
    } else if (v < minimum) {
        text = std::to_string(minimum);
    } else if (v == 0 && negative && minimum < 0) {
        text = "-0";
    } else {
        text = std::to_string(v);
    }
}

QString NormalizeNumberText(const QString& text, int minimum, int maximum, bool emptyAllowed) {
    std::string bytes = text.toStdString();
    NormalizeNumberText(bytes, minimum, maximum, emptyAllowed);
    return QString::fromStdString(bytes);
}
