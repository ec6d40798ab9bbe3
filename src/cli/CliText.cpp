#include "cli/CliText.h"

#include <cstdint>
#include <cstdio>

namespace cli {

namespace {

// The length of the well-formed UTF-8 sequence at s[i] (1 to 4) and its
// code point; 0 when the bytes there are no such sequence (a stray or
// missing continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
int Utf8Sequence(const std::string& s, std::size_t i, std::uint32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (int k = 1; k < length; ++k) {
        const unsigned char c = byte(i + k);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return length;
}

bool IsControl(std::uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

void AppendHex(std::string& o, const char* format, unsigned value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, format, value);
    o += buf;
}

} // namespace

std::string Escaped(const std::string& s) {
    std::string o;
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t cp = 0;
        const int n = Utf8Sequence(s, i, cp);
        if (n > 0 && !IsControl(cp)) {
            if (cp == '\\')
                o += "\\\\";
            else
                o.append(s, i, static_cast<std::size_t>(n));
            i += static_cast<std::size_t>(n);
            continue;
        }
        if (cp == '\n' && n == 1) {
            o += "\\n";
        } else if (cp == '\r' && n == 1) {
            o += "\\r";
        } else if (cp == '\t' && n == 1) {
            o += "\\t";
        } else {
            // A control character's bytes, or one byte that is no UTF-8.
            const int bytes = n > 0 ? n : 1;
            for (int k = 0; k < bytes; ++k) AppendHex(o, "\\x%02X", static_cast<unsigned char>(s[i + k]));
            i += static_cast<std::size_t>(bytes);
            continue;
        }
        i += 1;
    }
    return o;
}

std::string JsonString(const std::string& s) {
    std::string o = "\"";
    for (std::size_t i = 0; i < s.size();) {
        std::uint32_t cp = 0;
        const int n = Utf8Sequence(s, i, cp);
        if (n == 0) {
            o += "\\ufffd";
            ++i;
            continue;
        }
        switch (cp) {
        case '"': o += "\\\""; break;
        case '\\': o += "\\\\"; break;
        case '\n': o += "\\n"; break;
        case '\r': o += "\\r"; break;
        case '\t': o += "\\t"; break;
        default:
            if (IsControl(cp))
                AppendHex(o, "\\u%04x", cp);
            else
                o.append(s, i, static_cast<std::size_t>(n));
        }
        i += static_cast<std::size_t>(n);
    }
    return o + "\"";
}

} // namespace cli
