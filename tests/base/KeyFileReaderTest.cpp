#include "base/CKeyFileReader.h"
#include "SpecialFiles.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct LookupCase {
    const char* name;
    const char* file;
    const char* key;
    int result;
    const char* value;
};

class PlainLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(PlainLookup, FindsTheRightLine) {
    const LookupCase& c = GetParam();
    TempDir dir;
    CKeyFileReader reader;
    ASSERT_TRUE(reader.Open(dir.write("k.ini", c.file)));
    std::string out = "untouched";
    EXPECT_EQ(reader.GetValue(c.key, out) == 0 ? 0 : -1, c.result);
    EXPECT_EQ(out, c.value);
}

INSTANTIATE_TEST_SUITE_P(
    KeyFile, PlainLookup,
    ::testing::Values(
        LookupCase{"simple", "A=1\nB=2\n", "B", 0, "2"},
        LookupCase{"longerKeyIsSkipped", "MEDIA010=ten\nMEDIA01=one\n", "MEDIA01", 0, "one"},
        LookupCase{"firstLineWins", "A=1\nA=2\n", "A", 0, "1"},
        LookupCase{"noTrimming", "A= x \n", "A", 0, " x "},
        LookupCase{"blankBeforeEquals", "A =1\n", "A", -1, "untouched"},
        LookupCase{"caseSensitive", "a=1\n", "A", -1, "untouched"},
        LookupCase{"sectionsIgnored", "[S]\nA=1\n", "A", 0, "1"},
        LookupCase{"redirectFromTop", "B=2\nA:B\n", "A", 0, "2"},
        LookupCase{"redirectChain", "A:B\nB:C\nC=3\n", "A", 0, "3"},
        LookupCase{"redirectToMissingIsFoundButUntouched", "A:Z\n", "A", 0, "untouched"},
        LookupCase{"selfRedirectEnds", "A:A\n", "A", -1, "untouched"},
        LookupCase{"ringEnds", "A:B\nB:A\n", "A", -1, "untouched"},
        LookupCase{"crlfLine", "A=1\r\n", "A", 0, "1"},
        LookupCase{"lastLineWithoutNewline", "A=1", "A", 0, "1"},
        LookupCase{"emptyValue", "A=\n", "A", 0, ""},
        LookupCase{"missing", "A=1\n", "B", -1, "untouched"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KeyFile, LongLinesAreSplitAt255Characters) {
    TempDir dir;
    // The continuation of a long line starts with "K=": it answers as a line
    // of its own, as the printer's key files have always been read.
    const std::string text = "X=" + std::string(253, 'a') + "K=tail\n";
    CKeyFileReader reader;
    ASSERT_TRUE(reader.Open(dir.write("k.ini", text)));
    std::string line;
    ASSERT_EQ(reader.ReadLine(line), 0);
    EXPECT_EQ(line.size(), 255u);
    ASSERT_EQ(reader.ReadLine(line), 0);
    EXPECT_EQ(line, "K=tail");
    EXPECT_EQ(reader.ReadLine(line), -1);
    EXPECT_EQ(CKeyFileReader::Lookup(dir.file("k.ini"), "K"), "tail");
}

TEST(KeyFile, LookupReadsFromCurrentPosition) {
    TempDir dir;
    CKeyFileReader reader;
    ASSERT_TRUE(reader.Open(dir.write("k.ini", "A=1\nB=2\n")));
    std::string out;
    EXPECT_EQ(reader.GetValue("B", out), 0);
    EXPECT_NE(reader.GetValue("A", out), 0); // already past it
}

TEST(KeyFile, SectionLookup) {
    TempDir dir;
    const std::string path = dir.write("s.ini",
                                       "K=outside\n"
                                       "[Other]\nK=other\n"
                                       "[Sect] \nK=trailingBlank\n"
                                       "[Sect]\nJ =blank\nK=inside\n");
    struct {
        const char* section;
        const char* key;
        int result;
        const char* value;
    } cases[] = {
        {"Sect", "K", 0, "inside"},
        {"Other", "K", 0, "other"},
        {"Sect", "J", -1, ""},
        {"Missing", "K", -1, ""},
        {"sect", "K", -1, ""},
    };
    for (const auto& c : cases) {
        CKeyFileReader reader;
        ASSERT_TRUE(reader.Open(path));
        std::string out;
        EXPECT_EQ(reader.GetSectionValue(c.section, c.key, out) == 0 ? 0 : -1, c.result)
            << c.section << "/" << c.key;
        if (c.result == 0) {
            EXPECT_EQ(out, c.value);
        }
    }
}

TEST(KeyFile, UnopenableFile) {
    CKeyFileReader reader;
    EXPECT_FALSE(reader.Open("/nonexistent/k.ini"));
    std::string out;
    EXPECT_NE(reader.GetValue("A", out), 0);
    EXPECT_EQ(CKeyFileReader::Lookup("/nonexistent/k.ini", "A"), "");
}

// Key files lie in a folder others may change: only a regular file of a sane
// size is read, and refusing anything else takes no time (a FIFO would
// block start-up, a link to an endless device would keep a lookup reading).
TEST(KeyFile, OpensOnlyRegularFilesOfBoundedSize) {
    TempDir dir;
    CKeyFileReader reader;
    {
        LateWriterFifo fifo(dir.file("fifo.ini"));
        ASSERT_TRUE(fifo.Made());
        EXPECT_LT(ElapsedMs([&] { EXPECT_FALSE(reader.Open(fifo.Path())); }), 1000);
        EXPECT_FALSE(reader.IsOpen());
    }
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.ini"));
    ASSERT_FALSE(reader.Open(dir.file("zero.ini")));
    EXPECT_EQ(CKeyFileReader::Lookup(dir.file("zero.ini"), "A"), "");
    EXPECT_FALSE(reader.Open(dir.path().string())); // a folder

    // A file of exactly the cap opens; one byte more does not.
    const std::string big = "A=1\n" + std::string(CKeyFileReader::kMaxFileSize - 4, 'x');
    ASSERT_TRUE(reader.Open(dir.write("max.ini", big)));
    std::string out;
    EXPECT_EQ(reader.GetValue("A", out), 0);
    EXPECT_EQ(out, "1");
    EXPECT_FALSE(reader.Open(dir.write("over.ini", big + "x")));
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(CKeyFileReader::Lookup(dir.file("over.ini"), "A"), "");
}

} // namespace
