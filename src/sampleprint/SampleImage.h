#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The sample image of a sample sheet: a bitmap file (14-byte file header,
// 40-byte information header, then 24-bit bottom-up rows padded to 4 bytes)
// of exactly kSampleImageWidth x kSampleImageHeight pixels, laid out at
// kSampleImageDpi.
inline constexpr int kSampleImageWidth = 4060;
inline constexpr int kSampleImageHeight = 1190;
inline constexpr int kSampleImageDpi = 360;

// What the sheet printer takes from a bitmap's two headers.
struct SampleBitmapHeader {
    static constexpr std::size_t kFileHeaderSize = 14;
    static constexpr std::size_t kInfoHeaderSize = 40;
    static constexpr std::size_t kSize = kFileHeaderSize + kInfoHeaderSize;

    std::uint32_t pixelOffset = 0; // where the pixel rows start in the file
    std::int32_t width = 0;
    std::int32_t height = 0;

    // Bytes of one padded row; negative for a negative width.
    std::int64_t RowBytes() const;
    // The bytes the file must hold: pixel offset + rows; none when that sum
    // does not fit 63 bits (any width and height of the header give a
    // defined answer).
    std::optional<std::int64_t> RequiredFileSize() const;
};

// Reads the two headers from the first `size` bytes of a file; none when
// fewer than SampleBitmapHeader::kSize bytes are given. The type mark and the
// bit count are not looked at.
std::optional<SampleBitmapHeader> ReadSampleBitmapHeader(const std::uint8_t* data,
                                                         std::size_t size);

// 0 the image is accepted; -1 readable but not 4060 x 1190 pixels; -2 it
// cannot be opened, is not a regular file, its headers cannot be read in
// full, or the file is shorter than its pixel rows need.
int CheckSampleImage(const std::string& path);

// "Sample.bmp" in the program's own folder (the bare name when the program's
// path is unknown).
std::string StandardSampleImagePath();
// The same for a given program path: its folder up to and including the
// last '/', then "Sample.bmp".
std::string SampleImagePathBeside(const std::string& programPath);

// The largest pixel block the sheet printer loads; larger images are refused
// rather than allocated.
inline constexpr std::int64_t kMaxSampleImageBytes = 256LL * 1024 * 1024;

// The image's pixels as a top-down RGB image; a null image when the file
// cannot be read, its headers are broken, a size is not positive, the pixel
// block exceeds kMaxSampleImageBytes or the file is shorter than its rows.
QImage LoadSampleImage(const std::string& path);
