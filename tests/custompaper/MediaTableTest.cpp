#include "custompaper/CMediaTable.h"
#include "custompaper/MediaTypeList.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Rows: id, file id, sub-id, code, variant, kind-2 excl., auto excl.,
// order, thickness, then Mw/Hres/Vres of modes 1..4.
const char* const kFixture =
    "; media of a small test driver\n"
    "[Media]\n"
    "MEDIA_NUM=5\n"
    "MEDIA01=101,1,1,1,0,0,0,30,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA02=101,1,1,65,1,1,0,30,5,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA03=104,1,2,2,0,0,1,10,-1,-1,-1,-1,4,720,720,-1,-1,-1,-1,-1,-1\n"
    "MEDIA04=201,-1,0,8,0,0,0,30,1,2,360,720,4,720,720,8,1440,720,-1,-1,-1\n"
    "MEDIA05=202,2,1,9,1,0,0,20,7,2,360,720,4,720,720,8,1440,720,-1,-1,-1\n";

TEST(MediaTable, LooksUpTheFirstMatchingRow) {
    TempDir dir;
    CMediaTable table(dir.write("Media.ini", kFixture));
    ASSERT_TRUE(table.IsComplete());
    EXPECT_EQ(table.DeclaredCount(), 5);
    ASSERT_EQ(table.Rows().size(), 5u);

    ASSERT_NE(table.FindRow(101, 1), nullptr);
    EXPECT_EQ((*table.FindRow(101, 1))[MediaRow::kMediaCode], 65);
    EXPECT_EQ(table.FindRow(101, -1), &table.Rows()[0]);
    EXPECT_EQ(table.FindRow(202, 0), nullptr);
    EXPECT_EQ(table.FindRow(999, -1), nullptr);

    struct Case { const char* what; int got; int want; };
    const Case cases[] = {
        {"FileId", table.FileId(104), 1},
        {"FileId excluded", table.FileId(201), -1},
        {"FileId missing", table.FileId(999), -1},
        {"FileSubId", table.FileSubId(104), 2},
        {"FileSubId missing", table.FileSubId(999), -1},
        {"MediaCodeOf variant 1", table.MediaCodeOf(101, 1), 65},
        {"MediaCodeOf variant 0", table.MediaCodeOf(101, 0), 1},
        {"MediaCodeOf unknown variant", table.MediaCodeOf(101, 5), 1},
        {"MediaCodeOf only variant 1", table.MediaCodeOf(202, 0), 9},
        {"MediaCodeOf missing", table.MediaCodeOf(999, 0), 0},
        {"IdFromFileIds", table.IdFromFileIds(1, 2), 104},
        {"IdFromFileIds first row", table.IdFromFileIds(1, 1), 101},
        {"IdFromFileIds missing", table.IdFromFileIds(2, 2), 0},
        {"IdFromMediaCode", table.IdFromMediaCode(65), 101},
        {"IdFromMediaCode missing", table.IdFromMediaCode(64), 0},
        {"Kind2 on variant-1 row", table.IsKind2Excluded(101), 1},
        {"Kind2 without variant-1 row", table.IsKind2Excluded(104), 0},
        {"Kind2 missing", table.IsKind2Excluded(999), 0},
        {"AutoAdjust", table.IsAutoAdjustExcluded(104), 1},
        {"AutoAdjust not", table.IsAutoAdjustExcluded(101), 0},
        {"DisplayOrder", table.DisplayOrder(104), 10},
        {"DisplayOrder missing", table.DisplayOrder(999), 0},
        {"Thickness variant", table.DefaultThickness(101, 1), 5},
        {"Thickness first row", table.DefaultThickness(101, 7), 3},
        {"Thickness none", table.DefaultThickness(104, 0), -1},
        {"Thickness missing", table.DefaultThickness(999, 0), -1},
        {"ModeMw 1 not offered", table.ModeMw(104, 1), -1},
        {"ModeMw 2", table.ModeMw(104, 2), 4},
        {"ModeHres 3", table.ModeHres(101, 3), 1440},
        {"ModeVres 4", table.ModeVres(101, 4), 1440},
        {"ModeMw 0", table.ModeMw(101, 0), -1},
        {"ModeMw 5", table.ModeMw(101, 5), -1},
        {"ModeHres 5", table.ModeHres(101, 5), -1},
        {"ModeVres missing", table.ModeVres(999, 1), -1},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;
}

TEST(MediaTable, IncompleteFiles) {
    struct Case {
        const char* name;
        const char* file;  // null: no file
        bool complete;
        int declared;
        std::size_t rows;
    };
    const std::string row = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21";
    const std::string row20 = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20";
    const std::string rowsOneAndThree = "MEDIA_NUM=3\nMEDIA01=" + row + "\nMEDIA03=" + row + "\n";
    const std::string twentyNumbers = "MEDIA_NUM=2\nMEDIA01=" + row + "\nMEDIA02=" + row20 + "\n";
    const std::string twentyTwo = "MEDIA_NUM=1\nMEDIA01=" + row + ",22\n";
    const std::string longerKeyFirst = "MEDIA_NUM=1\nMEDIA010=x\nMEDIA01=" + row + "\n";
    const std::string huge = "MEDIA_NUM=2147483647\nMEDIA01=" + row + "\n";
    const std::string hundred = "MEDIA_NUM=100\n";
    const Case cases[] = {
        {"noFile", nullptr, false, 0, 0},
        {"noCount", "MEDIA01=1\n", false, 0, 0},
        {"zeroCount", "MEDIA_NUM=0\n", false, 0, 0},
        {"negativeCount", "MEDIA_NUM=-3\n", false, -3, 0},
        {"rowTwoMissing", rowsOneAndThree.c_str(), false, 3, 1},
        {"twentyNumbers", twentyNumbers.c_str(), false, 2, 1},
        {"twentyTwoNumbers", twentyTwo.c_str(), true, 1, 1},
        {"longerKeyFirst", longerKeyFirst.c_str(), true, 1, 1},
        {"hugeCount", huge.c_str(), false, 2147483647, 1},
        {"countWithoutRows", hundred.c_str(), false, 100, 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = c.file ? dir.write("Media.ini", c.file) : dir.file("Media.ini");
        CMediaTable table(path);
        EXPECT_EQ(table.IsComplete(), c.complete) << c.name;
        EXPECT_EQ(table.DeclaredCount(), c.declared) << c.name;
        EXPECT_EQ(table.Rows().size(), c.rows) << c.name;
    }
}

TEST(MediaTable, RedirectedRowCopiesAnother) {
    TempDir dir;
    CMediaTable table(dir.write("Media.ini",
        "MEDIA_NUM=2\nMEDIA02:MEDIA01\n"
        "MEDIA01=7,1,1,1,0,0,0,1,2,-1,0,0,-1,0,0,-1,0,0,-1,0,0\n"));
    ASSERT_TRUE(table.IsComplete());
    EXPECT_EQ(table.Rows()[1].values, table.Rows()[0].values);
}

TEST(MediaTable, NoTableTellsNoRowApart) {
    // Thickness alone separates "no table" (0) from "no such row" (-1).
    TempDir dir;
    CMediaTable none(dir.file("missing.ini"));
    EXPECT_EQ(none.DefaultThickness(101, 0), 0);
    EXPECT_EQ(CMediaTable().DefaultThickness(101, 0), 0);
    CMediaTable broken(dir.write("Media.ini", "MEDIA_NUM=1\nMEDIA01=1,2\n"));
    EXPECT_EQ(broken.DefaultThickness(101, 0), -1);
    EXPECT_EQ(none.FileId(101), -1);
    EXPECT_EQ(none.MediaCodeOf(101, 0), 0);
    EXPECT_EQ(none.ModeMw(101, 1), -1);
}

TEST(MediaTable, SortsStablyByDisplayOrder) {
    TempDir dir;
    CMediaTable table(dir.write("Media.ini", kFixture));
    // Orders: 101 -> 30, 104 -> 10, 201 -> 30, 202 -> 20, unknown -> 0.
    std::vector<std::uint16_t> ids = {201, 101, 202, 104, 999, 101};
    table.SortByDisplayOrder(ids.data(), static_cast<int>(ids.size()));
    EXPECT_EQ(ids, (std::vector<std::uint16_t>{999, 104, 202, 201, 101, 101}));
    std::vector<std::uint16_t> one = {201};
    table.SortByDisplayOrder(one.data(), 1);
    table.SortByDisplayOrder(nullptr, 5);
    EXPECT_EQ(one[0], 201);
}

struct RowCase {
    const char* name;
    const char* text;
    bool ok;
    int first;
    int last;
};

class MediaRowParse : public ::testing::TestWithParam<RowCase> {};

TEST_P(MediaRowParse, ReadsExactly21Integers) {
    const RowCase& c = GetParam();
    MediaRow row;
    row.values.fill(-99);
    EXPECT_EQ(CMediaTable::ParseMediaRow(c.text, row), c.ok);
    if (c.ok) {
        EXPECT_EQ(row[0], c.first);
        EXPECT_EQ(row[20], c.last);
    } else {
        EXPECT_EQ(row[0], -99);  // a failed parse leaves the row alone
    }
}

INSTANTIATE_TEST_SUITE_P(
    MediaTable, MediaRowParse,
    ::testing::Values(
        RowCase{"plain", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21", true, 1, 21},
        RowCase{"blanksBeforeNumbers", " 1, 2,\t3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20, 21", true, 1, 21},
        RowCase{"signs", "-1,+2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,-21", true, -1, -21},
        RowCase{"trailingIgnored", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21x,", true, 1, 21},
        RowCase{"saturates", "99999999999,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,-99999999999",
                true, 2147483647, -2147483647 - 1},
        RowCase{"blankBeforeComma", "1 ,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21", false, 0, 0},
        RowCase{"emptyField", "1,,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21", false, 0, 0},
        RowCase{"twenty", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20", false, 0, 0},
        RowCase{"twentyWithComma", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,", false, 0, 0},
        RowCase{"semicolons", "1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18;19;20;21", false, 0, 0},
        RowCase{"signOnly", "-,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21", false, 0, 0},
        RowCase{"empty", "", false, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

TEST(MediaTypeList, LeavesOutUnusableMediaAndMarksKind2Exclusions) {
    TempDir dir;
    CMediaTable table(dir.write("Media.ini", kFixture));
    // 201 has file id -1; 999 has no row (FileId -1 as well); 101's
    // variant-1 row excludes it under kind 2.
    const MediaTypeList::DriverMedia driver = {
        {104, "Matte"}, {201, "Banner"}, {101, "Plain"}, {999, "Unknown"}, {202, "Film"}};

    const auto kind1 = MediaTypeList::Build(table, driver, 1);
    ASSERT_EQ(kind1.size(), 3u);
    EXPECT_EQ(kind1[0].name, "Matte");
    EXPECT_EQ(kind1[0].data, 104u);
    EXPECT_EQ(kind1[1].name, "Plain");
    EXPECT_EQ(kind1[1].data, 101u);
    EXPECT_EQ(kind1[2].data, 202u);

    const auto kind2 = MediaTypeList::Build(table, driver, 2);
    ASSERT_EQ(kind2.size(), 3u);
    EXPECT_EQ(kind2[0].data, 104u);
    EXPECT_EQ(kind2[1].data, 101u | MediaTypeList::kUnavailable);
    EXPECT_EQ(kind2[2].data, 202u);

    // When the driver settings change the marks follow the new kind.
    EXPECT_EQ(MediaTypeList::Remark(table, kind2[1].data, 3), 101u);
    EXPECT_EQ(MediaTypeList::Remark(table, 101u, 2), 101u | MediaTypeList::kUnavailable);
    EXPECT_TRUE(MediaTypeList::Build(CMediaTable(), driver, 1).empty());
}

}  // namespace
