#include <gtest/gtest.h>

#include "SpecialFiles.h"
#include "TestFiles.h"
#include "platform/PrivateProfile.h"

#include <filesystem>

namespace {

const char* const kProfile =
    "; driver data file\n"
    "[Other]\n"
    "TQAPII=wrong.so\n"
    "[ User Mode Printer Driver Information ]\r\n"
    "  tqapii  =  libtqapi.so  \r\n"
    "Quoted=\"  spaced value \"\n"
    "NoEquals\n"
    "Empty=\n"
    "TQAPII=second.so\n"
    "[user mode printer driver information]\n"
    "Later=from the second section\n";

struct Case {
    const char* section;
    const char* key;
    const char* expected;
};

TEST(PrivateProfile, LooksUpLikeTheWindowsProfileReader) {
    const Case cases[] = {
        {"User Mode Printer Driver Information", "TQAPII", "libtqapi.so"},  // trimmed, any case
        {"USER MODE PRINTER DRIVER INFORMATION", "tqapii", "libtqapi.so"},
        {"Other", "TQAPII", "wrong.so"},
        {"User Mode Printer Driver Information", "Quoted", "  spaced value "},
        {"User Mode Printer Driver Information", "Empty", ""},
        {"User Mode Printer Driver Information", "NoEquals", "<default>"},
        // Only the first section of a name is searched.
        {"User Mode Printer Driver Information", "Later", "<default>"},
        {"Missing", "TQAPII", "<default>"},
        {"Other", "Quoted", "<default>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrivateProfile::ReadString(kProfile, c.section, c.key, "<default>"), c.expected)
            << c.section << " / " << c.key;
}

TEST(PrivateProfile, ReadsFilesAndFallsBackWhenMissing) {
    TempDir dir;
    const std::string file = dir.write("driver.ini", kProfile);
    EXPECT_EQ(ReadPrivateProfileString(file, "User Mode Printer Driver Information", "TQAPII", ""), "libtqapi.so");
    EXPECT_EQ(ReadPrivateProfileString(dir.file("none.ini"), "User Mode Printer Driver Information", "TQAPII", "d"),
              "d");
    // A key line with no line break at the end of the file still counts.
    const std::string tail = dir.write("tail.ini", "[S]\nK=v");
    EXPECT_EQ(ReadPrivateProfileString(tail, "S", "K", ""), "v");
}

// The data file's path comes from a queue's driver description: a FIFO
// there gives the default at once instead of blocking, and so does anything
// else that is no regular file or is too large.
TEST(PrivateProfile, ReadsOnlyRegularFilesOfBoundedSize) {
    TempDir dir;
    {
        LateWriterFifo fifo(dir.file("fifo.ini"));
        ASSERT_TRUE(fifo.Made());
        EXPECT_LT(ElapsedMs([&] { EXPECT_EQ(ReadPrivateProfileString(fifo.Path(), "S", "K", "d"), "d"); }), 1000);
    }
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.ini"));
    EXPECT_EQ(ReadPrivateProfileString(dir.file("zero.ini"), "S", "K", "d"), "d");
    const std::string big = "[S]\nK=v\n" + std::string(PrivateProfile::kMaxFileSize, ';');
    EXPECT_EQ(ReadPrivateProfileString(dir.write("big.ini", big), "S", "K", "d"), "d");
}

}  // namespace
