// Firmware image checks, versions and the job head: each rejection in its
// order on small generated files, the version mark, the comparison of
// versions, the fill block rule byte for byte, and the version reply.
#include "firmware/FirmwareImage.h"

#include "SpecialFiles.h"
#include "TestFiles.h"
#include "UpgImages.h"
#include "firmware/CUpgScanner.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct CheckCase {
    const char* name;
    std::string image;
    int result;
    const char* version; // expected when the result is 0
};

std::string With(std::string image, std::size_t at, char c) {
    image[at] = c;
    return image;
}

std::string WithLength(std::string image, std::uint32_t length) {
    upg::PutLe32(image, 8, length);
    return image;
}

std::string WithSum(std::string image, std::uint32_t delta) {
    upg::PutLe32(image, 12, upg::Sum(image) + delta);
    return image;
}

std::vector<CheckCase> CheckCases() {
    const std::string good = upg::Make("I03000", 100);
    const std::string badMark = upg::Make("X03000", 100);
    return {
        {"valid", good, kUpgValid, "I03000"},
        {"lower_case_mark", upg::Make("i12AB9", 7), kUpgValid, "i12AB9"},
        {"header_only", upg::Make("I00001", 0), kUpgValid, "I00001"},
        {"empty", "", kUpgCorrupt, ""},
        {"31_bytes", good.substr(0, 31), kUpgCorrupt, ""},
        {"length_one_more", WithLength(good, 101), kUpgCorrupt, ""},
        {"length_one_less", WithLength(good, 99), kUpgCorrupt, ""},
        {"length_huge", WithLength(good, 0xFFFFFFFFu), kUpgCorrupt, ""},
        {"cut_short", good.substr(0, good.size() - 1), kUpgCorrupt, ""},
        {"checksum_one_more", WithSum(good, 1), kUpgCorrupt, ""},
        {"checksum_one_less", WithSum(good, 0xFFFFFFFFu), kUpgCorrupt, ""},
        {"data_changed", With(good, 40, static_cast<char>(good[40] + 1)), kUpgCorrupt, ""},
        {"mark_not_I", badMark, kUpgBadVersionMark, ""},
        {"second_not_digit", upg::Make("IA3000", 10), kUpgBadVersionMark, ""},
        {"second_colon", upg::Make("I:3000", 10), kUpgBadVersionMark, ""},
        {"mark_J", upg::Make("J03000", 10), kUpgBadVersionMark, ""},
        // The length and the checksum are looked at before the version mark.
        {"short_and_bad_mark", badMark.substr(0, 31), kUpgCorrupt, ""},
        {"length_and_bad_mark", WithLength(badMark, 5), kUpgCorrupt, ""},
        {"checksum_and_bad_mark", WithSum(badMark, 1), kUpgCorrupt, ""},
    };
}

TEST(UpgChecks, EachRejectionInItsOrder) {
    TempDir dir;
    for (const CheckCase& c : CheckCases()) {
        SCOPED_TRACE(c.name);
        std::string version = "unchanged";
        EXPECT_EQ(CheckUpgImage(reinterpret_cast<const std::uint8_t*>(c.image.data()),
                                c.image.size(), version),
                  c.result);
        EXPECT_EQ(version, c.result == kUpgValid ? c.version : "unchanged");
        // The same verdict from the file.
        version = "unchanged";
        EXPECT_EQ(ReadUpgHeader(dir.write(std::string(c.name) + ".UPG", c.image), version),
                  c.result);
        EXPECT_EQ(version, c.result == kUpgValid ? c.version : "unchanged");
    }
}

TEST(UpgChecks, TheChecksumWrapsAtThirtyTwoBits) {
    // 0xFF × 16 843 010 bytes is more than 2^32.
    std::string image = upg::Make("I04000", 16843010);
    std::fill(image.begin() + 32, image.end(), static_cast<char>(0xFF));
    image = upg::Resummed(image);
    const std::uint64_t wide = 0xFFull * 16843010ull;
    ASSERT_GT(wide, 0xFFFFFFFFull);
    std::string version;
    EXPECT_EQ(
        CheckUpgImage(reinterpret_cast<const std::uint8_t*>(image.data()), image.size(), version),
        kUpgValid);
    upg::PutLe32(image, 12, static_cast<std::uint32_t>(wide >> 32)); // the carry is not part of it
    EXPECT_EQ(
        CheckUpgImage(reinterpret_cast<const std::uint8_t*>(image.data()), image.size(), version),
        kUpgCorrupt);
}

TEST(UpgChecks, FilesThatCannotBeReadAreCorrupt) {
    TempDir dir;
    std::string version;
    EXPECT_EQ(ReadUpgHeader(dir.file("missing.UPG"), version), kUpgCorrupt);
    std::filesystem::create_directories(dir.file("folder.UPG"));
    EXPECT_EQ(ReadUpgHeader(dir.file("folder.UPG"), version), kUpgCorrupt);
    // A FIFO is refused at once instead of waiting for a writer.
    LateWriterFifo fifo(dir.file("fifo.UPG"));
    ASSERT_TRUE(fifo.Made());
    EXPECT_LT(ElapsedMs([&] { EXPECT_EQ(ReadUpgHeader(fifo.Path(), version), kUpgCorrupt); }),
              1000);
    // Larger than any image can be (a sparse file: nothing is read).
    const std::string huge = dir.write("huge.UPG", "");
    ASSERT_EQ(truncate(huge.c_str(), static_cast<off_t>(kUpgMaxFileBytes + 1)), 0);
    EXPECT_LT(ElapsedMs([&] { EXPECT_EQ(ReadUpgHeader(huge, version), kUpgCorrupt); }), 1000);
    EXPECT_TRUE(version.empty());
    EXPECT_FALSE(ScanUpgFile(huge).readable);
    EXPECT_FALSE(ScanUpgFile(dir.file("missing.UPG")).readable);
    EXPECT_TRUE(ScanUpgFile(dir.write("short.UPG", "I0")).readable);
}

TEST(UpgChecks, PiecesOfAnySizeGiveTheSameVerdictAndDigest) {
    const std::string image = upg::Make("I03010", 1000);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image.data());
    CUpgScanner whole;
    whole.Feed(bytes, image.size());
    std::string version;
    ASSERT_EQ(whole.Result(version), kUpgValid);
    for (std::size_t piece : {1u, 3u, 7u, 8u, 9u, 31u, 32u, 33u, 4096u}) {
        SCOPED_TRACE(piece);
        CUpgScanner scanner;
        for (std::size_t at = 0; at < image.size(); at += piece)
            scanner.Feed(bytes + at, std::min(piece, image.size() - at));
        std::string v;
        EXPECT_EQ(scanner.Result(v), kUpgValid);
        EXPECT_EQ(v, "I03010");
        EXPECT_EQ(scanner.Size(), image.size());
        EXPECT_EQ(scanner.Digest(), whole.Digest());
    }
    // Bytes that pass the same checks but differ have another digest: two
    // data bytes swapped, a zero byte more (with the length fixed).
    std::string swapped = image;
    std::swap(swapped[100], swapped[101]);
    ASSERT_NE(swapped, image);
    std::string longer = image + '\0';
    upg::PutLe32(longer, 8, 1001);
    for (const std::string& other : {swapped, longer}) {
        CUpgScanner scanner;
        scanner.Feed(reinterpret_cast<const std::uint8_t*>(other.data()), other.size());
        std::string v;
        EXPECT_EQ(scanner.Result(v), kUpgValid);
        EXPECT_NE(scanner.Digest(), whole.Digest());
    }
}

struct CompareCase {
    const char* printer;
    const char* file;
    int status;
    bool enabled;
};

TEST(Versions, NumbersReadPositionsFourFiveTwoThreeAsHex) {
    EXPECT_EQ(VersionNumber("I02010"), 0x1020u);
    EXPECT_EQ(VersionNumber("I0ABcd"), 0xcdABu);
    EXPECT_EQ(VersionNumber("I00203"), 0x0302u);
    // Reading stops at the first character that is no hex digit.
    EXPECT_EQ(VersionNumber("I0G5x7"), 0x0u);
    EXPECT_EQ(VersionNumber("I0125x"), 0x5u);
    EXPECT_EQ(VersionNumber("I012"), 0x0u);
    EXPECT_EQ(VersionNumber(""), 0x0u);

    const CompareCase cases[] = {
        // The example of the printer 0203 against the file 0302: 0x0302 > 0x0203.
        {"I00203", "I00302", kStatusPrinterNewer, false},
        {"I00302", "I00203", kStatusFileNewer, true},
        {"I02010", "I02010", kStatusSameVersion, true},
        // Equal numbers, different texts: the same version for the comparison.
        {"I02010", "i02010", kStatusSameVersion, true},
        {"I02010", "I03010", kStatusFileNewer, true},
        {"I02010", "I02011", kStatusFileNewer, true},
        {"", "I02010", kStatusNone, false},
        {"I02010", "", kStatusNone, false},
        {"", "", kStatusNone, false},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(std::string(c.printer) + " vs " + c.file);
        const VersionDecision d = CompareVersions(c.printer, c.file);
        EXPECT_EQ(d.status, c.status);
        EXPECT_EQ(d.updateEnabled, c.enabled);
    }
}

TEST(FirmwareJob, TheFillBlockGoesUnlessThePrinterSaysI00000) {
    const std::uint8_t header[] = {0x1B, 0x7D, 0x01, 0x05, 0x00, 0x61, 0x02, 0x70, 0x8F, 0x38};
    std::vector<std::uint8_t> out(kFirmwareJobHeadRoom + 8, 0xEE);
    for (const char* version : {"I02010", "", "i00000", "I00000 ", "I0000"}) {
        SCOPED_TRACE(version);
        std::fill(out.begin(), out.end(), 0xEE);
        ASSERT_EQ(BuildFirmwareJobHead(out.data(), out.size(), version), 16394);
        for (std::size_t i = 0; i < 16384; ++i)
            ASSERT_EQ(out[i], 0x11) << i;
        EXPECT_TRUE(std::equal(header, header + 10, out.begin() + 16384));
        EXPECT_EQ(out[16394], 0xEE);
    }
    std::fill(out.begin(), out.end(), 0xEE);
    ASSERT_EQ(BuildFirmwareJobHead(out.data(), out.size(), "I00000"), 10);
    EXPECT_TRUE(std::equal(header, header + 10, out.begin()));
    EXPECT_EQ(out[10], 0xEE);
    // Too little room: nothing.
    EXPECT_EQ(BuildFirmwareJobHead(out.data(), 16393, "I02010"), 0);
    EXPECT_EQ(BuildFirmwareJobHead(out.data(), 9, "I00000"), 0);
    EXPECT_EQ(BuildFirmwareJobHead(nullptr, 100000, "I00000"), 0);
}

TEST(FirmwareVersionReply, TheTextAfterVI00UpToTheFirstSemicolon) {
    struct Case {
        std::string reply;
        int result;
        const char* version;
    };
    const Case cases[] = {
        {"VI:00I02010;", 12, "I02010"},
        {"@BDC PS\r\nVI:00I03000;\r\n", 23, "I03000"},
        {"VI:00I02010", 11, "I02010"},
        {"VI:00;", 6, ""},
        {"VI:01I02010;", 12, ""},
        {"SN:01;VI:00I02010;", 18, ""}, // cut at the first ';'
        {"VI:00I02010;", 0, ""},
        {"VI:00I02010;", -6, ""},
        {std::string("VI:00I0\0"
                     "2010;",
                     12),
         12, "I0"},
        {"VI:00I02010;", 8, "I02"}, // only the bytes received
        {"", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        std::vector<std::uint8_t> buffer(512, 0);
        std::copy(c.reply.begin(), c.reply.end(), buffer.begin());
        EXPECT_EQ(FirmwareVersionFromReply(c.result, buffer.data(), 512), c.version);
    }
}

} // namespace
