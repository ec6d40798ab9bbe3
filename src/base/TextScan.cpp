#include "base/TextScan.h"

#include <cstdio>
#include <limits>

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One "%d" conversion at `pos`; false when no digit follows.
bool ScanInt(std::string_view text, std::size_t& pos, std::int32_t& value) {
    std::size_t p = pos;
    while (p < text.size() && IsSpace(text[p])) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    if (p >= text.size() || !IsDigit(text[p])) return false;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t v = 0;
    while (p < text.size() && IsDigit(text[p])) {
        if (v <= kLimit) v = v * 10 + (text[p] - '0');
        ++p;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<std::int32_t>::max()) v = std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) v = std::numeric_limits<std::int32_t>::min();
    value = static_cast<std::int32_t>(v);
    pos = p;
    return true;
}

}  // namespace

namespace TextScan {

int CommaIntegers(std::string_view text, std::int32_t* out, int count) {
    std::size_t pos = 0;
    int stored = 0;
    while (stored < count) {
        if (stored > 0) {
            if (pos >= text.size() || text[pos] != ',') break;
            ++pos;
        }
        if (!ScanInt(text, pos, out[stored])) break;
        ++stored;
    }
    return stored;
}

std::int32_t Atoi(std::string_view text) {
    std::size_t pos = 0;
    std::int32_t value = 0;
    return ScanInt(text, pos, value) ? value : 0;
}

std::string IdKey(int id) {
    char key[32];
    std::snprintf(key, sizeof key, "00%06d", id);
    return key;
}

std::string WithLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace TextScan
