// The decisions of the registration page against a scripted bidirectional
// library (local channel) and the spooler double: showing the page, picking
// registered and empty slots, the media placeholder, the thickness pattern
// and what follows a registration.
#include "FakeBidi.h"
#include "PaperEditFixture.h"
#include "RecordingSpooler.h"
#include "SlotReplies.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CCustomPaperReg.h"
#include "custompaper/CCustomPaperTable.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

namespace {

using Reg = CCustomPaperReg;
using Bytes = std::vector<std::uint8_t>;

const Bytes kReady{0x01, 0x01, 0x04};
const Bytes kBusy{0x01, 0x01, 0x03};

struct RegFixture : ::testing::Test {
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    FakeBidi fake;
    CBidiLibrary lib;
    CPrinterLink link{&lib};
    RecordingSpooler spooler;
    PaperEditMedia media;
    ScriptedMediaDriver driver;
    CCustomPaperTable table{"(empty)"};
    bool platenReset = true;
    Reg reg{table, media.table, platenReset, "(unknown media)"};
    Reg::Target target{link, "qz", false};

    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("qz", 1), 1);
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        spooler.AddPrinter("qz");
    }
    // A fresh script for the library.
    void Rescript() {
        fake.Reset();
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
    }
    // The names replies: `registered` slot numbers carry their names.
    void Names(const std::map<int, std::string>& registered) {
        for (int k : {1, 4, 7, 10}) {
            std::vector<Bytes> entries;
            for (int n = k; n <= std::min(k + 2, 10); ++n) {
                const auto it = registered.find(n);
                entries.push_back(
                    NameEntry(it != registered.end(), n, it != registered.end() ? it->second : ""));
            }
            fake.PushReceive(NamesReply(entries));
        }
    }
    void ShowReady(const std::map<int, std::string>& registered, Reg::ScreenValues screen = {}) {
        fake.PushStatus(FakeBidi::StatusRecord(kReady));
        Names(registered);
        ASSERT_EQ(reg.Show(target, nullptr, driver, screen), Reg::ShowOutcome::Shown);
    }
    static CustomPaperSlot Canvas() {
        CustomPaperSlot s;
        s.MediaCode = 14;
        s.Paperthick = 4;
        s.Platen = 1;
        s.Forward = -12;
        s.Drytime = 25;
        s.Paperdraw = -2;
        s.PaperCut = 3;
        s.Roller = 2;
        s.ThreeWay = 1;
        return s;
    }
};

TEST_F(RegFixture, ShownOnAnEmptySlotTheFirstMediaAndItsThicknessAreTaken) {
    ShowReady({{4, "Canvas"}});
    EXPECT_EQ(reg.ShownPick(), Reg::PickOutcome::TookOverScreen);
    EXPECT_EQ(reg.RecordIndex(), 0);
    const CustomPaperSlot& r = *reg.Record();
    EXPECT_EQ(r.MediaId, 101);
    EXPECT_EQ(r.MediaCode, 1);
    // The driver took the media and answered 0.3 mm; the reset flag picked
    // the third platen gap.
    EXPECT_EQ(driver.applied, std::vector<std::uint32_t>{101});
    EXPECT_EQ(reg.Choice().ThicknessText(), "3");
    EXPECT_EQ(r.Paperthick, 3);
    EXPECT_EQ(r.Platen, 3);
    EXPECT_EQ(r.Roller, 0);
    EXPECT_TRUE(reg.DetailEnabled());
    const auto items = reg.SlotItems();
    EXPECT_EQ(items[0], "#1 (empty)");
    EXPECT_EQ(items[3], "#4 Canvas");

    // Shown again for the same printer: the list is only remarked, the
    // driver is not asked to change its media.
    driver.kind = 2;
    ShowReady({{4, "Canvas"}});
    EXPECT_EQ(driver.applied.size(), 1u);
    EXPECT_TRUE(ItemMark::IsMarked(reg.Choice().MediaItems()[1].data));
}

TEST_F(RegFixture, FailuresRefuseThePageExceptInReviewMode) {
    struct Case {
        const char* name;
        bool ready;
        bool answered;
        bool review;
        Reg::ShowOutcome outcome;
    };
    for (const Case c : {Case{"not ready", false, true, false, Reg::ShowOutcome::NotReady},
                         Case{"no marker", true, false, false, Reg::ShowOutcome::NamesUnreadable},
                         Case{"review", false, false, true, Reg::ShowOutcome::Shown}}) {
        Rescript();
        fake.PushStatus(FakeBidi::StatusRecord(c.ready ? kReady : kBusy));
        if (c.answered)
            Names({});
        else
            fake.PushReceive("XX:NA;");
        const Reg::Target t{link, "qz", c.review};
        const Reg::ShowOutcome outcome = reg.Show(t, nullptr, driver, {});
        EXPECT_EQ(outcome, c.outcome) << c.name;
        EXPECT_EQ(Reg::Refuses(t, outcome), c.outcome != Reg::ShowOutcome::Shown) << c.name;
    }
    EXPECT_EQ(Reg::MessageFor(Reg::ShowOutcome::NotReady).text, 30901);
}

TEST_F(RegFixture, RegisteredSlotShowsItsSettingsAndAnUnknownMediaAsPlaceholder) {
    ShowReady({{4, "Canvas"}, {5, "Odd"}});
    fake.PushReceive(SettingsReply(SettingBytes(Canvas(), "Canvas", 4)));
    platenReset = true;
    ASSERT_EQ(reg.PickSlot(target, 3, driver, {}), Reg::PickOutcome::Registered);
    EXPECT_EQ(table.CurrentIndex(), 3);
    EXPECT_EQ(reg.Record(), &table.SlotAt(3));
    const CustomPaperSlot& r = *reg.Record();
    EXPECT_EQ(r.MediaId, 301);
    EXPECT_EQ(reg.Choice().SelectedMediaId(), 301);
    // Loading keeps the record's platen gap although the reset flag is set.
    EXPECT_EQ(reg.Choice().ThicknessText(), "4");
    EXPECT_EQ(reg.Choice().PlatenIndex(), 0);
    EXPECT_EQ(r.Platen, 1);
    EXPECT_EQ(r.Forward, -12);

    // A media code the table does not know: the placeholder item.
    CustomPaperSlot odd = Canvas();
    odd.MediaCode = 200;
    fake.PushReceive(SettingsReply(SettingBytes(odd, "Odd", 5)));
    ASSERT_EQ(reg.PickSlot(target, 4, driver, {}), Reg::PickOutcome::Registered);
    EXPECT_EQ(reg.Record()->MediaId, 0);
    ASSERT_EQ(reg.Choice().MediaItems().size(), 4u);
    EXPECT_EQ(reg.Choice().MediaItems().back().name, "(unknown media)");
    EXPECT_EQ(reg.Choice().MediaIndex(), 3);
    EXPECT_FALSE(reg.DetailEnabled());
    EXPECT_FALSE(reg.DetailMediaChosen());

    // Picking a real media removes it and takes the media's code.
    reg.PickMedia(2, driver);
    EXPECT_EQ(reg.Choice().MediaItems().size(), 3u);
    EXPECT_EQ(reg.Record()->MediaId, 401);
    EXPECT_EQ(reg.Record()->MediaCode, 20);
    EXPECT_EQ(reg.Choice().ThicknessText(), "12");
    EXPECT_TRUE(reg.DetailEnabled());
}

TEST_F(RegFixture, EmptySlotTakesOverTheSettingsOnScreen) {
    ShowReady({{4, "Canvas"}});
    fake.PushReceive(SettingsReply(SettingBytes(Canvas(), "Canvas", 4)));
    ASSERT_EQ(reg.PickSlot(target, 3, driver, {}), Reg::PickOutcome::Registered);
    // The tabs show a feed of 30 and the second box its third item.
    Reg::ScreenValues screen;
    screen.forward = 30;
    screen.roller = 2;
    ASSERT_EQ(reg.PickSlot(target, 6, driver, screen), Reg::PickOutcome::TookOverScreen);
    EXPECT_EQ(table.CurrentIndex(), 6);
    const CustomPaperSlot& r = table.SlotAt(6);
    EXPECT_EQ(reg.Record(), &r);
    EXPECT_EQ(r.MediaId, 301);
    EXPECT_EQ(r.MediaCode, 14);
    EXPECT_EQ(r.Paperthick, 4);
    EXPECT_EQ(r.Platen, 1);
    EXPECT_EQ(r.Forward, 30);
    EXPECT_EQ(r.Drytime, 25);
    EXPECT_EQ(r.Paperdraw, -2);
    EXPECT_EQ(r.PaperCut, 3);
    EXPECT_EQ(r.Roller, 2);
    EXPECT_EQ(r.ThreeWay, 1);
    EXPECT_EQ(r.Registered, 0);
    EXPECT_EQ(table.SlotAt(3).Forward, -12) << "the slot left keeps its own values";

    // An emptied thickness field reads 0.
    reg.TypeThickness("");
    ASSERT_EQ(reg.PickSlot(target, 7, driver, {}), Reg::PickOutcome::TookOverScreen);
    EXPECT_EQ(table.SlotAt(7).Paperthick, 0);
}

TEST_F(RegFixture, UnreadableSettingsKeepTheSlotBeingEdited) {
    ShowReady({{4, "Canvas"}});
    fake.PushReceive("XX:NA;");
    EXPECT_EQ(reg.PickSlot(target, 3, driver, {}), Reg::PickOutcome::SettingsUnreadable);
    // Save writes the table's current slot: still the one on screen.
    EXPECT_EQ(table.CurrentIndex(), 0);
    EXPECT_EQ(reg.RecordIndex(), 0);
    EXPECT_EQ(Reg::MessageFor(Reg::PickOutcome::SettingsUnreadable).text, 30901);
}

TEST_F(RegFixture, ThicknessPatternJob) {
    fake.PushStatus(FakeBidi::StatusRecord(kBusy));
    EXPECT_EQ(
        Reg::MessageFor(CPaperSettingsChoice::PrintThicknessPattern(link, "qz", nullptr)).text,
        901);
    EXPECT_TRUE(spooler.Documents().empty());

    Rescript();
    fake.PushStatus(FakeBidi::StatusRecord(kReady));
    const auto waitsBefore = clock.Waits().size();
    EXPECT_EQ(Reg::MessageFor(CPaperSettingsChoice::PrintThicknessPattern(link, "qz", nullptr)),
              (Reg::Message{30905, Reg::Icon::Information, false}));
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes.size(), 30u);
    ASSERT_GT(clock.Waits().size(), waitsBefore);
    EXPECT_EQ(clock.Waits().back(), 3000);

    // A job the spooler refuses shows nothing.
    fake.PushStatus(FakeBidi::StatusRecord(kReady));
    spooler.Fail(RecordingSpooler::Step::Write);
    const auto outcome = CPaperSettingsChoice::PrintThicknessPattern(link, "qz", nullptr);
    EXPECT_EQ(outcome, CPaperSettingsChoice::PatternOutcome::NotSent);
    EXPECT_EQ(Reg::MessageFor(outcome).text, 0);
}

TEST_F(RegFixture, RegistrationReadsTheWrittenNameAndKeepsTheEditedSlot) {
    ShowReady({});
    ASSERT_EQ(reg.PickSlot(target, 2, driver, {}), Reg::PickOutcome::TookOverScreen);
    // Another slot was written: its name is read until the printer holds
    // it (the job went through the spooler), the edited slot stays.
    fake.PushReceive(NamesReply({NameEntry(0, 6, "")}));
    fake.PushReceive(NamesReply({NameEntry(1, 6, "Old name")}));
    fake.PushReceive(NamesReply({NameEntry(1, 6, "Written")}));
    fake.PushReceive(NamesReply({NameEntry(1, 6, "Not asked")}));
    const auto waits = clock.Waits().size();
    ASSERT_TRUE(reg.Registered(target, 5, "Written  "));
    EXPECT_EQ(reg.SlotItems()[5], "#6 Written");
    EXPECT_EQ(clock.Waits().size() - waits, 2u);
    EXPECT_EQ(table.CurrentIndex(), 2);
    EXPECT_EQ(reg.RecordIndex(), 2);

    // A printer that never shows the name is asked a bounded number of times.
    Rescript();
    for (int i = 0; i < 20; ++i)
        fake.PushReceive(NamesReply({NameEntry(0, 6, "")}));
    EXPECT_TRUE(reg.Registered(target, 5, "Never"));
    EXPECT_EQ(fake.Sent().size(), static_cast<std::size_t>(Reg::kNameReadTries));
    // No answer at all: nothing to rebuild.
    Rescript();
    fake.SetOpenResult(0);
    EXPECT_FALSE(reg.Registered(target, 5, "Never"));
}

} // namespace
