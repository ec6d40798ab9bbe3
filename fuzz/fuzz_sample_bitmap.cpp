// Sample images: the bitmap header reader, the size rule and the image check
// on any bytes, and loading the pixels for a sheet.
#include "FuzzInputFile.h"
#include "sampleprint/SampleImage.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto header = ReadSampleBitmapHeader(data, size);
    if (header.has_value() != (size >= SampleBitmapHeader::kSize)) __builtin_trap();
    if (header) {
        const auto required = header->RequiredFileSize();
        volatile std::int64_t sink = required.value_or(-1) + header->RowBytes();
        (void)sink;
    }

    const std::string& path = FuzzInputFile("bmp", data, size);
    const int check = CheckSampleImage(path);
    if (check != 0 && check != -1 && check != -2) __builtin_trap();
    if (!header && check != -2) __builtin_trap();

    const QImage image = LoadSampleImage(path);
    if (!image.isNull()) {
        // Only a whole image of the stated size loads.
        if (!header || image.width() != header->width || image.height() != header->height)
            __builtin_trap();
        if (check == -2) __builtin_trap();
        if ((check == 0) !=
            (image.width() == kSampleImageWidth && image.height() == kSampleImageHeight))
            __builtin_trap();
    }
    return 0;
}
