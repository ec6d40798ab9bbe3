// The slot registration dialog's decisions: the destination it opens on,
// the name a destination fills in, when OK is possible, and what OK does in
// which order (readiness, question, write) with the message of each end.
#include "custompaper/CRegisterSlot.h"

#include "custompaper/CCustomPaperTable.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Outcome = CRegisterSlot::Outcome;

class RegisterSlot : public ::testing::Test {
protected:
    void SetUp() override {
        table.SetCurrentIndex(3);
        table.SlotAt(1).Registered = 1;
        table.SlotAt(1).Name = "Matte 190  ";
    }
    CCustomPaperTable table{"(no custom paper)"};
};

TEST_F(RegisterSlot, OpensOnTheCurrentSlotAndFillsInRegisteredNames) {
    const CRegisterSlot logic(table);
    EXPECT_EQ(logic.InitialDestination(), 3);
    EXPECT_EQ(logic.NameFor(1), "Matte 190");
    EXPECT_EQ(logic.NameFor(2), std::nullopt); // empty slot: the typed name stays
    EXPECT_EQ(logic.NameFor(-1), std::nullopt);
    EXPECT_EQ(logic.NameFor(10), std::nullopt);
    EXPECT_FALSE(CRegisterSlot::OkEnabled(""));
    EXPECT_FALSE(CRegisterSlot::OkEnabled("   "));
    EXPECT_TRUE(CRegisterSlot::OkEnabled(" x"));
}

TEST_F(RegisterSlot, OkWaitsAsksAndWritesInThatOrder) {
    struct Case {
        const char* what;
        int destination;
        const char* name;
        bool review;
        bool ready;
        bool yes;
        int written; // the write's result
        Outcome outcome;
        std::vector<std::string> steps;
        int message;
    };
    const Case cases[] = {
        {"an empty slot", 2, "New", false, true, true, 0, Outcome::Written, {"ready", "write 2 New"}, 30903},
        {"a registered slot, Yes", 1, "New", false, true, true, 0, Outcome::Written,
         {"ready", "ask", "write 1 New"}, 30903},
        {"a registered slot, No", 1, "New", false, true, false, 0, Outcome::Declined, {"ready", "ask"}, 0},
        {"not ready", 2, "New", false, false, true, 0, Outcome::NotReady, {"ready"}, 901},
        {"review mode skips the wait", 2, "New", true, false, true, 0, Outcome::Written,
         {"write 2 New"}, 30903},
        {"the job is not sent", 2, "New", false, true, true, -1, Outcome::NotSent,
         {"ready", "write 2 New"}, 30904},
        {"no destination", -1, "New", false, true, true, 0, Outcome::NoDestination, {"ready"}, 0},
        {"a name of blanks", 2, "  ", false, true, true, 0, Outcome::NoName, {}, 0},
        {"the name as typed", 2, " a b ", false, true, true, 0, Outcome::Written,
         {"ready", "write 2  a b "}, 30903},
    };
    for (const Case& c : cases) {
        std::vector<std::string> steps;
        CRegisterSlot::Steps s;
        s.review = c.review;
        s.ready = [&] {
            steps.push_back("ready");
            return c.ready;
        };
        s.confirmOverwrite = [&] {
            steps.push_back("ask");
            return c.yes;
        };
        s.write = [&](int index, const std::string& name) {
            steps.push_back("write " + std::to_string(index) + " " + name);
            return c.written;
        };
        const Outcome outcome = CRegisterSlot(table).Register(c.destination, c.name, s);
        EXPECT_EQ(outcome, c.outcome) << c.what;
        EXPECT_EQ(steps, c.steps) << c.what;
        EXPECT_EQ(CRegisterSlot::MessageFor(outcome).text, c.message) << c.what;
    }
    EXPECT_TRUE(CRegisterSlot::MessageFor(Outcome::Written).information);
    EXPECT_FALSE(CRegisterSlot::MessageFor(Outcome::NotSent).information);
}

} // namespace
