// Whatever the operator types (or pastes) into a numeric field is cleaned by
// NormalizeNumberText: any bytes, any range, never a read past the end, and
// the result is always a short number text within the range.
#include "base/NumberText.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::memcpy(&a, data, 4);
    std::memcpy(&b, data + 4, 4);
    const bool emptyAllowed = data[8] & 1;
    const int minimum = a < b ? a : b;
    const int maximum = a < b ? b : a;
    // Exact-size copy, so the sanitizer sees any read beyond the text.
    char* bytes = static_cast<char*>(std::malloc(size - 9 + 1));
    std::memcpy(bytes, data + 9, size - 9);
    std::string text(bytes, size - 9);
    std::free(bytes);

    NormalizeNumberText(text, minimum, maximum, emptyAllowed);

    if (text.size() > 12) std::abort();
    if (text.empty() || text == "-" || text == "-0" || text == "0" || text == "-00") return 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (v < minimum || v > maximum) std::abort();
    return 0;
}
