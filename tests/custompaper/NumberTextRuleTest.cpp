#include "custompaper/AccessibleLabel.h"
#include "custompaper/CNumberTextRule.h"

#include <climits>
#include <gtest/gtest.h>
#include <optional>

namespace {

using Leaving = CNumberTextRule::LeavingEmpty;

// The number fields of the pages and dialogs, by their rules.
const CNumberTextRule kGrid; // 1..9, alignment grid cell
const CNumberTextRule kThickness(1, 16, true, Leaving::StayEmpty);
const CNumberTextRule kFeed(-70, 70, true, Leaving::PutZero); // setting tab value box
const CNumberTextRule kDrying(0, 50, true, Leaving::PutZero);
const CNumberTextRule kDensity(-50, 50, false, Leaving::StayEmpty);
const CNumberTextRule kZeroBelowRange(1, 16, true, Leaving::PutZero);

TEST(NumberTextRule, AcceptsOnlyDigitsAndTheSignWhereNegativesExist) {
    struct Case {
        const CNumberTextRule* rule;
        const char16_t* text;
        bool accepted;
    };
    const Case cases[] = {
        {&kGrid, u"5", true},       {&kGrid, u"", true},        {&kGrid, u"1234567890", true},
        {&kGrid, u"-", false},      {&kGrid, u"a", false},      {&kGrid, u" 5", false},
        {&kGrid, u"5.", false},     {&kGrid, u"\uFF15", false}, // full-width 5
        {&kGrid, u"\u0665", false},                             // Arabic-Indic 5
        {&kFeed, u"-12", true},     {&kFeed, u"12-", true},     {&kFeed, u"--", true},
        {&kFeed, u"+12", false},    {&kFeed, u"1e2", false},    {&kDrying, u"-1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        EXPECT_EQ(c.rule->Accepts(QString::fromUtf16(c.text)), c.accepted);
    }
}

TEST(NumberTextRule, CleansToTheRangeAndReadsValidValues) {
    struct Case {
        const char* name;
        const CNumberTextRule* rule;
        const char* typed;
        const char* shown;
        std::optional<int> valid; // of the shown text
    };
    const Case cases[] = {
        {"gridZeroGivesOne", &kGrid, "0", "1", 1},
        {"gridTwelveGivesNine", &kGrid, "12", "9", 9},
        {"gridEmptyWhileTyping", &kGrid, "", "", std::nullopt},
        {"gridLeadingZero", &kGrid, "07", "7", 7},
        {"thicknessAboveRange", &kThickness, "25", "16", 16},
        {"thicknessLettersDropped", &kThickness, "1a2", "12", 12},
        {"feedTrailingMinus", &kFeed, "12-", "-12", -12},
        {"feedTwoMinusesCancel", &kFeed, "--12", "12", 12},
        {"feedMinusAloneStays", &kFeed, "-", "-", std::nullopt},
        {"feedBelowRange", &kFeed, "-99", "-70", -70},
        {"dryingNoSign", &kDrying, "-5", "0", 0},
        {"densityNegativeZero", &kDensity, "-0", "-0", 0},
        {"densityEmptyNotAllowed", &kDensity, "", "0", 0},
        {"densityMinusAloneGetsZero", &kDensity, "-", "-0", 0},
        {"densityAboveRange", &kDensity, "75", "50", 50},
        {"hugeClamps", &kGrid, "99999999999999999999", "9", 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString shown = c.rule->Clean(QString::fromUtf8(c.typed));
        EXPECT_EQ(shown.toStdString(), c.shown);
        EXPECT_EQ(c.rule->ValidValue(shown), c.valid);
        EXPECT_EQ(c.rule->Clean(shown), shown) << "cleaning twice changes nothing";
    }
    // Raw text outside the range is no valid value.
    EXPECT_EQ(kGrid.ValidValue("0"), std::nullopt);
    EXPECT_EQ(kGrid.ValidValue("12"), std::nullopt);
}

TEST(NumberTextRule, FillsAnEmptyBoxOnLeavingByItsPolicy) {
    struct Case {
        const char* name;
        const CNumberTextRule* rule;
        const char* text;
        int lastValid;
        std::optional<QString> result;
    };
    const Case cases[] = {
        {"gridRestoresLastValid", &kGrid, "", 7, QStringLiteral("7")},
        {"gridNeverValidGivesMinimum", &kGrid, "", 0, QStringLiteral("1")},
        {"gridNonEmptyStays", &kGrid, "3", 7, std::nullopt},
        {"feedPutsZero", &kFeed, "", -12, QStringLiteral("0")},
        {"feedMinusAloneStays", &kFeed, "-", -12, std::nullopt},
        {"zeroClampedToRange", &kZeroBelowRange, "", 5, QStringLiteral("1")},
        {"thicknessStaysEmpty", &kThickness, "", 12, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.rule->TextOnLeaving(QString::fromUtf8(c.text), c.lastValid), c.result);
    }
}

TEST(NumberTextRule, ReadsLikeAtoi) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {{"", 0},
                          {"-", 0},
                          {"-0", 0},
                          {"12", 12},
                          {"-12", -12},
                          {" 7x", 7},
                          {"x7", 0},
                          {"99999999999", INT_MAX},
                          {"-99999999999", INT_MIN},
                          {"-2147483648", INT_MIN}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CNumberTextRule::Read(QString::fromUtf8(c.text)), c.value);
    }
}

TEST(NumberTextRule, AnInvertedRangeIsOneValue) {
    const CNumberTextRule rule(5, 3, true);
    EXPECT_EQ(rule.Maximum(), 5);
    EXPECT_EQ(rule.Clean("9").toStdString(), "5");
}

TEST(AccessibleLabel, NameIsTheLabelsWords) {
    struct Case {
        const char16_t* label;
        const char16_t* name;
    };
    const Case cases[] = {
        {u"Media Type:", u"Media Type"},
        {u"&Platen Gap:", u"Platen Gap"},
        {u"Save && Print", u"Save & Print"},
        {u"Paper\nThickness :", u"Paper Thickness"},
        {u"  #1  ", u"#1"},
        {u"\u7528\u7D19\uFF1A", u"\u7528\u7D19"}, // full-width colon
        {u"&", u""},
        {u"", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.label).toStdString());
        EXPECT_EQ(AccessibleNameFromLabel(QString::fromUtf16(c.label)), QString::fromUtf16(c.name));
    }
}

} // namespace
