#include "maintenance/CAlignmentMediaChoice.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CMediaTable.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Rows: id, file id, sub-id, code, variant, kind-2 excl., auto excl.,
// order, thickness, then Mw/Hres/Vres of modes 1..4.
const char* const kMedia =
    "[Media]\n"
    "MEDIA_NUM=4\n"
    "MEDIA01=101,1,1,1,0,0,0,30,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA02=102,1,2,65,1,1,0,30,8,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA03=103,1,3,2,1,0,1,10,-1,-1,-1,-1,4,720,720,-1,-1,-1,-1,-1,-1\n"
    "MEDIA04=201,-1,0,8,0,0,0,30,1,2,360,720,4,720,720,8,1440,720,-1,-1,-1\n";

const MediaTypeList::DriverMedia kDriverMedia = {
    {201, "Not for custom paper"}, {101, "Plain"}, {102, "Coated"}, {103, "Film"}};

struct Fixture : ::testing::Test {
    TempDir dir;
    CMediaTable table{dir.write("Media.ini", kMedia)};
    bool firstFill = true;

    std::vector<int> PlatenValues(const CAlignmentMediaChoice& c) {
        std::vector<int> values;
        for (const auto& item : c.PlatenItems()) values.push_back(item.value);
        return values;
    }
};

// The thickness the driver reports for a media, as the pages' driver access would.
int DriverThickness(std::uint32_t id) { return id == 102 ? 8 : id == 101 ? 3 : -1; }

TEST_F(Fixture, MediaListKeepsListedMediaAndGreysExclusions) {
    struct Case {
        bool autoAdjust;
        int kind;
        std::vector<bool> unavailable;  // items 1.. (101, 102, 103)
    };
    const Case cases[] = {
        {false, 1, {false, false, false}},
        {false, 2, {false, true, false}},
        {true, 1, {false, false, true}},
        {true, 2, {false, true, true}},
    };
    for (const Case& c : cases) {
        bool flag = true;
        CAlignmentMediaChoice choice(CAlignmentMediaChoice::kAutoAdjustTexts, c.autoAdjust, flag);
        choice.FillMedia(table, kDriverMedia, c.kind);
        ASSERT_EQ(choice.MediaItems().size(), 4u);
        EXPECT_EQ(choice.MediaItems()[0].textId, 10140);
        EXPECT_EQ(choice.MediaItems()[0].MediaId(), 0u);
        for (std::size_t i = 0; i < c.unavailable.size(); ++i)
            EXPECT_EQ(choice.MediaItems()[i + 1].Unavailable(), c.unavailable[i])
                << "kind " << c.kind << " auto " << c.autoAdjust << " item " << i + 1;
        EXPECT_EQ(choice.MediaIndex(), 0);
    }
}

TEST_F(Fixture, RemarkFollowsTheDriverKind) {
    CAlignmentMediaChoice choice(CAlignmentMediaChoice::kBidirectionalTexts, false, firstFill);
    choice.FillMedia(table, kDriverMedia, 2);
    ASSERT_TRUE(choice.MediaItems()[2].Unavailable());
    choice.Remark(table, 1);
    EXPECT_FALSE(choice.MediaItems()[2].Unavailable());
    EXPECT_FALSE(choice.Kind2());
    choice.Remark(table, 2);
    EXPECT_TRUE(choice.MediaItems()[2].Unavailable());
}

TEST_F(Fixture, ThicknessIsCleanedToTheRange) {
    CAlignmentMediaChoice choice(CAlignmentMediaChoice::kAutoAdjustTexts, true, firstFill);
    const std::pair<const char*, const char*> cases[] = {
        {"0", "1"}, {"25", "16"}, {"1a2", "12"}, {"abc", ""}, {"", ""}, {"7", "7"},
    };
    for (const auto& [typed, want] : cases) {
        EXPECT_EQ(choice.SetThicknessText(typed), want) << typed;
        EXPECT_EQ(choice.PlatenEnabled(), *want != 0) << typed;
    }
}

TEST_F(Fixture, PlatenItemsFollowThicknessAndMedia) {
    struct Case {
        const char* thickness;
        bool media;
        std::vector<int> values;
    };
    const Case cases[] = {
        {"2", false, {4, 3, 2, 1}}, {"2", true, {0, 4, 3, 2, 1}}, {"3", false, {4, 3, 2}},
        {"6", false, {4, 3, 2}},    {"7", false, {4}},             {"16", true, {0, 4}},
    };
    for (const Case& c : cases) {
        bool flag = false;
        CAlignmentMediaChoice choice(CAlignmentMediaChoice::kAutoAdjustTexts, false, flag);
        choice.FillMedia(table, kDriverMedia, 1);
        if (c.media) {
            ASSERT_TRUE(choice.SelectMedia(1, {}));
        }
        choice.SetThicknessText(c.thickness);
        EXPECT_EQ(PlatenValues(choice), c.values) << c.thickness << " media " << c.media;
        EXPECT_EQ(choice.PlatenItems().front().textId, c.media ? 10150 : 10151);
    }
}

TEST_F(Fixture, FirstFillSelectsTheMiddleGapThenKeepsTheOperatorsChoice) {
    CAlignmentMediaChoice choice(CAlignmentMediaChoice::kUnidirectionalTexts, false, firstFill);
    choice.FillMedia(table, kDriverMedia, 1);
    choice.SetThicknessText("2");
    EXPECT_FALSE(firstFill);
    ASSERT_EQ(choice.PlatenIndex(), 2);  // value 2, text 90133
    EXPECT_EQ(choice.PlatenItems()[2].textId, 90133);

    ASSERT_TRUE(choice.SelectPlaten(3));
    choice.SetThicknessText("5");  // list shrinks to three items
    EXPECT_EQ(choice.PlatenIndex(), 2);
    choice.SetThicknessText("");
    EXPECT_TRUE(firstFill);
    EXPECT_FALSE(choice.PlatenEnabled());
}

TEST_F(Fixture, ChoosingAMediaTakesItsThicknessAndTheAutomaticGap) {
    CAlignmentMediaChoice choice(CAlignmentMediaChoice::kAutoAdjustTexts, true, firstFill);
    choice.FillMedia(table, kDriverMedia, 2);
    std::vector<std::uint32_t> applied;
    auto apply = [&](std::uint32_t id) {
        applied.push_back(id);
        return DriverThickness(id);
    };
    EXPECT_FALSE(choice.SelectMedia(2, apply)) << "kind 2 excludes 102";
    EXPECT_FALSE(choice.SelectMedia(3, apply)) << "auto adjustment excludes 103";
    EXPECT_TRUE(applied.empty());
    EXPECT_EQ(choice.MediaIndex(), 0);

    ASSERT_TRUE(choice.SelectMedia(1, apply));
    EXPECT_EQ(applied, std::vector<std::uint32_t>{101});
    EXPECT_EQ(choice.ThicknessText(), "3");
    EXPECT_TRUE(choice.ThicknessReadOnly());
    ASSERT_GE(choice.PlatenIndex(), 0);
    EXPECT_EQ(choice.PlatenItems()[choice.PlatenIndex()].value, 0);
    EXPECT_TRUE(choice.MediaConditionHolds(table));

    ASSERT_TRUE(choice.SelectMedia(0, apply));
    EXPECT_EQ(choice.ThicknessText(), "");
    EXPECT_FALSE(choice.ThicknessReadOnly());
    EXPECT_TRUE(choice.MediaConditionHolds(table));
}

TEST_F(Fixture, PlatenValueAsksThePrinterOnlyForTheAutomaticItemWithAMedia) {
    CPrinterLink noLibrary(nullptr);
    CAlignmentMediaChoice choice(CAlignmentMediaChoice::kAutoAdjustTexts, false, firstFill);
    choice.FillMedia(table, kDriverMedia, 1);
    choice.SetThicknessText("2");
    // Values sent for the items 4, 3, 2, 1 are 1, 2, 3, 4.
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(choice.SelectPlaten(i));
        EXPECT_EQ(choice.PlatenValue(noLibrary, "P", table, 1), i + 1);
    }
    ASSERT_TRUE(choice.SelectMedia(1, DriverThickness));
    ASSERT_EQ(choice.PlatenItems()[choice.PlatenIndex()].value, 0);
    EXPECT_EQ(choice.PlatenValue(noLibrary, "P", table, 1), -1) << "the printer cannot be asked";
    ASSERT_TRUE(choice.SelectMedia(0, DriverThickness));
    choice.SetThicknessText("9");
    EXPECT_EQ(choice.PlatenValue(noLibrary, "P", table, 1), 1);
}

TEST(AlignmentMediaChoice, PlatenValueTable) {
    const int want[] = {-1, 0, 4, 3, 2, 1, -1};
    for (int v = -1; v <= 5; ++v) EXPECT_EQ(CAlignmentMediaChoice::PlatenValueSent(v), want[v + 1]) << v;
}

}  // namespace
