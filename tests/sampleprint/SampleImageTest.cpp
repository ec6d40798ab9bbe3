#include "sampleprint/SampleImage.h"

#include "SampleBitmaps.h"
#include "TestFiles.h"

#include <climits>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::uint32_t Grey(int, int) {
    return 0x808080;
}

} // namespace

// The size rule: pixel offset + padded rows x height, whatever the header
// states; bytes missing by one, a wrong size and unreadable files.
TEST(SampleImage, CheckAcceptsOnlyAFullImageOfTheSampleSize) {
    TempDir dir;
    const std::string full = BitmapBytes(kSampleImageWidth, kSampleImageHeight, Grey);
    struct Case {
        const char* name;
        std::string bytes;
        int expected;
    };
    const Case cases[] = {
        {"exact", full, 0},
        {"one byte more", full + "x", 0},
        {"one byte short", full.substr(0, full.size() - 1), -2},
        {"header only", full.substr(0, 54), -2},
        {"information header cut", full.substr(0, 53), -2},
        {"file header cut", full.substr(0, 13), -2},
        {"empty", "", -2},
        {"wrong width", BitmapBytes(4059, 3, Grey), -1},
        {"small", BitmapBytes(4, 2, Grey), -1},
        // Height negative (top-down): nothing is required beyond the offset.
        {"negative height", BitmapHeader(kSampleImageWidth, -kSampleImageHeight), -1},
        // Sizes whose product does not fit any integer are more than the file holds.
        {"huge", BitmapHeader(INT_MAX, INT_MAX), -2},
        {"huge negative", BitmapHeader(INT_MIN, INT_MAX), -2},
        {"offset beyond the file", BitmapHeader(1, 1, 0xFFFFFFFF), -2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CheckSampleImage(dir.write(c.name, c.bytes)), c.expected) << c.name;
    }
    EXPECT_EQ(CheckSampleImage(dir.file("missing.bmp")), -2);
    EXPECT_EQ(CheckSampleImage(dir.path().string()), -2); // a folder
}

TEST(SampleImage, RequiredSizeIsDefinedForAnyHeader) {
    SampleBitmapHeader h;
    h.pixelOffset = 54;
    h.width = kSampleImageWidth;
    h.height = kSampleImageHeight;
    EXPECT_EQ(h.RowBytes(), 12180);
    EXPECT_EQ(h.RequiredFileSize(), 54 + 12180LL * 1190);
    h.width = 5; // 15 bytes padded to 16
    EXPECT_EQ(h.RowBytes(), 16);
    h.width = INT_MAX;
    h.height = INT_MAX;
    EXPECT_FALSE(h.RequiredFileSize().has_value());
    h.width = INT_MIN;
    EXPECT_FALSE(h.RequiredFileSize().has_value());
    h.height = INT_MIN;
    EXPECT_LT(h.RowBytes(), 0);
}

TEST(SampleImage, ReadsTheHeaderFieldsAndRefusesShortInput) {
    const std::string header = BitmapHeader(-7, 1190, 138);
    const auto h =
        ReadSampleBitmapHeader(reinterpret_cast<const std::uint8_t*>(header.data()), header.size());
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->width, -7);
    EXPECT_EQ(h->height, 1190);
    EXPECT_EQ(h->pixelOffset, 138u);
    EXPECT_FALSE(ReadSampleBitmapHeader(reinterpret_cast<const std::uint8_t*>(header.data()), 53)
                     .has_value());
    EXPECT_FALSE(ReadSampleBitmapHeader(nullptr, 54).has_value());
}

// Rows are stored bottom-up in blue, green, red order with padding.
TEST(SampleImage, LoadsPixelsTopDownInTheirColours) {
    TempDir dir;
    const std::string path =
        dir.write("small.bmp", BitmapBytes(5, 3, [](int x, int y) -> std::uint32_t {
                      if (y == 0) return 0xFF0000;
                      if (y == 2) return 0x0000FF;
                      return x == 4 ? 0x00FF00 : 0xFFFFFF;
                  }));
    const QImage image = LoadSampleImage(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(5, 3));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(4, 1), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(3, 1), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(2, 2), qRgb(0, 0, 255));
}

TEST(SampleImage, LoadRefusesBrokenAndOversizedImages) {
    TempDir dir;
    const std::string good = BitmapBytes(5, 3, Grey);
    const std::pair<const char*, std::string> cases[] = {
        {"short", good.substr(0, good.size() - 1)},
        {"no information block", BitmapHeader(1, 1, 14) + std::string(4, '\0')},
        {"zero width", BitmapHeader(0, 3)},
        {"negative height", BitmapHeader(5, -3) + std::string(64, '\0')},
        // States 64 GiB of pixels: refused before anything is allocated.
        {"oversized", BitmapHeader(1 << 20, 1 << 14)},
    };
    for (const auto& [name, bytes] : cases)
        EXPECT_TRUE(LoadSampleImage(dir.write(name, bytes)).isNull()) << name;
}

TEST(SampleImage, StandardImageLiesBesideTheProgram) {
    EXPECT_EQ(SampleImagePathBeside("/opt/plotcare/bin/plotcare"), "/opt/plotcare/bin/Sample.bmp");
    EXPECT_EQ(SampleImagePathBeside("plotcare"), "Sample.bmp");
    const std::filesystem::path standard = StandardSampleImagePath();
    EXPECT_EQ(standard.filename(), "Sample.bmp");
    EXPECT_EQ(standard.parent_path(),
              std::filesystem::read_symlink("/proc/self/exe").parent_path());
}
