// The media list, thickness and platen gap rules that the registration and
// custom file pages share, and the thickness pattern job.
#include "PaperEditFixture.h"
#include "custompaper/CPaperSettingsChoice.h"

#include <gtest/gtest.h>

namespace {

constexpr int kFirst = 30131;

struct ThicknessCase {
    const char* name;
    const char* typed;
    bool resetBefore;
    bool loading;
    int recordPlaten;
    const char* shown;
    std::vector<int> platenItems;
    int platenIndex; // -1: the box is disabled
    int paperthick;  // the record afterwards
    int platen;
    bool resetAfter;
};

void PrintTo(const ThicknessCase& c, std::ostream* os) {
    *os << c.name;
}

class ThicknessRule : public ::testing::TestWithParam<ThicknessCase> {};

TEST_P(ThicknessRule, OffersThePlatenGapsTheThicknessAllows) {
    const ThicknessCase& c = GetParam();
    bool reset = c.resetBefore;
    CPaperSettingsChoice choice(kFirst, reset);
    std::int32_t paperthick = 77;
    std::int32_t platen = c.recordPlaten;
    EXPECT_EQ(choice.SetThicknessText(c.typed, paperthick, platen, c.loading), c.shown);
    EXPECT_EQ(choice.ThicknessText(), c.shown);
    EXPECT_EQ(reset, c.resetAfter);
    EXPECT_EQ(paperthick, c.paperthick);
    EXPECT_EQ(platen, c.platen);
    if (c.platenIndex < 0) {
        EXPECT_FALSE(choice.PlatenEnabled());
        return;
    }
    EXPECT_TRUE(choice.PlatenEnabled());
    EXPECT_EQ(choice.PlatenTexts(), c.platenItems);
    EXPECT_EQ(choice.PlatenIndex(), c.platenIndex);
}

const std::vector<int> kOne{30131};
const std::vector<int> kThree{30131, 30132, 30133};
const std::vector<int> kFour{30131, 30132, 30133, 30134};

INSTANTIATE_TEST_SUITE_P(
    Cases, ThicknessRule,
    ::testing::Values(
        ThicknessCase{"seven_offers_one", "7", false, false, 3, "7", kOne, 0, 7, 1, false},
        ThicknessCase{"six_offers_three", "6", false, false, 4, "6", kThree, 2, 6, 3, false},
        ThicknessCase{"three_offers_three", "3", false, false, 2, "3", kThree, 1, 3, 2, false},
        ThicknessCase{"two_offers_four", "2", false, false, 4, "2", kFour, 3, 2, 4, false},
        ThicknessCase{"record_platen_0_takes_first", "2", false, false, 0, "2", kFour, 0, 2, 1,
                      false},
        // Emptied: the platen box is off, the flag set, the record kept.
        ThicknessCase{"empty_disables", "", false, false, 2, "", {}, -1, 77, 2, true},
        ThicknessCase{"letters_only_empty", "ab", false, false, 2, "", {}, -1, 77, 2, true},
        // After the flag: the third item when offered, else the first.
        ThicknessCase{"reset_picks_third", "4", true, false, 1, "4", kThree, 2, 4, 3, false},
        ThicknessCase{"reset_picks_third_of_four", "1", true, false, 4, "1", kFour, 2, 1, 3, false},
        ThicknessCase{"reset_with_one_item", "9", true, false, 1, "9", kOne, 0, 9, 1, false},
        // Loading keeps the record's platen and clears the flag.
        ThicknessCase{"loading_keeps_record", "4", true, true, 1, "4", kThree, 0, 4, 1, false},
        ThicknessCase{"cleaned_to_maximum", "99", false, false, 1, "16", kOne, 0, 16, 1, false},
        ThicknessCase{"cleaned_to_minimum", "0", false, false, 4, "1", kFour, 3, 1, 4, false},
        ThicknessCase{"minus_cleaned_to_minimum", "-5", false, false, 2, "1", kFour, 1, 1, 2,
                      false},
        ThicknessCase{"digits_kept", "a3b", false, false, 3, "3", kThree, 2, 3, 3, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PaperSettingsChoice, ClearingThenTypingPicksTheThirdItemOnce) {
    bool reset = false;
    CPaperSettingsChoice choice(kFirst, reset);
    std::int32_t paperthick = 2, platen = 1;
    choice.SetThicknessText("2", paperthick, platen, false);
    EXPECT_EQ(platen, 1);
    choice.SetThicknessText("", paperthick, platen, false);
    choice.SetThicknessText("5", paperthick, platen, false);
    EXPECT_EQ(platen, 3);
    choice.SelectPlaten(0, platen);
    EXPECT_EQ(platen, 1);
    // The flag was used up: the record's choice stays.
    choice.SetThicknessText("4", paperthick, platen, false);
    EXPECT_EQ(platen, 1);
    // The flag is shared by the pages of one type.
    CPaperSettingsChoice other(kFirst, reset);
    choice.SetThicknessText("", paperthick, platen, false);
    other.SetThicknessText("4", paperthick, platen, false);
    EXPECT_EQ(platen, 3);
    EXPECT_FALSE(choice.SelectPlaten(3, platen)) << "only three items for 0.4 mm";
    EXPECT_EQ(platen, 3);
}

TEST(PaperSettingsChoice, MediaListMarksAndPlaceholder) {
    PaperEditMedia media;
    ScriptedMediaDriver driver;
    bool reset = true;
    CPaperSettingsChoice choice(kFirst, reset);
    choice.FillMedia(media.table, driver.media, 2);
    // Film (not for custom paper) and the media without a row are left out;
    // kind 2 marks Canvas.
    ASSERT_EQ(choice.MediaItems().size(), 3u);
    EXPECT_EQ(choice.MediaItems()[0].name, "Plain");
    EXPECT_EQ(choice.MediaItems()[1].data, 301u | ItemMark::kUnavailable);
    EXPECT_EQ(choice.MediaItems()[2].data, 401u);
    EXPECT_EQ(choice.MediaIndex(), 0);
    EXPECT_EQ(choice.SelectedMediaId(), 101);

    choice.Remark(media.table, 1);
    EXPECT_EQ(choice.MediaItems()[1].data, 301u);

    // The placeholder of an unknown media: selected when added, its id 0;
    // removing it keeps the selection on the item it was on.
    choice.AddPlaceholder("(unknown)");
    EXPECT_EQ(choice.MediaIndex(), 3);
    EXPECT_EQ(choice.SelectedMediaId(), 0);
    EXPECT_TRUE(choice.HasPlaceholder());
    choice.RemovePlaceholder();
    EXPECT_EQ(choice.MediaIndex(), -1);
    choice.AddPlaceholder("(unknown)");
    choice.SelectMediaIndex(2);
    choice.RemovePlaceholder();
    EXPECT_EQ(choice.SelectedMediaId(), 401);
    EXPECT_FALSE(choice.HasPlaceholder());
}

TEST(PaperSettingsChoice, DetailNeedsAMediaTheDriverKindAllows) {
    PaperEditMedia media;
    ScriptedMediaDriver driver;
    bool reset = true;
    CPaperSettingsChoice choice(kFirst, reset);
    choice.FillMedia(media.table, driver.media, 1);
    struct Case {
        int index;
        int kind;
        bool enabled;
    };
    for (const Case c : {Case{0, 1, true}, Case{0, 2, true}, Case{1, 1, true}, Case{1, 2, false},
                         Case{1, 3, true}, Case{-1, 1, false}}) {
        choice.SelectMediaIndex(c.index);
        EXPECT_EQ(choice.DetailEnabled(media.table, c.kind), c.enabled)
            << "item " << c.index << " kind " << c.kind;
    }
    choice.AddPlaceholder("(unknown)");
    EXPECT_FALSE(choice.DetailEnabled(media.table, 1));
}

TEST(PaperSettingsChoice, ThicknessPatternJobBytes) {
    std::uint8_t job[64];
    ASSERT_EQ(CPaperSettingsChoice::BuildThicknessPatternJob(job, sizeof job), 30);
    const std::vector<std::uint8_t> expected{
        0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R',  'E',  'M',  'O',  'T',  'E',  '1',
        'S',  'S',  0x02, 0x00, 0x00, 0x03, 0x1B, 0x00, 0x00, 0x00, 0x0D, 0x0A, 0x0C, 0x1B, 0x40};
    EXPECT_EQ(std::vector<std::uint8_t>(job, job + 30), expected);
    EXPECT_EQ(CPaperSettingsChoice::BuildThicknessPatternJob(job, 29), 0);
    EXPECT_EQ(CPaperSettingsChoice::BuildThicknessPatternJob(nullptr, 30), 0);
}

} // namespace
