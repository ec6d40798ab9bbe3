// Settings blocks reach plotcare from the driver library and from its own
// copy: decoding must refuse anything malformed, and what it accepts must
// encode back to the same bytes.
#include <cstdint>
#include <cstring>

#include "platform/DeviceMode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto mode = DeviceModeBlock::Decode(data, size);
    if (!mode) return 0;
    const std::size_t stated = DeviceModeBlock::StatedSize(data);
    const auto again = DeviceModeBlock::Encode(*mode);
    if (again.size() != stated || std::memcmp(again.data(), data, stated) != 0) __builtin_trap();
    return 0;
}
