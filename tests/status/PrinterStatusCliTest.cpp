// plotcare-cli's job-info, print-status, print-jobs and print-custom, run
// in-process against the fake bidirectional library and the recording
// spooler: exit codes, the report and its --json form, the sheet jobs.
#include "FakeBidi.h"
#include "JobRecordBytes.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "cli/CliCommands.h"
#include "comm/CPrinterLink.h"
#include "platform/Clock.h"
#include "status/CPrinterStatus.h"
#include "status/JobReport.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

using Bytes = std::vector<std::uint8_t>;

FakeClock* g_clock = nullptr;
int g_receives = 0;
int g_actAt = -1;
enum class Act { None, Interrupt, TimeOut } g_act = Act::None;

// Acts during the given receive (1-based), as an operator or the clock would.
void OnReceive(int, int) {
    if (++g_receives != g_actAt) return;
    if (g_act == Act::Interrupt) std::raise(SIGINT);
    if (g_act == Act::TimeOut && g_clock) g_clock->Advance(1000000);
}

class StatusCli : public ::testing::Test {
protected:
    void SetUp() override {
        spooler.AddPrinter("QZ", "socket://qz:9100", "ORVEX QZ-7100");
        Prepare();
    }
    // The printer's side afresh: a network channel, nothing scripted yet.
    void Prepare() {
        fake.Reset();
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelNetwork, 0x07);
        fake.SetChannels(channels);
        g_clock = &clock;
        g_receives = 0;
        g_actAt = -1;
        g_act = Act::None;
        fake.SetReceiveHook(OnReceive);
    }
    void TearDown() override { g_clock = nullptr; }
    void Ready(bool ready = true) { fake.PushStatus(StatusReplyBytes(StateField(ready ? 4 : 3))); }
    // Wrapped replies, as the network channel brings them.
    void Replies(const std::vector<std::string>& texts) {
        for (const std::string& t : texts)
            fake.PushReceive(std::string(CPrinterLink::kReplyMarker) + t);
    }
    int Run(const std::string& command, bool json = false) {
        out.str({});
        err.str({});
        std::vector<std::string> args{"--library", fake.Path(), "--settings",
                                      settings,    command,     "QZ"};
        if (json) args.push_back("--json");
        return cli::Run(args, out, err);
    }
    static std::string Job(int number, const std::string& name) {
        JobBytes j;
        j.number = static_cast<std::uint8_t>(number);
        j.name = JobBytes::Text(name);
        j.user = JobBytes::Text("Remote");
        j.used = 297;
        j.pages = 2;
        j.printed = 2;
        j.seconds = 125;
        return j.Reply();
    }

    FakeBidi fake;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    RecordingSpooler spooler;
    std::ostringstream out, err;
    std::string settings = std::getenv("PLOTCARE_OUTPUT_DIR");
};

TEST_F(StatusCli, JobInfoPrintsTheReport) {
    Ready();
    Replies({Job(12, "Status Sheet"), Job(11, "Nozzle\x1b[2JCheck"), "JI;", "JI;", "JI;", "JI;",
             "JI;", "JI;", "JI;", "JI;"});
    EXPECT_EQ(Run("job-info"), 0) << err.str();
    EXPECT_EQ(out.str(), "Job 12 :\n"
                         " Job Name : Status Sheet\n"
                         " User : Remote\tStatus : Completed\tResult : Normal end\n"
                         "  Paper : Used : 0.297 m\tPrinted : 2 pages of 2 pages\n"
                         " Received : 26/12/10 07:31\tPrint Time : 2 min\n"
                         "Job 11 :\n"
                         " Job Name : Nozzle\\x1B[2JCheck\n"
                         " User : Remote\tStatus : Completed\tResult : Normal end\n"
                         "  Paper : Used : 0.297 m\tPrinted : 2 pages of 2 pages\n"
                         " Received : 26/12/10 07:31\tPrint Time : 2 min\n");
    EXPECT_EQ(fake.OpenChannels(), 0);
}

TEST_F(StatusCli, JobInfoJsonHasOneObjectPerJob) {
    Ready();
    Replies({Job(3, "Poster \xE3\x81\x82"), "JI;", Job(1, "Nozzle Check"), "XX:NA;", "JI;", "JI;",
             "JI;", "JI;", "JI;", "JI;"});
    EXPECT_EQ(Run("job-info", true), 0) << err.str();
    const std::string json = out.str();
    EXPECT_EQ(json.find('\n'), json.size() - 1) << "one object on one line";
    EXPECT_NE(json.find("\"action\":\"job-info\",\"outcome\":\"read\",\"exitCode\":0"),
              std::string::npos)
        << json;
    EXPECT_NE(
        json.find(
            ",\"jobs\":[{\"number\":3,\"state\":3,\"stateText\":\"Completed\",\"result\":1,"
            "\"resultText\":\"Normal end\",\"user\":\"Remote\",\"name\":\"Poster \xE3\x81\x82\","
            "\"used\":\"0.297\",\"pages\":2,\"printedPages\":2,\"received\":\"26/12/10 07:31\","
            "\"printSeconds\":125},{\"number\":1,"),
        std::string::npos)
        << json;
    EXPECT_EQ(json.find("\"number\":", json.find("\"number\":1,") + 1), std::string::npos)
        << "two jobs";
}

TEST_F(StatusCli, JobInfoExitCodes) {
    struct Case {
        const char* name;
        bool ready;
        Act act;
        int actAt;     // receive number
        int failingAt; // query that fails (1-based), 0 none
        int exitCode;
        const char* word;
        int jobs; // jobs in the output
    };
    const Case cases[] = {
        {"not ready", false, Act::None, -1, 0, 3, "not-ready", 0},
        {"a query fails", true, Act::None, -1, 4, 4, "query-failed", 0},
        {"Ctrl-C in the third query", true, Act::Interrupt, 3, 0, 7, "cancelled", 0},
        {"time-out in the fourth query", true, Act::TimeOut, 4, 0, 7, "timed-out", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare();
        g_act = c.act;
        g_actAt = c.actAt;
        Ready(c.ready);
        for (int k = 1; k <= 10; ++k) {
            if (k == c.failingAt)
                fake.PushReceive("", TQ_CANCELLED);
            else
                Replies({Job(k, "Sheet")});
        }
        EXPECT_EQ(Run("job-info", true), c.exitCode) << err.str();
        EXPECT_NE(out.str().find(std::string("\"outcome\":\"") + c.word + "\""), std::string::npos)
            << out.str();
        int jobs = 0;
        for (std::size_t at = out.str().find("{\"number\":"); at != std::string::npos;
             at = out.str().find("{\"number\":", at + 1))
            ++jobs;
        EXPECT_EQ(jobs, c.jobs);
        // Without --json the collected report still shows after a time-out.
        EXPECT_EQ(fake.OpenChannels(), 0);
    }
}

TEST_F(StatusCli, PrintActionsSendTheirSheetJob) {
    struct Case {
        const char* command;
        std::uint8_t p;
    };
    for (const Case& c :
         {Case{"print-status", 0x01}, Case{"print-jobs", 0x02}, Case{"print-custom", 0x04}}) {
        SCOPED_TRACE(c.command);
        spooler.Clear();
        Ready();
        EXPECT_EQ(Run(c.command), 0) << err.str();
        EXPECT_EQ(out.str(), "The printer is printing the sheet.\n");
        ASSERT_EQ(spooler.Documents().size(), 1u);
        const Bytes& job = spooler.Documents()[0].bytes;
        ASSERT_EQ(job.size(), 30u);
        EXPECT_EQ(Bytes(job.begin() + 15, job.begin() + 21),
                  (Bytes{'S', 'S', 0x02, 0x00, 0x00, c.p}));
    }
    spooler.Clear();
    Prepare();
    Ready(false);
    EXPECT_EQ(Run("print-status", true), 3);
    EXPECT_NE(out.str().find("\"outcome\":\"not-ready\""), std::string::npos);
    EXPECT_TRUE(spooler.Documents().empty());
    Prepare();
    Ready();
    spooler.Fail(RecordingSpooler::Step::StartDocument);
    EXPECT_EQ(Run("print-jobs", true), 6);
    EXPECT_NE(out.str().find("\"outcome\":\"not-sent\""), std::string::npos);
    EXPECT_NE(out.str().find("\"jobBytes\":30"), std::string::npos);
}

// The report and the page's message follow the language for people; what
// --json carries, the texts of the jobs and the message included, stays
// the same in every language.
TEST_F(StatusCli, JsonIsTheSameInGerman) {
    TempDir dir;
    std::filesystem::copy(settings + "/Settings", dir.path() / "Settings",
                          std::filesystem::copy_options::recursive);
    {
        // Marked texts of our own in front of the German ones: the first line
        // of a key is the one read.
        const std::filesystem::path path = dir.path() / "Settings/de/Localize.ini";
        std::ostringstream german;
        const auto key = [](int id) {
            char text[16];
            std::snprintf(text, sizeof text, "%08d=", id);
            return std::string(text);
        };
        for (int id : {JobReport::StateTextId(3), JobReport::ResultTextId(1), JobReport::kJob})
            german << key(id) << "Deutsch " << id << "\n";
        german << key(CPrinterStatus::MessageFor(CPrinterStatus::Outcome::Sent).text)
               << "Der Drucker druckt.\n";
        std::ifstream old(path);
        german << old.rdbuf();
        old.close();
        std::ofstream(path, std::ios::trunc) << german.str();
    }
    settings = dir.path().string();
    const auto jobs = [this] {
        Prepare();
        Ready();
        Replies({Job(3, "Poster"), "JI;", "JI;", "JI;", "JI;", "JI;", "JI;", "JI;", "JI;", "JI;"});
    };
    struct Case {
        const char* command;
        std::function<void()> printer;
        const char* german; // in the German run's text output
    };
    for (const Case& c :
         {Case{"job-info", jobs, "Deutsch 60202 3"}, Case{"print-status",
                                                          [this] {
                                                              Prepare();
                                                              Ready();
                                                          },
                                                          "Der Drucker druckt.\n"}}) {
        SCOPED_TRACE(c.command);
        std::string json[2];
        for (const char* language : {"en", "de"}) {
            ScopedEnv env;
            env.Set("PLOTCARE_LANG", language);
            c.printer();
            EXPECT_EQ(Run(c.command, true), 0) << err.str();
            json[language[0] == 'd'] = out.str();
            c.printer();
            EXPECT_EQ(Run(c.command), 0) << err.str();
            EXPECT_EQ(out.str().find(c.german) != std::string::npos, language[0] == 'd')
                << out.str();
        }
        EXPECT_EQ(json[1], json[0]);
        EXPECT_EQ(json[0].find("Deutsch"), std::string::npos) << json[0];
    }
}

} // namespace
