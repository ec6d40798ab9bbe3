// plotcare-cli's auto-align and auto-nozzle in-process: the options, the
// job each sends and the exit code of each outcome, on the spooler double,
// the scripted bidirectional library and the fake clock.
#include "cli/CliCommands.h"
#include "comm/CPrinterLink.h"
#include "platform/Clock.h"

#include "AutoAdjustTestSupport.h"
#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kEnter = {0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'};
const Bytes kExitAndEnd = {0x1B, 0x00, 0x00, 0x00, 0x0D, 0x0A, 0x0C, 0x1B, 0x40};

Bytes Job(std::initializer_list<Bytes> commands) {
    Bytes out = kEnter;
    for (const Bytes& c : commands) out.insert(out.end(), c.begin(), c.end());
    out.insert(out.end(), kExitAndEnd.begin(), kExitAndEnd.end());
    return out;
}

class CliAutoAdjust : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        spooler.AddPrinter("qz", "socket://127.0.0.1:9", "ORVEX QZ-7100");
    }
    void TearDown() override { clock.SetOnAdvance(nullptr); }

    int Run(const std::string& command) {
        std::vector<std::string> args{"--all", "--json", "--library", fake.Path(), "--settings",
                                      std::getenv("PLOTCARE_OUTPUT_DIR")};
        std::istringstream words(command);
        for (std::string w; words >> w;) args.push_back(w);
        out.str({});
        err.str({});
        return cli::Run(args, out, err);
    }
    void Status(int state) { fake.PushStatus(StatusReplyBytes(StateField(state))); }
    // The printer is ready at the Start and reports `state` once the job is out.
    void ThenState(int state) {
        const std::int64_t at = clock.TickMs() + 1;
        clock.SetOnAdvance([this, at, state, done = false](std::int64_t now) mutable {
            if (!done && now >= at) {
                done = true;
                Status(state);
            }
        });
    }
    Bytes Sent() const { return spooler.Documents().empty() ? Bytes{} : spooler.Documents()[0].bytes; }

    FakeBidi fake;
    RecordingSpooler spooler;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    std::ostringstream out, err;
};

TEST_F(CliAutoAdjust, AlignsWithTheChosenPatternsAndReportsTheOutcome) {
    Status(4);
    fake.PushReceive(SNReply(0));
    ASSERT_EQ(Run("auto-align qz --direction uni --patterns 4,2 --thickness 5 --platen 3"), 0)
        << err.str();
    EXPECT_EQ(Sent(), Job({{'P', 'H', 2, 0, 0, 5},
                           {'S', 'N', 3, 0, 0, 1, 2},
                           {'D', 'T', 3, 0, 0, 0x10, 0x02},
                           {'D', 'T', 3, 0, 0, 0x10, 0x04}}));
    const std::string json = out.str();
    EXPECT_EQ(json.rfind("{\"printer\":\"qz\",\"action\":\"auto-align\",\"outcome\":\"finished\",\"exitCode\":0,", 0),
              0u)
        << json;
    for (const char* field : {"\"direction\":\"uni\"", "\"patterns\":[2,4]", "\"thickness\":5", "\"platen\":2",
                              "\"timeoutMs\":490000"})
        EXPECT_NE(json.find(field), std::string::npos) << field << " in " << json;
    // The watch's progress on standard error, with the group's caption.
    EXPECT_NE(err.str().find("Unidirectional Alignment: 0 s of 490 s (Ctrl-C stops waiting)"), std::string::npos)
        << err.str();
}

struct ExitCase {
    const char* what;
    const char* command;
    int before;          // status at the Start (-1: none scripted)
    const char* sn;      // SN reply, nullptr none
    int after;           // status once the job is out (-1 unchanged)
    bool failWrite;
    int exitCode;
    const char* word;    // "" for usage errors
    bool jobSent;
};

class CliAutoAdjustExit : public CliAutoAdjust, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(CliAutoAdjustExit, EndsWithItsCode) {
    const ExitCase& c = GetParam();
    if (c.before >= 0) Status(c.before);
    if (c.sn) fake.PushReceive(c.sn);
    if (c.after >= 0) ThenState(c.after);
    if (c.failWrite) spooler.Fail(RecordingSpooler::Step::Write);
    EXPECT_EQ(Run(c.command), c.exitCode) << err.str();
    if (*c.word)
        EXPECT_NE(out.str().find(std::string("\"outcome\":\"") + c.word + "\""), std::string::npos) << out.str();
    else
        EXPECT_NE(err.str().find("usage: plotcare-cli auto-align"), std::string::npos) << err.str();
    EXPECT_EQ(!spooler.Documents().empty(), c.jobSent);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliAutoAdjustExit,
    ::testing::Values(
        ExitCase{"no_direction", "auto-align qz --thickness 3", -1, nullptr, -1, false, 1, "", false},
        ExitCase{"bad_patterns", "auto-align qz --direction bi --patterns 1,5 --thickness 3", -1, nullptr, -1,
                 false, 1, "", false},
        ExitCase{"bad_platen", "auto-align qz --direction bi --thickness 3 --platen 7", -1, nullptr, -1, false, 1,
                 "", false},
        ExitCase{"platen_not_offered", "auto-align qz --direction bi --thickness 9 --platen 1", 4, nullptr, -1,
                 false, 1, "", false},
        ExitCase{"unknown_media", "auto-align qz --direction bi --media 9999", 4, nullptr, -1, false, 1, "", false},
        ExitCase{"not_ready", "auto-align qz --direction bi --thickness 3", 3, nullptr, -1, false, 3, "not-ready",
                 false},
        ExitCase{"no_thickness", "auto-align qz --direction bi", 4, nullptr, -1, false, 5, "empty-thickness",
                 false},
        ExitCase{"sn_level", "auto-align qz --direction bi --thickness 3", 4, "SN:012;", -1, false, 5, "sn-level",
                 false},
        ExitCase{"job_not_sent", "auto-align qz --direction bi --thickness 3", 4, "SN:010;", -1, true, 6, "failed",
                 true},
        ExitCase{"printer_error", "auto-align qz --direction bi --thickness 3", 4, "SN:010;", 0, false, 6,
                 "failed", true},
        ExitCase{"timed_out", "auto-align qz --direction uni --patterns 4 --thickness 3", 4, "SN:010;", 3, false,
                 7, "timed-out", true},
        ExitCase{"nozzle_finished", "auto-nozzle qz", 4, nullptr, -1, false, 0, "finished", true},
        ExitCase{"nozzle_not_ready", "auto-nozzle qz", 3, nullptr, -1, false, 3, "not-ready", false},
        ExitCase{"nozzle_error", "auto-nozzle qz", 4, nullptr, 0, false, 6, "failed", true}),
    [](const auto& info) { return std::string(info.param.what); });

// The help keeps every row whole, long ones included.
TEST_F(CliAutoAdjust, HelpListsBothActions) {
    ASSERT_EQ(Run("--help"), 0);
    const std::string help = out.str();
    EXPECT_NE(help.find("\n  auto-align PRINTER ...     sensor head alignment"), std::string::npos) << help;
    EXPECT_NE(help.find("[--thickness N] [--platen 1-4|auto]\n  auto-nozzle PRINTER        sensor nozzle check"),
              std::string::npos)
        << help;
    EXPECT_NE(help.find("  7  cancelled or timed out\n"), std::string::npos) << help;
}

TEST_F(CliAutoAdjust, SensorNozzleCheckSendsThirtyBytes) {
    Status(4);
    ASSERT_EQ(Run("auto-nozzle qz"), 0) << err.str();
    EXPECT_EQ(Sent(), Job({{'N', 'C', 2, 0, 0, 1}}));
    EXPECT_NE(out.str().find("\"timeoutMs\":1500000"), std::string::npos) << out.str();
}

// Ctrl-C ends the wait, not the program; the job already sent stays sent.
TEST_F(CliAutoAdjust, InterruptEndsTheWatch) {
    Status(4);
    bool busy = false, raised = false;
    clock.SetOnAdvance([&](std::int64_t now) {
        if (!busy && now >= 1) {
            busy = true;
            Status(3);
        }
        if (!raised && now >= 45000) {
            raised = true;
            std::raise(SIGINT);
        }
    });
    EXPECT_EQ(Run("auto-nozzle qz"), 7) << err.str();
    EXPECT_NE(out.str().find("\"outcome\":\"cancelled\""), std::string::npos) << out.str();
    EXPECT_EQ(spooler.Documents().size(), 1u);
    EXPECT_LT(clock.TickMs(), 46000);
}

} // namespace
