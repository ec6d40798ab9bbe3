#include "base/NumberText.h"

#include <gtest/gtest.h>

namespace {

struct NormalizeCase {
    const char* name;
    const char* text;
    int minimum;
    int maximum;
    bool emptyAllowed;
    const char* result;
};

class Normalize : public ::testing::TestWithParam<NormalizeCase> {};

TEST_P(Normalize, CleansTypedNumbers) {
    const NormalizeCase& c = GetParam();
    std::string text = c.text;
    NormalizeNumberText(text, c.minimum, c.maximum, c.emptyAllowed);
    EXPECT_EQ(text, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    NumberText, Normalize,
    ::testing::Values(
        NormalizeCase{"plain", "7", 0, 9, false, "7"},
        NormalizeCase{"lettersGoMinusAnywhere", "1a2-", -10, 10, false, "-10"},
        NormalizeCase{"twoMinusesCancel", "--5", 0, 9, false, "5"},
        NormalizeCase{"emptyBecomesZero", "", 0, 9, false, "0"},
        NormalizeCase{"emptyStaysEmpty", "", 0, 9, true, ""},
        NormalizeCase{"loneMinusKeptWhenNegativesAllowed", "-", -5, 5, true, "-"},
        NormalizeCase{"loneMinusGetsZero", "-", -5, 5, false, "-0"},
        NormalizeCase{"loneMinusDroppedWithoutNegatives", "-x", 0, 5, true, ""},
        NormalizeCase{"negativeZero", "-0", -5, 5, false, "-0"},
        NormalizeCase{"negativeZeroWithoutNegatives", "-00", 0, 5, false, "0"},
        NormalizeCase{"aboveMaximum", "123", 0, 99, false, "99"},
        NormalizeCase{"belowMinimum", "3", 5, 99, false, "5"},
        NormalizeCase{"negativeBelowZeroMinimum", "-3", 0, 99, false, "0"},
        NormalizeCase{"leadingZeros", "007", 0, 99, false, "7"},
        NormalizeCase{"hugeClampsInsteadOfWrapping", "99999999999999999999999", -10, 10, false, "10"},
        NormalizeCase{"hugeNegative", "-99999999999999999999999", -10, 10, false, "-10"},
        NormalizeCase{"intLimits", "-2147483648", -2147483647 - 1, 2147483647, false, "-2147483648"},
        NormalizeCase{"spacesAndPunctuation", " 1 . 5 ", 0, 99, false, "15"},
        // Multi-byte characters go whole: full-width digits are no digits.
        NormalizeCase{"fullWidthDigit", "\xEF\xBC\x91" "2", 0, 99, false, "2"},
        NormalizeCase{"twoByteBetweenDigits", "1\xC3\xA9" "2", 0, 99, false, "12"},
        NormalizeCase{"fourByte", "\xF0\x9F\x98\x80" "3", 0, 99, false, "3"},
        // Broken sequences never swallow a digit or read past the end.
        NormalizeCase{"truncatedAtEnd", "4\xE3\x81", 0, 99, false, "4"},
        NormalizeCase{"leadThenDigit", "\xE3" "5", 0, 99, false, "5"},
        NormalizeCase{"strayContinuation", "\x80" "6\xBF", 0, 99, false, "6"},
        NormalizeCase{"invalidBytes", "\xFF\xC0" "7\xF5", 0, 99, false, "7"},
        NormalizeCase{"onlyMultiByte", "\xE6\x95\xB0", 0, 99, true, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumberText, NormalizesQStrings) {
    EXPECT_EQ(NormalizeNumberText(QString::fromUtf8("\xEF\xBC\x91" "-8"), -5, 5, false), "-5");
}

}  // namespace
