// plotcare-cli's align command in-process: the item syntax, and each exit
// code against the spooler double and a scripted bidirectional library.
#include "cli/CliManualAlign.h"

#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "TestFiles.h"
#include "cli/CliCommands.h"
#include "comm/CPrinterLink.h"
#include "platform/Clock.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using MA = CManualAlignment;

TEST(CliAlignItems, RowsAndValuesFromEachForm) {
    struct Case {
        std::vector<std::string> items;
        int columns;
        MA::Rows rows;
        std::vector<std::pair<int, MA::Row>> values; // row index, its values
    };
    const MA::Row fives{5, 5, 5, 5, 5, 5, 5, 5};
    const Case cases[] = {
        {{"1", "3"}, 8, {true, false, true, false}, {{0, fives}, {2, fives}}},
        {{"4=1,2,3,4,5,6,7"}, 7, {false, false, false, true}, {{3, {1, 2, 3, 4, 5, 6, 7, 5}}}},
        {{"2=98765432"}, 8, {false, true, false, false}, {{1, {9, 8, 7, 6, 5, 4, 3, 2}}}},
        {{"3.1=4", "3.8=6", "1"},
         8,
         {true, false, true, false},
         {{2, {4, 5, 5, 5, 5, 5, 5, 6}}, {0, fives}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items.front());
        cli::AlignItems items;
        std::string error;
        ASSERT_TRUE(cli::ParseAlignItems(c.items, c.columns, items, error)) << error;
        EXPECT_EQ(items.rows, c.rows);
        for (const auto& [row, values] : c.values)
            EXPECT_EQ(items.values[row], values) << row;
    }
}

TEST(CliAlignItems, RefusesWhatIsNotOnTheGrid) {
    // On the unidirectional grid: 4 rows, 7 columns.
    const char* const bad[] = {"0",
                               "5",
                               "x",
                               "1.9=5",
                               "1.8=5",
                               "1.2",
                               "1.2=0",
                               "1.2=10",
                               "1=555",
                               "1=5,5,5,5,5,5",
                               "1=5,5,5,5,5,5,5,5",
                               "1=5,5,5,5,5,5,x",
                               "1.-1=5",
                               ""};
    for (const char* item : bad) {
        cli::AlignItems out;
        std::string error;
        EXPECT_FALSE(cli::ParseAlignItems({item}, 7, out, error)) << item;
        EXPECT_FALSE(error.empty());
    }
}

// A program folder with the shipped Settings, the printer "Room2" in the
// spooler double, the fake library with a ready printer.
class CliAlignTest : public ::testing::Test {
public:
    void SetUp() override {
        EnsureApp();
        namespace fs = std::filesystem;
        fs::create_directories(dir.path() / "Settings");
        for (const auto& entry : fs::directory_iterator(SourcePath("settings")))
            if (entry.path().extension() == ".ini")
                fs::copy_file(entry.path(), dir.path() / "Settings" / entry.path().filename());
        spooler.AddPrinter("Room2", "socket://a:9100", "ORVEX Corvan Max 7100");
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        fake.PushStatus(StatusReplyBytes(StateField(4)));
    }
    int Run(std::vector<std::string> args) {
        out.str({});
        err.str({});
        args.insert(args.begin(), {"--settings", dir.path().string(), "--library", fake.Path()});
        return cli::Run(args, out, err);
    }

    TempDir dir;
    RecordingSpooler spooler;
    FakeBidi fake;
    FakeClock clock;
    FakeClock::Scope scope{clock};
    std::ostringstream out, err;
};

TEST_F(CliAlignTest, PrintAndSaveSendThePagesJobs) {
    ASSERT_EQ(Run({"align", "Room2", "--direction", "bi", "--thickness", "3", "print", "1", "3"}),
              0)
        << err.str();
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes.size(), 179u);
    EXPECT_EQ(clock.Waits().back(), MA::kPauseAfterJobMs);

    ASSERT_EQ(Run({"--json", "align", "Room2", "--direction", "uni", "--thickness", "3", "save",
                   "4.7=9", "4.1=2"}),
              0)
        << err.str();
    ASSERT_EQ(spooler.Documents().size(), 2u);
    const auto& job = spooler.Documents()[1].bytes;
    ASSERT_EQ(job.size(), 92u);
    EXPECT_EQ(job[28 + 7], 2);
    EXPECT_EQ(job[28 + 6 * 8 + 6], 0x37);
    EXPECT_EQ(job[28 + 6 * 8 + 7], 9);
    const std::string json = out.str();
    EXPECT_NE(json.find("\"action\":\"align-save\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"outcome\":\"sent\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"values\":{\"4\":[2,5,5,5,5,5,9]}"), std::string::npos) << json;
    EXPECT_NE(json.find("\"platen\":3"), std::string::npos) << json;
    EXPECT_NE(json.find("\"jobBytes\":92"), std::string::npos) << json;

    ASSERT_EQ(Run({"align", "Room2", "restore"}), 0) << err.str();
    EXPECT_EQ(out.str(), "the printer goes back to its kept alignment values\n");
    ASSERT_EQ(spooler.Documents().size(), 3u);
    EXPECT_EQ(spooler.Documents()[2].bytes.size(), 23u);
}

TEST_F(CliAlignTest, HelpShowsTheItemSyntax) {
    ASSERT_EQ(Run({"--help"}), 0);
    const std::string help = out.str();
    EXPECT_NE(help.find("\n  align PRINTER ...          manual head alignment"), std::string::npos) << help;
    EXPECT_NE(help.find("print|save ITEM... (ITEM: R, R=V,V,... or R.C=V"), std::string::npos) << help;
    EXPECT_NE(help.find("restore: back to the values the printer keeps\n"), std::string::npos) << help;
}

TEST_F(CliAlignTest, ExitCodes) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::function<void(CliAlignTest&)> setUp;
        int exit;
    };
    const std::vector<std::string> print = {"align",       "Room2", "--direction", "bi",
                                            "--thickness", "3",     "print",       "2"};
    const Case cases[] = {
        {"no direction", {"align", "Room2", "print", "1"}, {}, 1},
        {"no rows", {"align", "Room2", "--direction", "bi", "print"}, {}, 1},
        {"bad item", {"align", "Room2", "--direction", "uni", "save", "1.8=5"}, {}, 1},
        {"bad action", {"align", "Room2", "--direction", "bi", "adjust", "1"}, {}, 1},
        {"bad platen",
         {"align", "Room2", "--direction", "bi", "--platen", "7", "print", "1"},
         {},
         1},
        {"no such printer", {"align", "Gone", "--direction", "bi", "print", "1"}, {}, 2},
        {"no thickness", {"align", "Room2", "--direction", "bi", "print", "1"}, {}, 5},
        {"not ready", print,
         [](CliAlignTest& t) { t.fake.PushStatus(StatusReplyBytes(StateField(3))); }, 3},
        {"SN level", print, [](CliAlignTest& t) { t.fake.PushReceive("SN:011;"); }, 5},
        {"job not sent", print,
         [](CliAlignTest& t) { t.spooler.Fail(RecordingSpooler::Step::Write); }, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.Reset();
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        if (!c.setUp || std::string(c.what) != "not ready")
            fake.PushStatus(StatusReplyBytes(StateField(4)));
        if (c.setUp) c.setUp(*this);
        spooler.Clear();
        EXPECT_EQ(Run(c.args), c.exit) << err.str();
        if (c.exit != 0 && c.exit != 6) {
            EXPECT_TRUE(spooler.Documents().empty());
        }
        EXPECT_FALSE(err.str().empty());
        spooler.Succeed(RecordingSpooler::Step::Write);
    }
}

} // namespace
