// plotcare-cli's nozzle-check and head-clean, run in-process against the fake
// bidirectional library and the recording spooler: the exit code of every
// outcome, the jobs, the progress of the readiness wait and --json.
#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "cli/CliCommands.h"
#include "comm/CPrinterLink.h"
#include "platform/Clock.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const Bytes kInkLow{0x0F, 0x07, 0x03, 0x00, 0x01, 80, 0x00, 0x02, 20};
const Bytes k0DLow{0x0D, 0x01, 12};

class NozzleCli : public ::testing::Test {
protected:
    void SetUp() override {
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelNetwork, 0x07);
        fake.SetChannels(channels);
        spooler.AddPrinter("QZ", "socket://qz:9100", "ORVEX QZ-7100");
    }
    void Status(const Bytes& fields) { fake.PushStatus(StatusReplyBytes(fields)); }
    int Run(const std::string& command, bool json = false) {
        out.str({});
        err.str({});
        std::vector<std::string> args{"--library",  fake.Path(),
                                      "--settings", std::getenv("PLOTCARE_OUTPUT_DIR"),
                                      command,      "QZ"};
        if (json) args.push_back("--json");
        return cli::Run(args, out, err);
    }

    FakeBidi fake;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    RecordingSpooler spooler;
    std::ostringstream out, err;
};

struct CliCase {
    const char* name;
    const char* command;
    Bytes status;     // the printer's record from the first read on
    bool statusError; // the read after the readiness wait fails
    bool spoolerFails;
    int exitCode;
    const char* word;
    std::size_t jobBytes; // 0: no job
};

void PrintTo(const CliCase& c, std::ostream* os) {
    *os << c.name;
}

class NozzleCliOutcome : public NozzleCli, public ::testing::WithParamInterface<CliCase> {};

TEST_P(NozzleCliOutcome, EachOutcomeHasItsExitCode) {
    const CliCase& c = GetParam();
    Status(c.status);
    if (c.statusError) fake.PushStatus({}, -3);
    if (c.spoolerFails) spooler.Fail(RecordingSpooler::Step::StartDocument);
    EXPECT_EQ(Run(c.command, true), c.exitCode) << err.str();
    const std::string json = out.str();
    EXPECT_NE(json.find("\"printer\":\"QZ\",\"action\":\"" + std::string(c.command) +
                        "\",\"outcome\":\"" + c.word +
                        "\",\"exitCode\":" + std::to_string(c.exitCode)),
              std::string::npos)
        << json;
    EXPECT_EQ(json.find('\n'), json.size() - 1) << "one object on one line";
    if (c.jobBytes && !c.spoolerFails) {
        ASSERT_EQ(spooler.Documents().size(), 1u);
        EXPECT_EQ(spooler.Documents()[0].bytes.size(), c.jobBytes);
    } else {
        EXPECT_TRUE(spooler.Documents().empty());
    }
    if (c.jobBytes) {
        EXPECT_NE(json.find(",\"jobBytes\":" + std::to_string(c.jobBytes) + "}"),
                  std::string::npos);
    }
    EXPECT_EQ(fake.OpenChannels(), 0);
}

const Bytes kReady = StateField(4);
const Bytes kBusy = StateField(3);

INSTANTIATE_TEST_SUITE_P(
    Outcomes, NozzleCliOutcome,
    ::testing::Values(
        CliCase{"nozzle_check_sent", "nozzle-check", kReady, false, false, 0, "sent", 36},
        CliCase{"nozzle_check_not_ready", "nozzle-check", kBusy, false, false, 3, "not-ready", 0},
        CliCase{"nozzle_check_not_sent", "nozzle-check", kReady, false, true, 6, "not-sent", 36},
        CliCase{"head_clean_sent", "head-clean", kReady, false, false, 0, "sent", 25},
        CliCase{"head_clean_not_ready", "head-clean", kBusy, false, false, 3, "not-ready", 0},
        CliCase{"head_clean_no_status", "head-clean", kReady, true, false, 4, "no-status", 0},
        CliCase{"head_clean_ink_low", "head-clean", Cat({kReady, kInkLow}), false, false, 5,
                "ink-low", 0},
        CliCase{"head_clean_tank_low", "head-clean", Cat({kReady, k0DLow}), false, false, 5,
                "maintenance-tank-low", 0},
        CliCase{"head_clean_not_sent", "head-clean", kReady, false, true, 6, "not-sent", 25}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NozzleCli, SaysThePagesMessageAndShowsTheWaitOnStandardError) {
    Status(kBusy);
    fake.PushStatus(StatusReplyBytes(kReady));
    EXPECT_EQ(Run("nozzle-check"), 0) << err.str();
    // The page's text, on one line.
    EXPECT_EQ(
        out.str(),
        "The nozzle check pattern is being printed. If lines of the pattern are missing or broken, "
        "run a head cleaning.\n");
    EXPECT_EQ(
        err.str().rfind(
            "plotcare-cli: waiting for \"QZ\" to report ready: 0 s of 10 s (Ctrl-C stops)\n", 0),
        0u)
        << err.str();
    EXPECT_NE(err.str().find("5 s of 10 s"), std::string::npos);

    Status(Cat({kReady, kInkLow}));
    EXPECT_EQ(Run("head-clean"), 5);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(
        err.str(),
        "plotcare-cli: Ink is low. Replace the ink cartridge before you clean the print head.\n");
}

TEST_F(NozzleCli, CtrlCEndsTheWaitAndNothingIsSent) {
    Status(kBusy);
    bool raised = false;
    clock.SetOnAdvance([&](std::int64_t now) {
        if (!raised && now >= 2500) {
            raised = true;
            std::raise(SIGINT);
        }
    });
    EXPECT_EQ(Run("head-clean", true), 7);
    EXPECT_NE(out.str().find("\"outcome\":\"cancelled\""), std::string::npos) << out.str();
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_LT(clock.TickMs(), 3000);
}

TEST_F(NozzleCli, APrinterThatIsNotInstalledIsNotSupported) {
    EXPECT_EQ(cli::Run({"--library", fake.Path(), "nozzle-check", "Elsewhere"}, out, err), 2);
    EXPECT_EQ(cli::Run({"head-clean"}, out, err), 1);
    EXPECT_TRUE(spooler.Documents().empty());
}

} // namespace
