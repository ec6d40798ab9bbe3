// Driver data files are read as private profiles: any content must give a
// value or the default, without a crash or a hang.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/PrivateProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    static const char* const lookups[][2] = {
        {"User Mode Printer Driver Information", "TQAPII"}, {"S", "K"}, {"", ""}, {" s ", " k "}};
    for (const auto& l : lookups) {
        const std::string value = PrivateProfile::ReadString(text, l[0], l[1], "default");
        if (value.size() > size && value != "default") __builtin_trap();
    }
    return 0;
}
