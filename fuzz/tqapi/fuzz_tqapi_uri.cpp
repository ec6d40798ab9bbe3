// The bidirectional library's reading of a queue's device URI.
#include <cstdint>
#include <string>

#include "DeviceUri.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tqapi::ChannelConfig config;
    tqapi::ParseDeviceUri(std::string(reinterpret_cast<const char*>(data), size), config);
    return 0;
}
