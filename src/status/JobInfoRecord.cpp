#include "status/JobInfoRecord.h"

#include "comm/CPrinterLink.h"

#include <algorithm>
#include <vector>

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The byte of the pair at `at`; -1 when the pair is missing or no hex pair.
int Pair(const char* digits, std::size_t length, std::size_t at) {
    if (at >= length || length - at < 2) return -1;
    const int high = HexValue(digits[at]);
    const int low = HexValue(digits[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// `bytes` pairs from `at` as one big-endian number (at most 4 bytes).
int Number(const char* digits, std::size_t length, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        const int b = Pair(digits, length, at + 2 * static_cast<std::size_t>(i));
        value = (value << 8) | static_cast<std::uint32_t>(b < 0 ? 0 : b);
    }
    return static_cast<int>(value & 0x7FFFFFFF);
}

std::string Text(const char* digits, std::size_t length, std::size_t at, std::size_t bytes) {
    std::vector<std::uint8_t> raw;
    raw.reserve(bytes);
    for (std::size_t i = 0; i < bytes; ++i) {
        const int b = Pair(digits, length, at + 2 * i);
        if (b > 0) raw.push_back(static_cast<std::uint8_t>(b));
    }
    return JobInfoText(raw.data(), raw.size());
}

// Length of the UTF-8 sequence a lead byte starts; 0 for a byte that
// cannot start one.
std::size_t SequenceLength(std::uint8_t lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Whether the `present` bytes from `p` (lead byte first) can begin a valid
// sequence: continuation bytes only, no overlong form, no surrogate,
// nothing above U+10FFFF.
bool ValidSequence(const std::uint8_t* p, std::size_t present) {
    const std::uint8_t lead = p[0];
    for (std::size_t i = 1; i < present; ++i) {
        std::uint8_t lo = 0x80, hi = 0xBF;
        if (i == 1) {
            if (lead == 0xE0) lo = 0xA0;
            if (lead == 0xED) hi = 0x9F;
            if (lead == 0xF0) lo = 0x90;
            if (lead == 0xF4) hi = 0x8F;
        }
        if (p[i] < lo || p[i] > hi) return false;
    }
    return true;
}

} // namespace

std::string JobInfoText(const std::uint8_t* bytes, std::size_t length) {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    if (!bytes) return out;
    std::size_t i = 0;
    while (i < length) {
        if (bytes[i] == 0) {
            ++i;
            continue;
        }
        const std::size_t n = SequenceLength(bytes[i]);
        if (n == 0) {
            out += kReplacement;
            ++i;
            continue;
        }
        const std::size_t present = std::min(n, length - i);
        if (!ValidSequence(bytes + i, present)) {
            out += kReplacement;
            ++i;
            continue;
        }
        if (present < n) break; // a character cut off by the field's end
        out.append(reinterpret_cast<const char*>(bytes + i), n);
        i += n;
    }
    return out;
}

JobInfoRecord DecodeJobInfo(const char* digits, std::size_t length) {
    namespace L = JobInfoLayout;
    JobInfoRecord r;
    if (!digits) length = 0;
    r.number = Number(digits, length, L::kNumber, 1);
    r.state = Number(digits, length, L::kState, 1);
    r.result = Number(digits, length, L::kResult, 1);
    r.user = Text(digits, length, L::kUser, L::kUserBytes);
    r.name = Text(digits, length, L::kName, L::kNameBytes);
    r.usedThousandths = Number(digits, length, L::kUsed, 2);
    r.pages = Number(digits, length, L::kPages, 2);
    r.printedPages = Number(digits, length, L::kPrintedPages, 2);
    for (std::size_t i = 0; i < r.received.size(); ++i)
        r.received[i] = Number(digits, length, L::kReceived + 2 * i, 1);
    r.printSeconds = Number(digits, length, L::kPrintSeconds, 2);
    return r;
}

bool JobInfoFromReply(const std::uint8_t* reply, int size, JobInfoRecord& record) {
    std::string digits;
    if (!ReplyValue(reply, size, "JI:", digits)) return false;
    record = DecodeJobInfo(digits.data(), digits.size());
    return true;
}
