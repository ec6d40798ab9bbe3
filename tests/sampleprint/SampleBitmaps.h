#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The bytes of a small 24-bit bitmap file: 14-byte file header, 40-byte
// information header, bottom-up rows padded to 4 bytes. `colour`(x, y) gives
// 0xRRGGBB for the pixel at x, y counted from the top.
inline std::string BitmapBytes(int width, int height,
                               const std::function<std::uint32_t(int x, int y)>& colour) {
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t offset = 54;
    const std::uint32_t fileSize = offset + static_cast<std::uint32_t>(rowBytes * height);
    std::string b(fileSize, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, fileSize);
    put32(10, offset);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < height; ++y) {
        const std::size_t row = offset + static_cast<std::size_t>(rowBytes) * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colour(x, y);
            b[row + 3 * x] = static_cast<char>(c & 0xFF);
            b[row + 3 * x + 1] = static_cast<char>((c >> 8) & 0xFF);
            b[row + 3 * x + 2] = static_cast<char>((c >> 16) & 0xFF);
        }
    }
    return b;
}

// A header only (54 bytes) stating any width, height and pixel offset.
inline std::string BitmapHeader(std::int32_t width, std::int32_t height,
                                std::uint32_t offset = 54) {
    std::string b(54, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(10, offset);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    return b;
}
