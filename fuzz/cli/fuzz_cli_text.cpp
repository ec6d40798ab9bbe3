// Whatever bytes a printer puts in its device id or replies, plotcare-cli
// writes no control character to the terminal and only valid UTF-8 JSON.
#include "cli/CliText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// True when `s` is well-formed UTF-8 without control characters.
bool CleanUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        std::uint32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (int k = 1; k < n; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            return false;
        if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return false;
        i += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string in(reinterpret_cast<const char*>(data), size);
    if (!CleanUtf8(cli::Escaped(in))) std::abort();
    const std::string json = cli::JsonString(in);
    if (json.size() < 2 || json.front() != '"' || json.back() != '"' || !CleanUtf8(json)) std::abort();
    return 0;
}
