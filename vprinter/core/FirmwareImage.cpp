#include "FirmwareImage.h"

namespace vprinter {

int CheckFirmwareImage(const std::uint8_t* image, std::size_t length, std::string& version) {
    if (!image || length < 32) return -2;
    auto le32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(image[at]) | (static_cast<std::uint32_t>(image[at + 1]) << 8) |
               (static_cast<std::uint32_t>(image[at + 2]) << 16) | (static_cast<std::uint32_t>(image[at + 3]) << 24);
    };
    if (static_cast<std::uint64_t>(le32(8)) != length - 32) return -2;
    std::uint32_t sum = 0;
    for (std::size_t i = 32; i < length; ++i) sum += image[i];
    if (sum != le32(12)) return -2;
    if ((image[16] != 'I' && image[16] != 'i') || image[17] < '0' || image[17] > '9') return -3;
    version.assign(reinterpret_cast<const char*>(image + 16), 6);
    return 0;
}

} // namespace vprinter
