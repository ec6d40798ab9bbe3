// The eight rows of the custom paper call page: which text each value of a
// slot shows, and which values leave a row empty.
#include "custompaper/CCustomPaperCall.h"
#include "custompaper/CCustomPaperTable.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

using Row = CCustomPaperCall::RowValue;
using Kind = Row::Kind;

struct RowCase {
    const char* name;
    std::function<void(CustomPaperSlot&)> set;
    int row;
    Row expected;
};

void PrintTo(const RowCase& c, std::ostream* os) {
    *os << c.name;
}

class CallRows : public ::testing::TestWithParam<RowCase> {};

TEST_P(CallRows, ShowTheValueOrNothing) {
    const RowCase& c = GetParam();
    CustomPaperSlot slot;
    c.set(slot);
    EXPECT_EQ(CCustomPaperCall::RowValueOf(c.row, slot), c.expected);
}

Row Choice(int text) {
    return {Kind::Choice, 0, text};
}
Row Number(int n, int unit) {
    return {Kind::Number, n, unit};
}

INSTANTIATE_TEST_SUITE_P(
    Values, CallRows,
    ::testing::Values(
        RowCase{"thickness", [](auto& s) { s.Paperthick = 3; }, 0, Number(3, 40011)},
        RowCase{"thickness_any_number", [](auto& s) { s.Paperthick = -7; }, 0, Number(-7, 40011)},
        RowCase{"platen_1", [](auto& s) { s.Platen = 1; }, 1, Choice(40121)},
        RowCase{"platen_4", [](auto& s) { s.Platen = 4; }, 1, Choice(40124)},
        RowCase{"platen_0_empty", [](auto& s) { s.Platen = 0; }, 1, Row{}},
        RowCase{"platen_5_empty", [](auto& s) { s.Platen = 5; }, 1, Row{}},
        RowCase{"suction_standard", [](auto& s) { s.Paperdraw = 0; }, 2, Choice(40130)},
        RowCase{"suction_minus_4", [](auto& s) { s.Paperdraw = -4; }, 2, Choice(40134)},
        RowCase{"suction_minus_5_empty", [](auto& s) { s.Paperdraw = -5; }, 2, Row{}},
        RowCase{"suction_plus_1_empty", [](auto& s) { s.Paperdraw = 1; }, 2, Row{}},
        RowCase{"suction_lowest_int_empty", [](auto& s) { s.Paperdraw = INT32_MIN; }, 2, Row{}},
        RowCase{"roller_0", [](auto& s) { s.Roller = 0; }, 3, Choice(40140)},
        RowCase{"roller_3", [](auto& s) { s.Roller = 3; }, 3, Choice(40143)},
        RowCase{"roller_4_empty", [](auto& s) { s.Roller = 4; }, 3, Row{}},
        RowCase{"feed_minus_70", [](auto& s) { s.Forward = -70; }, 4, Number(-70, 40012)},
        RowCase{"drying_50", [](auto& s) { s.Drytime = 50; }, 5, Number(50, 40013)},
        // Cut methods: standard, thin paper, thick slow, thick fast.
        RowCase{"cut_0", [](auto& s) { s.PaperCut = 0; }, 6, Choice(40150)},
        RowCase{"cut_1", [](auto& s) { s.PaperCut = 1; }, 6, Choice(40153)},
        RowCase{"cut_2", [](auto& s) { s.PaperCut = 2; }, 6, Choice(40151)},
        RowCase{"cut_3", [](auto& s) { s.PaperCut = 3; }, 6, Choice(40152)},
        RowCase{"cut_minus_1_empty", [](auto& s) { s.PaperCut = -1; }, 6, Row{}},
        RowCase{"three_way_0", [](auto& s) { s.ThreeWay = 0; }, 7, Choice(40160)},
        RowCase{"three_way_3", [](auto& s) { s.ThreeWay = 3; }, 7, Choice(40163)},
        RowCase{"three_way_4", [](auto& s) { s.ThreeWay = 4; }, 7, Choice(40164)},
        RowCase{"three_way_5_empty", [](auto& s) { s.ThreeWay = 5; }, 7, Row{}},
        RowCase{"no_ninth_row", [](auto&) {}, 8, Row{}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CallRowText, NumbersCarryTheirUnitAndChoicesTheirText) {
    const auto text = [](int id) { return "<" + std::to_string(id) + ">"; };
    EXPECT_EQ(CCustomPaperCall::RowText(Number(-70, 40012), text), "-70 <40012>");
    EXPECT_EQ(CCustomPaperCall::RowText(Choice(40163), text), "<40163>");
    EXPECT_EQ(CCustomPaperCall::RowText(Row{}, text), "");
}

} // namespace
