#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "TestFiles.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CMediaTable.h"
#include "maintenance/CManualAlignment.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using MA = CManualAlignment;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}
const Bytes kEnter = {0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00,
                      'R',  'E',  'M',  'O',  'T',  'E',  '1'};
const Bytes kExit = {0x1B, 0x00, 0x00, 0x00};
const Bytes kJobEnd = {0x0D, 0x0A, 0x0C, 0x1B, 0x40};
const Bytes kSave = {'S', 'V', 0x00, 0x00};
Bytes PH(int v) {
    return {'P', 'H', 0x02, 0x00, 0x00, static_cast<std::uint8_t>(v)};
}
Bytes SN(int v) {
    return {'S', 'N', 0x03, 0x00, 0x00, 0x01, static_cast<std::uint8_t>(v)};
}
Bytes DT(int g, int x) {
    return {'D', 'T', 0x03, 0x00, 0x00, static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(x)};
}
// One "DA" per column, codes from `firstCode` on, values as given.
Bytes DA(int g, int firstCode, const std::vector<int>& values) {
    Bytes b;
    for (std::size_t i = 0; i < values.size(); ++i)
        b.insert(b.end(), {'D', 'A', 0x04, 0x00, 0x00, static_cast<std::uint8_t>(g),
                           static_cast<std::uint8_t>(firstCode + static_cast<int>(i)),
                           static_cast<std::uint8_t>(values[i])});
    return b;
}

Bytes Build(const MA::Kind& kind, MA::Action action, int thickness, int platen, MA::Rows rows,
            const MA::Grid& grid) {
    Bytes out(MA::kJobRoom);
    const int n =
        MA::BuildValuesJob(kind, action, thickness, platen, rows, grid, out.data(), out.size());
    out.resize(static_cast<std::size_t>(n));
    return out;
}

MA::Grid Filled(int value) {
    MA::Grid g;
    for (auto& row : g)
        row.fill(value);
    return g;
}

TEST(ManualAlignmentJob, BytesOfPrintAndSave) {
    MA::Grid counting = Filled(5);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c)
            counting[r][c] = 1 + (r + c) % 9;
    const std::vector<int> fives8(8, 5), fives7(7, 5);
    struct Case {
        const char* what;
        const MA::Kind& kind;
        MA::Action action;
        MA::Rows rows;
        MA::Grid grid;
        Bytes want;
    };
    const Case cases[] = {
        // Rows #1 and #3 printed on the bidirectional page: 179 bytes.
        {"bi print #1 #3",
         MA::kBidirectional,
         MA::Action::Print,
         {true, false, true, false},
         Filled(5),
         Cat({kEnter, PH(3), SN(2), DA(0x00, 0x00, fives8), DA(0x00, 0x20, fives8), DT(0x00, 0x81),
              DT(0x00, 0x83), kExit, kJobEnd})},
        // Row #4 saved on the unidirectional page: 92 bytes, no job end.
        {"uni save #4",
         MA::kUnidirectional,
         MA::Action::Save,
         {false, false, false, true},
         Filled(5),
         Cat({kEnter, PH(3), SN(2), DA(0x10, 0x31, fives7), kSave, kExit})},
        {"uni print #2 typed values",
         MA::kUnidirectional,
         MA::Action::Print,
         {false, true, false, false},
         counting,
         Cat({kEnter, PH(3), SN(2), DA(0x10, 0x11, {2, 3, 4, 5, 6, 7, 8}), DT(0x10, 0x12), kExit,
              kJobEnd})},
        {"bi save all rows",
         MA::kBidirectional,
         MA::Action::Save,
         {true, true, true, true},
         counting,
         Cat({kEnter, PH(3), SN(2), DA(0x00, 0x00, {1, 2, 3, 4, 5, 6, 7, 8}),
              DA(0x00, 0x10, {2, 3, 4, 5, 6, 7, 8, 9}), DA(0x00, 0x20, {3, 4, 5, 6, 7, 8, 9, 1}),
              DA(0x00, 0x30, {4, 5, 6, 7, 8, 9, 1, 2}), kSave, kExit})},
        // An edit that could not be read goes out as 0; only the low byte of
        // a value is sent.
        {"uni print #1 odd values",
         MA::kUnidirectional,
         MA::Action::Print,
         {true, false, false, false},
         MA::Grid{MA::Row{0, 258, 5, 5, 5, 5, 5, 5}},
         Cat({kEnter, PH(3), SN(2), DA(0x10, 0x01, {0, 2, 5, 5, 5, 5, 5}), DT(0x10, 0x11), kExit,
              kJobEnd})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Build(c.kind, c.action, 3, 2, c.rows, c.grid), c.want);
    }
    EXPECT_EQ(
        Build(MA::kBidirectional, MA::Action::Print, 3, 2, {true, false, true, false}, Filled(5))
            .size(),
        179u);
    EXPECT_EQ(
        Build(MA::kUnidirectional, MA::Action::Save, 3, 2, {false, false, false, true}, Filled(5))
            .size(),
        92u);
}

TEST(ManualAlignmentJob, LeaveJobAndTooSmallBuffers) {
    Bytes out(64);
    ASSERT_EQ(MA::BuildLeaveJob(out.data(), out.size()), 23);
    out.resize(23);
    EXPECT_EQ(out, Cat({kEnter, {'L', 'D', 0x00, 0x00}, kExit}));
    EXPECT_EQ(MA::BuildLeaveJob(out.data(), 22), 0);

    // With the whole grid to send, a short buffer gets no half-written row.
    Bytes small(40);
    EXPECT_EQ(MA::BuildValuesJob(MA::kBidirectional, MA::Action::Print, 3, 2,
                                 {true, false, false, false}, Filled(5), small.data(),
                                 small.size()),
              15 + 6 + 7 + 7 + 4);
}

TEST(ManualAlignmentJob, CodesOfBothKinds) {
    EXPECT_EQ(MA::ColumnCode(MA::kBidirectional, 2, 7), 0x27);
    EXPECT_EQ(MA::ColumnCode(MA::kUnidirectional, 3, 6), 0x37);
    EXPECT_EQ(MA::PatternByte(MA::kBidirectional, 0), 0x81);
    EXPECT_EQ(MA::PatternByte(MA::kUnidirectional, 3), 0x14);
    // The direction byte the builders write for each kind.
    for (const MA::Kind* kind : {&MA::kBidirectional, &MA::kUnidirectional}) {
        const Bytes job =
            Build(*kind, MA::Action::Print, 3, 2, {true, false, false, false}, Filled(5));
        EXPECT_EQ(job[28 + 5], kind->directionByte);
        EXPECT_EQ(job[28 + 8 * kind->columns + 5], kind->directionByte);
    }
}

// Rows: id, file id, sub-id, code, variant, kind-2 excl., auto excl.,
// order, thickness, then Mw/Hres/Vres of modes 1..4.
const char* const kMedia =
    "[Media]\n"
    "MEDIA_NUM=2\n"
    "MEDIA01=101,1,1,7,0,0,1,30,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA02=102,1,2,9,1,1,0,30,8,2,360,720,4,720,720,8,1440,720,16,1440,1440\n";
const MediaTypeList::DriverMedia kDriverMedia = {{101, "Plain"}, {102, "Coated"}};

TEST(ManualAlignmentState, RowsAndActionsEnabling) {
    TempDir dir;
    CMediaTable table(dir.write("Media.ini", kMedia));
    MA::FirstFillFlag(MA::Direction::Bidirectional) = true;
    MA alignment(MA::kBidirectional);
    alignment.Media().FillMedia(table, kDriverMedia, 2);
    EXPECT_FALSE(alignment.Media().MediaItems()[1].Unavailable())
        << "auto-adjust exclusions play no part here";
    EXPECT_TRUE(alignment.Media().MediaItems()[2].Unavailable());
    EXPECT_EQ(alignment.Media().MediaItems()[0].textId, 80110);

    struct Case {
        const char* what;
        MA::Rows rows;
        const char* thickness;
        bool want;
    };
    const Case cases[] = {
        {"no row", {false, false, false, false}, "3", false},
        {"no thickness", {false, true, false, false}, "", false},
        {"row and thickness", {false, false, false, true}, "3", true},
    };
    for (const Case& c : cases) {
        for (int r = 0; r < 4; ++r)
            alignment.SetRowChecked(r, c.rows[r]);
        alignment.Media().SetThicknessText(c.thickness);
        EXPECT_EQ(alignment.ActionsEnabled(table), c.want) << c.what;
        for (int r = 0; r < 4; ++r)
            EXPECT_EQ(alignment.RowEnabled(r), c.rows[r]) << c.what << " row " << r;
    }
    // A media the kind-2 driver cannot use (chosen by the program) disables them.
    alignment.Media().Remark(table, 1);
    ASSERT_TRUE(alignment.Media().SelectMedia(2, [](std::uint32_t) { return 8; }));
    EXPECT_TRUE(alignment.ActionsEnabled(table));
    alignment.Media().Remark(table, 2);
    EXPECT_FALSE(alignment.ActionsEnabled(table));
}

// One Print or Save against the spooler double and a scripted printer.
class RunFixture : public ::testing::Test {
public:
    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("Room2", 1), 1);
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        spooler.AddPrinter("Room2");
        MA::FirstFillFlag(MA::Direction::Unidirectional) = true;
        alignment.Media().FillMedia(table, kDriverMedia, 1);
        alignment.Media().SetThicknessText("4");
        alignment.SetRowChecked(1, true);
        alignment.SetValue(1, 0, 7);
    }
    MA::Outcome Run(MA::Action action, bool wait = true) {
        MA::Target target{link, "Room2", wait, nullptr, table, [this] {
                              ++kindReads;
                              return 1;
                          }};
        return alignment.Run(action, target, [this](bool on) { blocking.push_back(on); });
    }
    void Ready() { fake.PushStatus(StatusReplyBytes(StateField(4))); }
    static std::string EXReply(int v) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", v);
        return "EX:0000001B" + std::string(38, '0') + hex + std::string(156, '0') + ";";
    }

    TempDir dir;
    CMediaTable table{dir.write("Media.ini", kMedia)};
    FakeBidi fake;
    CBidiLibrary lib;
    CPrinterLink link{&lib};
    RecordingSpooler spooler;
    FakeClock clock;
    FakeClock::Scope scope{clock};
    MA alignment{MA::kUnidirectional};
    std::vector<bool> blocking;
    int kindReads = 0;
};

TEST_F(RunFixture, ASentSavePausesAndResetsTheGrid) {
    Ready();
    fake.PushReceive("SN:010;");
    EXPECT_EQ(Run(MA::Action::Save), MA::Outcome::Sent);
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].name, "ZAMU Command");
    // Thickness 4 without a media: the middle gap (value 2, sent as 3).
    EXPECT_EQ(spooler.Documents()[0].bytes,
              Cat({kEnter, PH(4), SN(3), DA(0x10, 0x11, {7, 5, 5, 5, 5, 5, 5}), kSave, kExit}));
    EXPECT_EQ(clock.Waits().back(), 3000);
    EXPECT_EQ(blocking, (std::vector<bool>{true, false}));
    EXPECT_EQ(alignment.Value(1, 0), 5);
    EXPECT_EQ(kindReads, 0) << "no media: the driver need not be asked";
    EXPECT_EQ(MA::MessageFor(MA::Action::Save, MA::Outcome::Sent).text, 80903);
    EXPECT_EQ(MA::MessageFor(MA::Action::Print, MA::Outcome::Sent).text, 80902);
}

TEST_F(RunFixture, RefusalsSendNothing) {
    struct Case {
        const char* what;
        std::function<void(RunFixture&)> setUp;
        MA::Outcome want;
        int text;
        bool pausedBlocked; // the blocking part began (and ended)
    };
    const Case cases[] = {
        {"no thickness", [](RunFixture& f) { f.alignment.Media().SetThicknessText(""); },
         MA::Outcome::NoThickness, 80901, false},
        {"never ready", [](RunFixture& f) { f.fake.PushStatus(StatusReplyBytes(StateField(3))); },
         MA::Outcome::NotReady, 901, false},
        {"SN level 1",
         [](RunFixture& f) {
             f.Ready();
             f.fake.PushReceive("SN:011;");
         },
         MA::Outcome::SnRefused, 80900, true},
        {"automatic gap not answered",
         [](RunFixture& f) {
             f.Ready();
             f.fake.PushReceive("SN:010;");
             ASSERT_TRUE(f.alignment.Media().SelectMedia(1, [](std::uint32_t) { return 3; }));
         },
         MA::Outcome::PlatenUnknown, 901, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.Reset();
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        blocking.clear();
        ASSERT_TRUE(alignment.Media().SelectMedia(0, {}));
        alignment.Media().SetThicknessText("4");
        c.setUp(*this);
        alignment.SetValue(1, 0, 7);
        EXPECT_EQ(Run(MA::Action::Print), c.want);
        EXPECT_TRUE(spooler.Documents().empty());
        EXPECT_EQ(alignment.Value(1, 0), 7) << "the typed values stay";
        EXPECT_EQ(MA::MessageFor(MA::Action::Print, c.want).text, c.text);
        EXPECT_TRUE(MA::MessageFor(MA::Action::Print, c.want).warning);
        EXPECT_EQ(blocking,
                  (c.pausedBlocked ? std::vector<bool>{true, false} : std::vector<bool>{}));
        if (c.want == MA::Outcome::NoThickness) {
            EXPECT_EQ(fake.Calls("TQOpenChannel"), 0);
        }
        EXPECT_EQ(fake.OpenChannels(), 0);
    }
}

TEST_F(RunFixture, TheAutomaticGapIsThePrintersAnswerForTheMediaCode) {
    Ready();
    fake.PushReceive("SN:010;");
    fake.PushReceive(EXReply(3));
    ASSERT_TRUE(alignment.Media().SelectMedia(1, [](std::uint32_t) { return 3; }));
    EXPECT_EQ(Run(MA::Action::Print), MA::Outcome::Sent);
    EXPECT_EQ(kindReads, 1);
    // The query carries the media's code (7) ...
    EXPECT_EQ(fake.LastSent(), (Bytes{'E', 'X', 7, 0, 1, 0, 0, 0, 0x1B, 7, 0}));
    // ... and its answer 3 is what the job carries; thickness from the media.
    ASSERT_EQ(spooler.Documents().size(), 1u);
    const Bytes& job = spooler.Documents()[0].bytes;
    EXPECT_EQ(Bytes(job.begin() + 15, job.begin() + 28), Cat({PH(3), SN(3)}));
}

TEST_F(RunFixture, AJobNotSentStillPausesButKeepsTheValues) {
    Ready();
    fake.PushReceive("SN:010;");
    spooler.Fail(RecordingSpooler::Step::Write);
    EXPECT_EQ(Run(MA::Action::Print), MA::Outcome::NotSent);
    EXPECT_EQ(clock.Waits().back(), 3000);
    EXPECT_EQ(alignment.Value(1, 0), 7);
    // The operator is told that nothing went out.
    EXPECT_EQ(MA::MessageFor(MA::Action::Print, MA::Outcome::NotSent).text, 903);
}

TEST_F(RunFixture, ReviewModeSkipsTheReadinessWait) {
    fake.PushStatus(StatusReplyBytes(StateField(3))); // never ready
    fake.PushReceive("SN:010;");
    EXPECT_EQ(Run(MA::Action::Print, false), MA::Outcome::Sent);
    EXPECT_EQ(fake.Calls("TQGetStatus"), 0);
    EXPECT_EQ(spooler.Documents().size(), 1u);
}

TEST_F(RunFixture, LeaveJobAndInkCount) {
    EXPECT_TRUE(MA::SendLeaveJob("Room2"));
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes.size(), 23u);
    EXPECT_FALSE(MA::SendLeaveJob("Gone"));

    // Field 0F: entry size 3, then the entries; 8 inks when the entries at
    // bytes 17, 20, 23 carry colours 4, 5, 8.
    const std::vector<std::uint8_t> eight = {0x0F, 25, 3, 0,  1, 90, 0,  2, 90, 0,  3, 90, 0, 6,
                                             90,   0,  7, 90, 0, 4,  90, 0, 5,  90, 0, 8,  90};
    const std::vector<std::uint8_t> four = {0x0F, 13, 3, 0, 1, 90, 0, 2, 90, 0, 3, 90, 0, 4, 90};
    fake.PushStatus(StatusReplyBytes(four));
    EXPECT_EQ(MA::ReadInkCount(link, "Room2"), 4);
    fake.Reset();
    std::vector<std::uint8_t> channels;
    FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
    fake.SetChannels(channels);
    fake.PushStatus(StatusReplyBytes(eight));
    EXPECT_EQ(MA::ReadInkCount(link, "Room2"), 8);
    EXPECT_EQ(fake.OpenChannels(), 0);
    fake.SetOpenResult(-1);
    EXPECT_EQ(MA::ReadInkCount(link, "Room2"), 8) << "no channel";
}

} // namespace
