#include "maintenance/CAutoAdjustment.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "comm/RemotePackets.h"
#include "custompaper/CMediaTable.h"
#include "platform/Clock.h"

#include "AutoAdjustTestSupport.h"
#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Adj = CAutoAdjustment;
using Dir = Adj::Direction;
using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
const Bytes kEnter = {0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'};
const Bytes kExitAndEnd = {0x1B, 0x00, 0x00, 0x00, 0x0D, 0x0A, 0x0C, 0x1B, 0x40};
Bytes PH(std::uint8_t t) { return {'P', 'H', 0x02, 0x00, 0x00, t}; }
Bytes SN(std::uint8_t v) { return {'S', 'N', 0x03, 0x00, 0x00, 0x01, v}; }
Bytes DT(std::uint8_t group, std::uint8_t x) { return {'D', 'T', 0x03, 0x00, 0x00, group, x}; }

// ---------------------------------------------------------------------------
// The jobs, byte for byte, and their time-outs.

struct JobCase {
    const char* what;
    Dir direction;
    Adj::Patterns patterns;
    int thickness;
    int platen;
    Bytes dt;
    int timeoutMs;
};

class AlignmentJob : public ::testing::TestWithParam<JobCase> {};

TEST_P(AlignmentJob, HoldsThicknessPlatenGapAndTheChosenPatterns) {
    const JobCase& c = GetParam();
    std::uint8_t job[Adj::kJobRoom];
    int timeout = 0;
    const int n = Adj::BuildAlignmentJob(job, sizeof job, c.direction, c.patterns, c.thickness,
                                         c.platen, &timeout);
    const Bytes want = Cat({kEnter, PH(static_cast<std::uint8_t>(c.thickness)),
                            SN(static_cast<std::uint8_t>(c.platen)), c.dt, kExitAndEnd});
    EXPECT_EQ(Bytes(job, job + n), want);
    EXPECT_EQ(timeout, c.timeoutMs);
    EXPECT_EQ(Adj::AlignmentTimeoutMs(c.direction, c.patterns), c.timeoutMs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AlignmentJob,
    ::testing::Values(
        JobCase{"uni_2_and_4", Dir::Unidirectional, {false, true, false, true}, 5, 2,
                Cat({DT(0x10, 0x02), DT(0x10, 0x04)}), 490000},
        JobCase{"bi_all_four", Dir::Bidirectional, {true, true, true, true}, 3, 0, DT(0x00, 0x00),
                1080000},
        JobCase{"uni_all_four", Dir::Unidirectional, {true, true, true, true}, 16, 4,
                DT(0x10, 0x00), 840000},
        JobCase{"bi_1", Dir::Bidirectional, {true, false, false, false}, 1, 1, DT(0x00, 0x01),
                360000},
        JobCase{"bi_1_2_3", Dir::Bidirectional, {true, true, true, false}, 7, 3,
                Cat({DT(0x00, 0x01), DT(0x00, 0x02), DT(0x00, 0x03)}), 1020000},
        JobCase{"uni_1_3", Dir::Unidirectional, {true, false, true, false}, 2, 2,
                Cat({DT(0x10, 0x01), DT(0x10, 0x03)}), 520000}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(SensorNozzleCheckJob, IsThirtyBytes) {
    std::uint8_t job[Adj::kJobRoom];
    const int n = Adj::BuildSensorNozzleCheckJob(job, sizeof job);
    EXPECT_EQ(Bytes(job, job + n),
              Cat({kEnter, Bytes{'N', 'C', 0x02, 0x00, 0x00, 0x01}, kExitAndEnd}));
    EXPECT_EQ(n, 30);
}

// ---------------------------------------------------------------------------
// The choice: media list, activation, refresh, Start enabling.

struct ChoiceFixture : ::testing::Test {
    TempDir dir;
    CMediaTable table{dir.write("Media.ini", kAutoAdjustMedia)};
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    TableDriver driver;
    RecordingBusy busy;
    Adj adj{table};

    std::vector<bool> Marks() const {
        std::vector<bool> marks;
        for (const auto& item : adj.Choice().MediaItems()) marks.push_back(item.Unavailable());
        return marks;
    }
};

TEST_F(ChoiceFixture, ANewPrinterFillsTheMediaListBehindTheBusyDialog) {
    driver.kind = 2;
    EXPECT_TRUE(adj.Activate("qz", driver, busy));
    ASSERT_EQ(busy.shown.size(), 1u);
    EXPECT_EQ(busy.shown[0].caption, 80000);
    EXPECT_EQ(busy.shown[0].timeoutMs, 60000);
    EXPECT_FALSE(busy.shown[0].cancellable);
    EXPECT_EQ(busy.ends, 1);

    // Item 0, then 101 102 103 104 (201 is not listed); 102 greyed for kind
    // 2, 103 greyed on this page.
    const auto& items = adj.Choice().MediaItems();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].textId, 10140);
    EXPECT_EQ(items[1].name, "Plain");
    EXPECT_EQ(Marks(), (std::vector<bool>{false, false, true, true, false}));
    EXPECT_EQ(adj.Choice().MediaIndex(), 0);
    EXPECT_EQ(adj.Choice().ThicknessText(), "");
    EXPECT_FALSE(adj.Choice().PlatenEnabled());
    EXPECT_TRUE(driver.applied.empty()) << "no media is written for item 0";

    // The same printer again: a refresh, no list read and no busy dialog.
    driver.kind = 1;
    EXPECT_FALSE(adj.Activate("qz", driver, busy));
    EXPECT_EQ(busy.shown.size(), 1u);
    EXPECT_EQ(driver.mediaReads, 1);
    EXPECT_EQ(Marks(), (std::vector<bool>{false, false, false, true, false}));

    // Another printer: a new list.
    EXPECT_TRUE(adj.Activate("corvan", driver, busy));
    EXPECT_EQ(driver.mediaReads, 2);
    EXPECT_EQ(adj.FilledFor(), "corvan");
}

TEST_F(ChoiceFixture, MediaSelectionWritesTheDriverAndTakesItsThickness) {
    adj.Activate("qz", driver, busy);
    EXPECT_FALSE(adj.SelectMedia(3, driver)) << "Film is greyed on this page";
    EXPECT_EQ(adj.Choice().MediaIndex(), 0);

    ASSERT_TRUE(adj.SelectMedia(2, driver)); // Coated, 0.8 mm
    EXPECT_EQ(driver.applied, (std::vector<std::uint32_t>{102}));
    EXPECT_EQ(adj.Choice().ThicknessText(), "8");
    EXPECT_TRUE(adj.Choice().ThicknessReadOnly());
    EXPECT_EQ(adj.TypeThickness("2"), "8") << "a media's thickness cannot be typed over";
    // Thickness 8 with a media: automatic and the widest gap, automatic selected.
    ASSERT_EQ(adj.Choice().PlatenItems().size(), 2u);
    EXPECT_EQ(adj.Choice().PlatenIndex(), 0);

    // The settings change: the media is written again; under kind 2 it is
    // greyed and Start stays disabled although it is still the selection.
    adj.SetPattern(Dir::Bidirectional, 1, true);
    EXPECT_TRUE(adj.StartEnabled(Dir::Bidirectional));
    driver.kind = 2;
    adj.Refresh(driver);
    EXPECT_EQ(driver.applied, (std::vector<std::uint32_t>{102, 102}));
    EXPECT_EQ(adj.Choice().MediaIndex(), 2);
    EXPECT_FALSE(adj.StartEnabled(Dir::Bidirectional));

    // Back to no media: the thickness is typed again.
    ASSERT_TRUE(adj.SelectMedia(0, driver));
    EXPECT_FALSE(adj.Choice().ThicknessReadOnly());
    EXPECT_EQ(adj.Choice().ThicknessText(), "");
    EXPECT_EQ(adj.TypeThickness("25"), "16");
}

TEST_F(ChoiceFixture, StartNeedsAPatternAThicknessAndAUsableMedia) {
    adj.Activate("qz", driver, busy);
    struct Case {
        const char* what;
        int pattern; // checked in the bidirectional group, 0 none
        const char* thickness;
        bool enabled;
    };
    const Case cases[] = {
        {"nothing", 0, "", false},
        {"pattern only", 3, "", false},
        {"thickness only", 0, "4", false},
        {"both", 3, "4", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int p = 1; p <= 4; ++p) adj.SetPattern(Dir::Bidirectional, p, p == c.pattern);
        adj.TypeThickness(c.thickness);
        EXPECT_EQ(adj.StartEnabled(Dir::Bidirectional), c.enabled);
        EXPECT_FALSE(adj.StartEnabled(Dir::Unidirectional)) << "the other group has no pattern";
    }
}

// ---------------------------------------------------------------------------
// The actions, from the readiness wait to the watch's end, against the
// spooler double and a scripted bidirectional library.

struct ActionFixture : ChoiceFixture {
    FakeBidi fake;
    CBidiLibrary lib;
    CPrinterLink link{&lib};
    RecordingSpooler spooler;

    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("qz", 1), 1);
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        spooler.AddPrinter("qz");
        adj.Activate("qz", driver, busy);
        busy.shown.clear();
        busy.ends = 0;
    }
    void Ready(int state = 4) { fake.PushStatus(StatusReplyBytes(StateField(state))); }
    Bytes Sent() const {
        return spooler.Documents().empty() ? Bytes{} : spooler.Documents()[0].bytes;
    }
    Adj::Outcome Align(Dir direction, bool waitForReady = true) {
        const std::int64_t start = clock.TickMs();
        const auto outcome =
            adj.StartAlignment(direction, link, "qz", driver, nullptr, waitForReady, busy);
        elapsedMs = clock.TickMs() - start;
        return outcome;
    }
    std::int64_t elapsedMs = 0;
};

TEST_F(ActionFixture, UnidirectionalTwoAndFourFinishesAfterTheWatch) {
    adj.SetPattern(Dir::Unidirectional, 2, true);
    adj.SetPattern(Dir::Unidirectional, 4, true);
    adj.TypeThickness("5"); // no media: first fill selects "Standard" (value 2, sent 3)
    Ready();
    fake.PushReceive(SNReply(0));
    EXPECT_EQ(Align(Dir::Unidirectional), Adj::Outcome::Finished);
    EXPECT_EQ(Sent(), Cat({kEnter, PH(5), SN(3), DT(0x10, 2), DT(0x10, 4), kExitAndEnd}));
    EXPECT_EQ(spooler.Documents()[0].name, "ZAMU Command");
    ASSERT_EQ(busy.shown.size(), 1u);
    EXPECT_EQ(busy.shown[0].caption, 10110);
    EXPECT_EQ(busy.shown[0].timeoutMs, 490000);
    EXPECT_TRUE(busy.shown[0].cancellable);
    EXPECT_EQ(busy.ends, 1);
    EXPECT_GE(elapsedMs, 32000) << "the watch polls from 30 s on";
    EXPECT_EQ(fake.OpenChannels(), 0);
    const auto msg = Adj::MessageFor(Adj::Outcome::Finished);
    EXPECT_EQ(msg.text, 10900);
    EXPECT_EQ(msg.icon, MessageIcon::Information);
}

struct RunCase {
    const char* what;
    int readyState;      // status at the Start
    const char* snReply; // nullptr: no reply
    int media;           // media id selected, 0 none (thickness 2 typed)
    int platenValue;     // platen item value selected (0 automatic)
    const char* exReply; // reply to the EX read, nullptr: none
    bool failWrite;
    int watchState;      // status from 1 ms after the Start on
    int laterState;      // status from 40 s after the Start on (-1 unchanged)
    long long cancelAfterMs;
    Adj::Outcome want;
    int wantText;
    int sentPlaten;      // -1: no job
};

class AlignmentRun : public ActionFixture, public ::testing::WithParamInterface<RunCase> {};

TEST_P(AlignmentRun, EndsInItsMessage) {
    const RunCase& c = GetParam();
    for (int p = 1; p <= 4; ++p) adj.SetPattern(Dir::Bidirectional, p, true);
    if (c.media) ASSERT_TRUE(adj.SelectMedia(adj.MediaIndexOfId(c.media), driver));
    else adj.TypeThickness("2");
    ASSERT_TRUE(adj.SelectPlaten(adj.Choice().PlatenIndexOfValue(c.platenValue)));
    Ready(c.readyState);
    if (c.snReply) fake.PushReceive(c.snReply);
    if (c.exReply) fake.PushReceive(c.exReply);
    if (c.failWrite) spooler.Fail(RecordingSpooler::Step::Write);
    const std::int64_t start = clock.TickMs();
    clock.SetOnAdvance([this, start, c, step = 0](std::int64_t now) mutable {
        if (step == 0 && now >= start + 1) {
            step = 1;
            Ready(c.watchState);
        }
        if (step == 1 && c.laterState >= 0 && now >= start + 40000) {
            step = 2;
            Ready(c.laterState);
        }
    });
    busy.cancelAfterMs = c.cancelAfterMs;

    const Adj::Outcome outcome = Align(Dir::Bidirectional);
    EXPECT_EQ(outcome, c.want);
    EXPECT_EQ(Adj::MessageFor(outcome).text, c.wantText);
    if (c.sentPlaten < 0) {
        EXPECT_TRUE(spooler.Documents().empty());
    } else if (!c.failWrite) {
        ASSERT_EQ(spooler.Documents().size(), 1u);
        const std::uint8_t thickness = c.media == 101 ? 3 : 2;
        EXPECT_EQ(Sent(), Cat({kEnter, PH(thickness), SN(static_cast<std::uint8_t>(c.sentPlaten)),
                               DT(0x00, 0x00), kExitAndEnd}));
    }
    // The busy dialog comes only with a job, and always goes again.
    EXPECT_EQ(busy.shown.size(), c.sentPlaten < 0 ? 0u : 1u);
    EXPECT_EQ(busy.ends, static_cast<int>(busy.shown.size()));
    EXPECT_EQ(fake.OpenChannels(), 0);
    clock.SetOnAdvance(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AlignmentRun,
    ::testing::Values(
        // Not ready: nothing is asked or sent.
        RunCase{"not_ready", 3, nullptr, 0, 2, nullptr, false, 3, -1, -1, Adj::Outcome::NotReady,
                901, -1},
        RunCase{"sn_level_not_0", 4, "SN:011;", 0, 2, nullptr, false, 4, -1, -1,
                Adj::Outcome::NotAlignable, 80900, -1},
        RunCase{"sn_level_out_of_range", 4, "SN:017;", 0, 2, nullptr, false, 4, -1, -1,
                Adj::Outcome::NotAlignable, 80900, -1},
        // The platen gap chosen is sent without asking the printer.
        RunCase{"narrow_gap", 4, "SN:010;", 0, 1, nullptr, false, 4, -1, -1,
                Adj::Outcome::Finished, 10900, 4},
        // Automatic with a media asks the printer; no answer refuses.
        RunCase{"automatic_unanswered", 4, "SN:010;", 101, 0, "XX:NA;", false, 4, -1, -1,
                Adj::Outcome::PlatenNotObtained, 901, -1},
        RunCase{"failed_write", 4, "SN:010;", 0, 3, nullptr, true, 4, -1, -1,
                Adj::Outcome::Failed, 10901, 2},
        RunCase{"error_state_while_watched", 4, "SN:010;", 0, 4, nullptr, false, 3, 0, -1,
                Adj::Outcome::Failed, 10901, 1},
        RunCase{"cancelled", 4, "SN:010;", 0, 4, nullptr, false, 3, -1, 45000,
                Adj::Outcome::Cancelled, 10902, 1},
        RunCase{"timed_out", 4, "SN:010;", 0, 4, nullptr, false, 3, -1, -1,
                Adj::Outcome::TimedOut, 10902, 1}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ActionFixture, AutomaticPlatenGapIsThePrintersAnswerForTheMediaCode) {
    for (int p = 1; p <= 4; ++p) adj.SetPattern(Dir::Bidirectional, p, true);
    struct Case {
        int kind;
        std::uint8_t code; // 101's code for the driver kind's variant
        int level;
    };
    for (const Case c : {Case{1, 7, 2}, Case{2, 71, 4}, Case{3, 71, 0}}) {
        SCOPED_TRACE(c.kind);
        spooler.Clear();
        driver.kind = c.kind;
        ASSERT_TRUE(adj.SelectMedia(adj.MediaIndexOfId(101), driver));
        ASSERT_EQ(adj.Choice().PlatenItems()[adj.Choice().PlatenIndex()].value, 0);
        Ready();
        fake.PushReceive(SNReply(0));
        fake.PushReceive(EXReply(c.level));
        EXPECT_EQ(Align(Dir::Bidirectional), Adj::Outcome::Finished);
        EXPECT_EQ(fake.LastSent(), (Bytes{'E', 'X', 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1B, c.code, 0x00}));
        EXPECT_EQ(Sent(), Cat({kEnter, PH(3), SN(static_cast<std::uint8_t>(c.level)), DT(0, 0), kExitAndEnd}));
    }
}

TEST_F(ActionFixture, EmptyThicknessIsRefusedAfterTheReadinessWait) {
    adj.SetPattern(Dir::Bidirectional, 2, true);
    Ready();
    EXPECT_EQ(Align(Dir::Bidirectional), Adj::Outcome::EmptyThickness);
    EXPECT_EQ(Adj::MessageFor(Adj::Outcome::EmptyThickness).text, 80901);
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(fake.Calls("TQSend"), 0) << "the SN query is not asked";
}

TEST_F(ActionFixture, ReviewModeSkipsTheReadinessWait) {
    adj.SetPattern(Dir::Bidirectional, 2, true);
    adj.TypeThickness("4");
    Ready(3); // busy: a readiness wait would refuse
    fake.PushReceive(SNReply(1));
    EXPECT_EQ(Align(Dir::Bidirectional, false), Adj::Outcome::NotAlignable);
    EXPECT_EQ(fake.Calls("TQGetStatus"), 0);
}

TEST_F(ActionFixture, ANotAllowedStartSendsNothing) {
    adj.TypeThickness("4");
    EXPECT_EQ(Align(Dir::Bidirectional), Adj::Outcome::NotAllowed) << "no pattern";
    EXPECT_EQ(fake.Calls("TQGetStatus"), 0);
    EXPECT_EQ(Adj::MessageFor(Adj::Outcome::NotAllowed).text, -1);
}

TEST_F(ActionFixture, SensorNozzleCheckSendsItsJobAndWatches) {
    Ready(3);
    EXPECT_EQ(adj.StartNozzleCheck(link, "qz", nullptr, true, busy), Adj::Outcome::NotReady);
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_TRUE(busy.shown.empty());

    Ready(4);
    EXPECT_EQ(adj.StartNozzleCheck(link, "qz", nullptr, true, busy), Adj::Outcome::Finished);
    EXPECT_EQ(Sent(), Cat({kEnter, Bytes{'N', 'C', 0x02, 0x00, 0x00, 0x01}, kExitAndEnd}));
    ASSERT_EQ(busy.shown.size(), 1u);
    EXPECT_EQ(busy.shown[0].caption, 10130);
    EXPECT_EQ(busy.shown[0].timeoutMs, 1500000);
    EXPECT_TRUE(busy.shown[0].cancellable);
    EXPECT_EQ(busy.ends, 1);
}

} // namespace
