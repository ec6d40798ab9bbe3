// The user's driver settings file may be edited or damaged: parsing must
// take only well-formed values, and what it took must survive a write and
// a read.
#include <cstdint>
#include <string_view>

#include "UserSettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DriverValues values;
    UserSettingsFile::Parse(std::string_view(reinterpret_cast<const char*>(data), size), values);
    DriverValues back;
    back.settingsSource = ~values.settingsSource;
    UserSettingsFile::Parse(UserSettingsFile::Format(values), back);
    if (!(back == values)) __builtin_trap();
    return 0;
}
