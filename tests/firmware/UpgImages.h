#pragma once

// Small firmware images for the tests: a valid header over generated data,
// and the ways of spoiling one.
#include <cstdint>
#include <string>

namespace upg {

inline void PutLe32(std::string& image, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        image[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::uint32_t Sum(const std::string& image) {
    std::uint32_t sum = 0;
    for (std::size_t i = 32; i < image.size(); ++i)
        sum += static_cast<std::uint8_t>(image[i]);
    return sum;
}

// A valid image: `dataSize` bytes of data (a pattern seeded by `seed`),
// version text `version` (six characters).
inline std::string Make(const std::string& version, std::size_t dataSize, unsigned seed = 1) {
    std::string image(32 + dataSize, '\0');
    for (std::size_t i = 0; i < 8; ++i)
        image[i] = static_cast<char>(0xA0 + i);
    std::uint32_t x = seed * 2654435761u + 12345;
    for (std::size_t i = 32; i < image.size(); ++i) {
        x = x * 1103515245u + 12345u;
        image[i] = static_cast<char>(x >> 24);
    }
    image.replace(16, 6, version.substr(0, 6));
    PutLe32(image, 8, static_cast<std::uint32_t>(dataSize));
    PutLe32(image, 12, Sum(image));
    return image;
}

// Recomputes the checksum after the data changed.
inline std::string Resummed(std::string image) {
    PutLe32(image, 12, Sum(image));
    return image;
}

} // namespace upg
