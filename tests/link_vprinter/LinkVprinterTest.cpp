#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "platform/Clock.h"

#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "PrivateCups.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <sys/wait.h>

namespace {

std::string OutputDir() {
    const char* dir = std::getenv("PLOTCARE_OUTPUT_DIR");
    return dir ? dir : "";
}

const char kModel[] = "ORVEX QZ-7100";

// One virtual printer for the whole program, with three queues on it: one
// offering the network channel, one the local channel, one both.
struct Printer {
    TempDir state;
    CVPrinterProcess process;
    std::unique_ptr<CVPrinterClient> control;
    std::string error;

    Printer() {
        CVPrinterProcess::Config config;
        config.stateDir = state.path().string();
        config.model = "qz";
        if (!process.Start(config, error)) return;
        control = std::make_unique<CVPrinterClient>(process.Ports().control);
        PrivateCups& cups = PrivateCups::Shared();
        const std::string ppd = OutputDir() + "/driver/ovqz7100.ppd";
        const auto& p = process.Ports();
        cups.AddQueue("LinkNet", process.NetworkUri(), ppd);
        cups.AddQueue("LinkLocal", process.LocalUri(), ppd);
        cups.AddQueue("LinkBoth",
                      "socket://127.0.0.1:" + std::to_string(p.raw) + "/?tqlocal=" + std::to_string(p.local) +
                          "&tqsnmp=" + std::to_string(p.snmp),
                      ppd);
    }

    static Printer& Shared() {
        static Printer printer; // stopped at program end
        return printer;
    }
};

class VprinterLink : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        printer = &Printer::Shared();
        ASSERT_TRUE(printer->control) << printer->error;
        ASSERT_TRUE(printer->control->ClearFaults());
        // A test that stopped early may have left a slow printer at work.
        ASSERT_TRUE(printer->control->Set("time-scale", "0.001"));
        ASSERT_TRUE(printer->control->Ok("FINISH"));
        // Not on the library search path here: found through the queue's
        // driver description.
        ASSERT_EQ(lib.Load(Queue(), 1), 1);
    }

    std::string Queue() const { return GetParam(); }
    bool Network() const { return Queue() == "LinkNet"; }

    Printer* printer = nullptr;
    CBidiLibrary lib;
};

// Milliseconds taken by `f`.
template <typename F>
long long TimeMs(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
}

std::string Text(const std::uint8_t* p) { return reinterpret_cast<const char*>(p); }

} // namespace

TEST_P(VprinterLink, ChannelSelection) {
    CPrinterLink link(&lib);
    const int expected = Queue() == "LinkNet" ? CPrinterLink::kChannelNetwork : CPrinterLink::kChannelLocal;
    EXPECT_EQ(link.SelectChannelType(Queue()), expected);
    const int handle = link.OpenChannel(Queue());
    EXPECT_GT(handle, 0);
    link.CloseChannel(handle);
}

TEST_P(VprinterLink, DeviceIdMatchAndMismatch) {
    CPrinterLink link(&lib);
    EXPECT_EQ(link.DeviceIdMatches(Queue(), kModel), 1);
    EXPECT_EQ(link.DeviceIdMatches(Queue(), "ORVEX Corvan Max 7100"), 0);
    ASSERT_TRUE(printer->control->Fault("wrong-device-id"));
    EXPECT_EQ(link.DeviceIdMatches(Queue(), kModel), 0);
}

TEST_P(VprinterLink, StatusAndItsFaults) {
    CPrinterLink link(&lib);
    auto read = [&](CStatusReply& status) {
        const int handle = link.OpenChannel(Queue());
        EXPECT_GT(handle, 0);
        const int n = link.QueryStatus(handle, status);
        link.CloseChannel(handle);
        return n;
    };
    CStatusReply status;
    EXPECT_GT(read(status), 0);
    EXPECT_TRUE(status.IsReady());
    EXPECT_FALSE(status.IsInkLow());
    EXPECT_FALSE(status.HasField0DBelow13());
    EXPECT_EQ(status.InkSlotCount(), std::stoi(printer->control->Get("inks")));

    struct Case {
        const char* fault;
        const char* arg;
        bool ready, zero, inkLow, below13;
    } cases[] = {
        {"ink-low", "2", true, false, true, false},
        {"field0d-low", "", true, false, false, true},
        {"error-state", "", false, true, false, false},
        {"never-ready", "", false, false, false, false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(printer->control->ClearFaults());
        ASSERT_TRUE(printer->control->Fault(c.fault, c.arg));
        CStatusReply s;
        EXPECT_GT(read(s), 0) << c.fault;
        EXPECT_EQ(s.IsReady(), c.ready) << c.fault;
        EXPECT_EQ(s.IsStatusCodeZero(), c.zero) << c.fault;
        EXPECT_EQ(s.IsInkLow(), c.inkLow) << c.fault;
        EXPECT_EQ(s.HasField0DBelow13(), c.below13) << c.fault;
    }

    // A record cut short while its length still claims everything: only the
    // bytes that came are read, the state field and nothing behind it.
    ASSERT_TRUE(printer->control->ClearFaults());
    ASSERT_TRUE(printer->control->Fault("truncated-status"));
    CStatusReply cut;
    EXPECT_GT(read(cut), 0);
    EXPECT_GT(cut.DeclaredLength(), 3);
    const auto fields = cut.Fields();
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].id, CStatusReply::kFieldState);
    EXPECT_TRUE(cut.IsReady());
}

TEST_P(VprinterLink, WaitUntilReady) {
    CPrinterLink link(&lib);
    EXPECT_EQ(link.WaitUntilReady(Queue(), nullptr), 1);

    // Never ready: three reads, two waits of 5 s (on the test clock).
    ASSERT_TRUE(printer->control->Fault("never-ready"));
    FakeClock clock(0);
    FakeClock::Scope scope(clock);
    CPrinterLink other(&lib);
    EXPECT_EQ(other.WaitForReady(Queue(), nullptr), CPrinterLink::ReadyOutcome::NotReady);
    EXPECT_EQ(clock.Sleeps(), (std::vector<int>{5000, 5000}));

    // Offline: nothing answers, so not ready either, and told apart from a
    // printer that answers "busy".
    ASSERT_TRUE(printer->control->ClearFaults());
    ASSERT_TRUE(printer->control->Fault("offline"));
    CPrinterLink third(&lib);
    // Bounded by the reads' time-outs, not hanging.
    CPrinterLink::ReadyOutcome outcome = CPrinterLink::ReadyOutcome::Ready;
    const long long ms = TimeMs([&] { outcome = third.WaitForReady(Queue(), nullptr); });
    EXPECT_TRUE(outcome == CPrinterLink::ReadyOutcome::NoStatus || outcome == CPrinterLink::ReadyOutcome::NoChannel)
        << static_cast<int>(outcome);
    EXPECT_LT(ms, 60000);
}

TEST_P(VprinterLink, VersionSnAndExQueries) {
    CPrinterLink link(&lib);
    std::uint8_t query[16];
    const int length = BuildQueryVI(query, sizeof query);
    std::uint8_t reply[CPrinterLink::kReplySize] = {};
    // On the network this is the wrapped GetRequest, decoded by the
    // printer's SNMP agent.
    EXPECT_GT(link.SendReceive(Queue(), query, length, reply, sizeof reply, 10000), 0);
    std::string version;
    ASSERT_TRUE(ReplyValue(reply, sizeof reply, kReplyPrefixVI, version)) << Text(reply);
    EXPECT_EQ(version, printer->control->Get("firmware"));
    if (Network()) {
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply), 9), CPrinterLink::kReplyMarker);
    }

    for (int sn = 0; sn <= 3; ++sn) {
        ASSERT_TRUE(printer->control->Set("sn", std::to_string(sn)));
        static constexpr int kLevels[] = {2, 1, 3, 4};
        EXPECT_EQ(QuerySN01Level(link, Queue()), kLevels[sn]) << sn;
    }
    ASSERT_TRUE(printer->control->Set("sn", "7"));
    EXPECT_EQ(QuerySN01Level(link, Queue()), -1);
    ASSERT_TRUE(printer->control->Set("sn", "0"));

    // The platen gap of a media's settings: 2 unless the printer learnt
    // another, giving level 3.
    EXPECT_EQ(QueryEX1BLevel(link, Queue(), 101), 3);
}

TEST_P(VprinterLink, QueryFaultsEndInTheirResultsWithinTheTimeOut) {
    CPrinterLink link(&lib);
    std::uint8_t query[16];
    const int length = BuildQuerySN(query, sizeof query);
    auto exchange = [&](int timeoutMs, std::uint8_t* reply) {
        return link.SendReceive(Queue(), query, length, reply, CPrinterLink::kReplySize, timeoutMs);
    };

    ASSERT_TRUE(printer->control->Fault("no-reply"));
    std::uint8_t reply[CPrinterLink::kReplySize] = {};
    int r = 0;
    long long ms = TimeMs([&] { r = exchange(1500, reply); });
    EXPECT_LT(r, 1);
    EXPECT_GE(ms, 1000);        // it did wait for the reply
    EXPECT_LT(ms, 1500 + 5000); // and gave up after its time-out
    if (Network()) {
        // The helper's own 10 s time-out, then its failure value.
        ms = TimeMs([&] { EXPECT_EQ(QueryEX1BLevel(link, Queue(), 101), -1); });
        EXPECT_LT(ms, 10000 + 5000);
    }

    ASSERT_TRUE(printer->control->ClearFaults());
    ASSERT_TRUE(printer->control->Fault("late-reply", "300"));
    std::uint8_t late[CPrinterLink::kReplySize] = {};
    EXPECT_GT(exchange(5000, late), 0);
    EXPECT_NE(Text(late).find("SN:01"), std::string::npos);
    ASSERT_TRUE(printer->control->Fault("late-reply", "3000"));
    std::uint8_t tooLate[CPrinterLink::kReplySize] = {};
    EXPECT_LT(exchange(1000, tooLate), 1);

    // A garbled answer never passes for a reply: the prefix is not found.
    ASSERT_TRUE(printer->control->ClearFaults());
    ASSERT_TRUE(printer->control->Fault("garbled-reply"));
    ms = TimeMs([&] { EXPECT_EQ(QueryEX1BLevel(link, Queue(), 101), -1); });
    EXPECT_LT(ms, 10000 + 5000);
}

TEST_P(VprinterLink, AnAdjustmentShowsBusyThenReadyOrTheErrorThatStoppedIt) {
    // The status the utility's watch loop reads while the printer works: an
    // automatic adjustment of pattern #1 (240 s at time scale 1), sent through
    // the spooler as the page sends it.
    ASSERT_TRUE(printer->control->Set("time-scale", "1"));
    std::uint8_t job[128];
    int n = BuildEnterRemote(job, sizeof job);
    n += BuildCmdPH(job + n, sizeof job - n, 2);
    n += BuildCmdSN(job + n, sizeof job - n, 3);
    n += BuildCmdDT(job + n, sizeof job - n, 1, 1, 1);
    n += BuildExitRemote(job + n, sizeof job - n);
    n += BuildJobEnd(job + n, sizeof job - n);
    auto send = [&] {
        const int before = std::stoi(printer->control->Get("jobs-received"));
        ASSERT_EQ(SendRawJob(Queue(), job, static_cast<std::size_t>(n)), 0);
        const auto start = std::chrono::steady_clock::now();
        while (std::stoi(printer->control->Get("jobs-received")) == before &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    };
    CPrinterLink link(&lib);
    auto status = [&] {
        CStatusReply reply;
        const int handle = link.OpenChannel(Queue());
        EXPECT_GT(link.QueryStatus(handle, reply), 0);
        link.CloseChannel(handle);
        return std::pair<bool, bool>(reply.IsReady(), reply.IsStatusCodeZero());
    };
    const std::string done = "done automatic bidirectional alignment #1";
    const std::string failed = "failed automatic bidirectional alignment #1: printer error";
    ASSERT_TRUE(printer->control->Ok("LOG clear"));

    send();
    EXPECT_EQ(status(), std::make_pair(false, false)); // busy
    ASSERT_TRUE(printer->control->Fault("error-state"));
    EXPECT_EQ(status(), std::make_pair(false, true)); // the watch loop's failure
    ASSERT_TRUE(printer->control->ClearFaults());
    EXPECT_EQ(status(), std::make_pair(true, false)); // ready, the adjustment stopped
    std::vector<std::string> log = printer->control->Log();
    EXPECT_NE(std::find(log.begin(), log.end(), failed), log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), done), log.end());

    send();
    EXPECT_EQ(status(), std::make_pair(false, false));
    ASSERT_TRUE(printer->control->Ok("FINISH"));
    EXPECT_EQ(status(), std::make_pair(true, false));
    log = printer->control->Log();
    EXPECT_NE(std::find(log.begin(), log.end(), done), log.end());
    EXPECT_FALSE(printer->control->Get("saved-align.bi.00").empty());
}

INSTANTIATE_TEST_SUITE_P(Channels, VprinterLink, ::testing::Values("LinkNet", "LinkLocal", "LinkBoth"),
                         [](const auto& info) { return std::string(info.param); });

namespace {

struct CliRun {
    int code = -1;
    std::string out;
};

CliRun Cli(const std::string& args) {
    CliRun run;
    const std::string command = OutputDir() + "/plotcare-cli " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 512> buf;
    while (std::fgets(buf.data(), buf.size(), pipe)) run.out += buf.data();
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

TEST(PlotcareCli, TalksToThePrinterAndReportsEachFailureWithItsCode) {
    Printer& printer = Printer::Shared();
    ASSERT_TRUE(printer.control) << printer.error;
    ASSERT_TRUE(printer.control->ClearFaults());

    CliRun r = Cli("--all status LinkNet --json");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("\"channel\":\"network\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"ready\":true"), std::string::npos) << r.out;

    r = Cli("--all version LinkLocal");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, printer.control->Get("firmware") + "\n");

    r = Cli("--all device-id LinkNet");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("DES:ORVEX QZ-7100;"), std::string::npos) << r.out;

    r = Cli("--all wait-ready LinkLocal");
    EXPECT_EQ(r.code, 0) << r.out;

    // The queues' driver is listed in "Printer.ini" beside the program.
    r = Cli("printers");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("LinkBoth\tORVEX QZ-7100\tsocket://"), std::string::npos) << r.out;
    r = Cli("status LinkLocal");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("state:            4 (ready)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("maintenance tank: " + printer.control->Get("maintenance") + " % free"), std::string::npos)
        << r.out;

    EXPECT_EQ(Cli("--all status NoSuchQueue").code, 2);
    EXPECT_EQ(Cli("--settings /nonexistent status LinkLocal").code, 2); // no "Printer.ini": not supported
    EXPECT_EQ(Cli("status").code, 1);
    EXPECT_EQ(Cli("--help").code, 0);

    ASSERT_TRUE(printer.control->Fault("never-ready"));
    r = Cli("--all wait-ready LinkLocal"); // two 5 s waits
    EXPECT_EQ(r.code, 3) << r.out;
    ASSERT_TRUE(printer.control->ClearFaults());
    ASSERT_TRUE(printer.control->Fault("offline"));
    r = Cli("--all status LinkLocal");
    EXPECT_EQ(r.code, 4) << r.out;
    // An offline printer does not answer: that is no answer, not "not ready".
    r = Cli("--all wait-ready LinkNet");
    EXPECT_EQ(r.code, 4) << r.out;
    ASSERT_TRUE(printer.control->ClearFaults());
    ASSERT_TRUE(printer.control->Fault("no-reply"));
    r = Cli("--all version LinkLocal");
    EXPECT_EQ(r.code, 4) << r.out;
    ASSERT_TRUE(printer.control->ClearFaults());
}
