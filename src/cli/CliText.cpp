#include "cli/CliText.h"

#include <cstdio>

namespace cli {

std::string JsonString(const std::string& s) {
    std::string o = "\"";
    for (unsigned char ch : s) {
        switch (ch) {
        case '"': o += "\\\""; break;
        case '\\': o += "\\\\"; break;
        case '\n': o += "\\n"; break;
        case '\r': o += "\\r"; break;
        case '\t': o += "\\t"; break;
        default:
            if (ch < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", ch);
                o += buf;
            } else {
                o += static_cast<char>(ch);
            }
        }
    }
    return o + "\"";
}

std::string Printable(const std::string& s) {
    std::string o;
    for (unsigned char ch : s) o += (ch < 0x20 || ch == 0x7F) ? '?' : static_cast<char>(ch);
    return o;
}

} // namespace cli
