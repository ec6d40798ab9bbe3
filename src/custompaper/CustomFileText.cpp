#include "custompaper/CustomFileText.h"

#include <cstdint>

namespace CustomFileText {

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 where the code page has no character
// (those bytes read as the C1 control of the same number).
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// Length of the UTF-8 sequence at `i` and its code point; 0 when none starts
// there (bad lead byte, truncated, overlong, surrogate, beyond U+10FFFF).
std::size_t Sequence(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = b(i);
    std::size_t n;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (s.size() - i < n) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

void Append(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp < 0xA0);
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    char32_t cp;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = Sequence(bytes, i, cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string Decode(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        char32_t cp = byte;
        if (byte >= 0x80 && byte < 0xA0 && kHigh[byte - 0x80] != 0) cp = kHigh[byte - 0x80];
        Append(out, cp);
    }
    return out;
}

bool Encode(std::string_view utf8, bool utf8File, std::string& out) {
    out.clear();
    std::string bytes;
    char32_t cp;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = Sequence(utf8, i, cp);
        if (n == 0 || IsControl(cp)) return false;
        if (utf8File) {
            bytes.append(utf8.substr(i, n));
        } else if (cp < 0x100) {
            bytes.push_back(static_cast<char>(cp));
        } else {
            std::size_t k = 0;
            while (k < 32 && kHigh[k] != cp)
                ++k;
            if (k == 32) return false;
            bytes.push_back(static_cast<char>(0x80 + k));
        }
        i += n;
    }
    out = std::move(bytes);
    return true;
}

std::string CutCharacters(std::string_view utf8, std::size_t count) {
    char32_t cp;
    std::size_t i = 0;
    for (std::size_t taken = 0; i < utf8.size() && taken < count; ++taken) {
        const std::size_t n = Sequence(utf8, i, cp);
        i += n == 0 ? 1 : n;
    }
    return std::string(utf8.substr(0, i));
}

std::size_t CharacterCount(std::string_view utf8) {
    char32_t cp;
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++count) {
        const std::size_t n = Sequence(utf8, i, cp);
        i += n == 0 ? 1 : n;
    }
    return count;
}

} // namespace CustomFileText
