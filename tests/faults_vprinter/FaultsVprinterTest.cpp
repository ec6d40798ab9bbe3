// Printers that misbehave as real ones do (replies in pieces, "nothing yet",
// noise before the marker, a late answer to the previous query, a slow raw
// port, a connection reset mid-job) against the real libtqapi.so and the
// private CUPS server: every query reads the right answer or fails within
// its time-out, a stale answer is never taken, a cut job is not sent and
// runs nowhere.
#include "PrivateCups.h"
#include "VprinterRig.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "custompaper/CCustomPaperTable.h"
#include "platform/Spooler.h"

#include <chrono>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using Ms = std::chrono::milliseconds;

std::int64_t NowMs() {
    return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

enum class Query { Status, Version, DeviceId, Names };
enum class Outcome { Right, Fails };

const char* Name(Query q) {
    switch (q) {
    case Query::Status:
        return "status";
    case Query::Version:
        return "version";
    case Query::DeviceId:
        return "device id";
    case Query::Names:
        return "names";
    }
    return "?";
}

// Slot names as the control interface sets them: slot n holds "Paper n".
std::string SlotWithName(int n) {
    std::string hex;
    const std::string name = "Paper " + std::to_string(n);
    std::vector<std::uint8_t> bytes(98, 0);
    bytes[0] = static_cast<std::uint8_t>(n);
    for (std::size_t i = 0; i < 30; ++i)
        bytes[68 + i] = i < name.size() ? name[i] : ' ';
    static const char* digits = "0123456789ABCDEF";
    for (std::uint8_t b : bytes)
        hex += {digits[b >> 4], digits[b & 15]};
    return "1," + hex;
}

class FaultsVprinter : public ::testing::Test {
protected:
    void SetUp() override {
        rig = &VprinterRig::Shared("FaultsNet", "FaultsLocal");
        ASSERT_TRUE(rig->Ready()) << rig->Error();
        PrivateCups::Shared().Activate();
        for (VirtualPrinter* p : {&rig->network, &rig->local}) {
            ASSERT_TRUE(Idle(*p));
            for (int n = 1; n <= 10; ++n)
                ASSERT_TRUE(p->control->Set("slot." + std::to_string(n), SlotWithName(n)));
        }
    }
    void TearDown() override {
        if (rig && rig->Ready())
            for (VirtualPrinter* p : {&rig->network, &rig->local})
                p->control->ClearFaults();
    }

    // Asks `queue` one query the way the pages do; true when the answer is
    // the printer's own.
    bool Ask(const std::string& queue, Query query, int replyTimeoutMs) {
        CBidiLibrary lib;
        if (lib.Load(queue, 1) != 1) return false;
        CPrinterLink link(&lib);
        const CVPrinterClient& control = *rig->On(queue).control;
        switch (query) {
        case Query::Status: {
            const int handle = link.OpenChannel(queue);
            if (handle < 1) return false;
            CStatusReply status;
            const int n = link.QueryStatus(handle, status);
            link.CloseChannel(handle);
            return n > 0 && status.IsReady();
        }
        case Query::Version: {
            std::uint8_t command[16];
            const int length = BuildQueryVI(command, sizeof command);
            std::uint8_t reply[CPrinterLink::kReplySize] = {};
            std::string version;
            return link.SendReceive(queue, command, length, reply, sizeof reply, replyTimeoutMs) >
                       0 &&
                   ReplyValue(reply, sizeof reply, kReplyPrefixVI, version) &&
                   version == control.Get("firmware");
        }
        case Query::DeviceId:
            return !link.DeviceId(queue).empty() &&
                   link.DeviceId(queue) == control.Get("device-id");
        case Query::Names: {
            CCustomPaperTable table("(Not registered)");
            if (table.QueryNames(link, queue) <= 0 || !table.LastQueryComplete()) return false;
            for (int i = 0; i < 10; ++i)
                if (table.SlotLabel(i) != "Paper " + std::to_string(i + 1)) return false;
            return true;
        }
        }
        return false;
    }

    VprinterRig* rig = nullptr;
};

} // namespace

// Faults × channel kinds × query kinds. Before each query the other channel
// kind's printer is left alone; a query of another kind is asked first, so
// that a stale answer is one to a different question (names: the list is
// read in four requests, each stale answer naming other slots).
TEST_F(FaultsVprinter, QueriesReadTheRightAnswerOrFailWithinTheirTimeOut) {
    struct Case {
        const char* fault;
        const char* arg;
        bool local; // channel kind
        Query query;
        Outcome outcome;
    };
    const std::vector<Case> cases = [] {
        std::vector<Case> all;
        const Query kinds[] = {Query::Status, Query::Version, Query::DeviceId, Query::Names};
        for (bool local : {true, false}) {
            for (Query q : kinds) {
                // Pieces shorter than the reply's prefix; the longer name
                // lists in fewer of them, to keep the run short.
                all.push_back(
                    {"split-reply", q == Query::Names ? "24" : "5", local, q, Outcome::Right});
                all.push_back({"nothing-yet", "4", local, q, Outcome::Right});
                all.push_back({"marker-offset", "37", local, q, Outcome::Right});
                all.push_back({"stale-reply", "", local, q, Outcome::Right});
            }
            // "Nothing yet" for longer than the reply's time-out.
            all.push_back({"nothing-yet", "100", local, Query::Version, Outcome::Fails});
        }
        return all;
    }();
    // The query time-out of the table (the pages use 10 s; the library's own
    // status and device id time-out is 3 s).
    constexpr int kReplyTimeoutMs = 1000;
    for (const Case& c : cases) {
        const std::string queue = c.local ? rig->LocalQueue() : rig->NetworkQueue();
        SCOPED_TRACE(std::string(c.fault) + " " + c.arg + " on " + queue + ": " + Name(c.query));
        const CVPrinterClient& control = *rig->On(queue).control;
        ASSERT_TRUE(control.ClearFaults());
        // A question of another kind first: its answer is the one a stale
        // reply brings back.
        ASSERT_TRUE(
            Ask(queue, c.query == Query::Version ? Query::Names : Query::Version, kReplyTimeoutMs));
        ASSERT_TRUE(control.Fault(c.fault, c.arg));
        const std::int64_t t0 = NowMs();
        const bool right = Ask(queue, c.query, kReplyTimeoutMs);
        const std::int64_t spent = NowMs() - t0;
        EXPECT_EQ(right, c.outcome == Outcome::Right);
        if (c.outcome == Outcome::Fails) {
            EXPECT_LT(spent, kReplyTimeoutMs + 1500);
        }
        // Names take four requests; everything else one (status: one
        // channel open and one read).
        EXPECT_LT(spent, c.query == Query::Names ? 4 * kReplyTimeoutMs : kReplyTimeoutMs + 1500);
    }
}

// A stale answer to the same kind of question is not taken either: of two
// list reads one right after the other, the second reads its own slots, not
// the late answer to the first.
TEST_F(FaultsVprinter, AStaleAnswerToTheSameQuestionIsNotTaken) {
    for (const std::string& queue : {rig->LocalQueue(), rig->NetworkQueue()}) {
        SCOPED_TRACE(queue);
        const CVPrinterClient& control = *rig->On(queue).control;
        ASSERT_TRUE(control.Fault("stale-reply"));
        for (int first : {1, 4, 7}) {
            // Two list reads of different slots, one right after the other.
            CBidiLibrary lib;
            ASSERT_EQ(lib.Load(queue, 1), 1);
            CPrinterLink link(&lib);
            CCustomPaperTable table("(Not registered)");
            ASSERT_GT(table.QueryName(link, queue, first - 1), 0);
            ASSERT_GT(table.QueryName(link, queue, first + 1), 0);
            EXPECT_EQ(table.SlotLabel(first + 1), "Paper " + std::to_string(first + 2));
        }
    }
}

namespace {

// A command job (head cleaning) behind `padding` bytes that mean nothing to
// the printer, or with them between the command and the exit from remote
// mode.
std::vector<std::uint8_t> CleaningJob(std::size_t padding, bool paddingFirst) {
    std::uint8_t head[64];
    std::size_t n = BuildEnterRemote(head, sizeof head);
    const std::uint8_t ch[] = {'C', 'H', 0x02, 0x00, 0x00, 0x10};
    std::memcpy(head + n, ch, sizeof ch);
    n += sizeof ch;
    std::uint8_t tail[16];
    std::size_t t = BuildExitRemote(tail, sizeof tail);
    t += BuildJobEnd(tail + t, sizeof tail - t);
    std::vector<std::uint8_t> job;
    if (paddingFirst) job.assign(padding, 0x00);
    job.insert(job.end(), head, head + n);
    if (!paddingFirst) job.insert(job.end(), padding, 0x00);
    job.insert(job.end(), tail, tail + t);
    return job;
}

} // namespace

TEST_F(FaultsVprinter, ASlowRawPortTakesTheWholeJobAtItsRate) {
    VirtualPrinter& printer = rig->local;
    ASSERT_TRUE(printer.control->Fault("slow-raw", "128"));
    const std::vector<std::uint8_t> job = CleaningJob(256 * 1024, true);
    const std::int64_t t0 = NowMs();
    EXPECT_EQ(SendRawJob(rig->LocalQueue(), job.data(), job.size()), 0);
    // 256 KB at 128 KB/s: the job is reported only once the printer had it.
    EXPECT_GE(NowMs() - t0, 1500);
    EXPECT_TRUE(Eventually(
        [&] { return Logged(*printer.control, "job " + std::to_string(job.size()) + " bytes"); }));
    EXPECT_TRUE(Eventually([&] { return Logged(*printer.control, "CH 00 10"); }));
}

TEST_F(FaultsVprinter, AJobCutByAResetIsNotSentAndNothingOfItRuns) {
    for (const std::string& queue : {rig->LocalQueue(), rig->NetworkQueue()}) {
        SCOPED_TRACE(queue);
        VirtualPrinter& printer = rig->On(queue);
        ASSERT_TRUE(Idle(printer));
        ASSERT_TRUE(printer.control->Fault("reset-mid-job", "100"));
        // Enter remote mode and the cleaning arrive; the exit never does.
        const std::vector<std::uint8_t> job = CleaningJob(4 << 20, false);
        const std::int64_t t0 = NowMs();
        EXPECT_EQ(SendRawJob(queue, job.data(), job.size()), -1);
        EXPECT_LT(NowMs() - t0, 10000);
        EXPECT_TRUE(Logged(*printer.control, "job reset after 100 bytes"));
        // The spooler does not send it again later: the job is gone.
        Spooler& spooler = Spooler::Current();
        std::vector<SpoolerJob> pending;
        const Spooler::Handle handle = spooler.OpenPrinter(queue);
        ASSERT_NE(handle, 0);
        EXPECT_TRUE(spooler.EnumJobs(handle, 0, 10, pending));
        spooler.ClosePrinter(handle);
        EXPECT_TRUE(pending.empty());
        // Nothing ran and the printer is not left in remote mode: with the
        // fault cleared, the next job runs as any other.
        ASSERT_TRUE(printer.control->ClearFaults());
        for (const std::string& line : printer.control->Log()) {
            EXPECT_EQ(line.find("enter-remote"), std::string::npos) << line;
            EXPECT_EQ(line.find("CH "), std::string::npos) << line;
        }
        const std::vector<std::uint8_t> whole = CleaningJob(0, false);
        EXPECT_EQ(SendRawJob(queue, whole.data(), whole.size()), 0);
        EXPECT_TRUE(Eventually([&] { return Logged(*printer.control, "CH 00 10"); }));
    }
}

// A command job small enough to lie whole in the sockets' buffers is taken
// by the spooler's backend before the printer resets: the spooler cannot
// tell, but the printer still runs none of it.
TEST_F(FaultsVprinter, ASmallJobCutByAResetRunsNowhere) {
    VirtualPrinter& printer = rig->local;
    ASSERT_TRUE(printer.control->Fault("reset-mid-job", "10"));
    const std::vector<std::uint8_t> job = CleaningJob(0, false);
    SendRawJob(rig->LocalQueue(), job.data(), job.size());
    EXPECT_TRUE(Eventually([&] { return Logged(*printer.control, "job reset after 10 bytes"); }));
    for (const std::string& line : printer.control->Log())
        EXPECT_EQ(line.find("CH "), std::string::npos) << line;
    EXPECT_EQ(printer.control->Get("state"), "ready");
}

// plotcare-cli shows a reply's long wait on its progress line, and Ctrl-C
// ends it as cancelled.
TEST_F(FaultsVprinter, TheCliShowsALongReplyWaitAndCtrlCEndsIt) {
    ASSERT_TRUE(rig->local.control->Fault("nothing-yet", "1000"));
    const std::int64_t t0 = NowMs();
    const CliRun run =
        RunCli("version " + rig->LocalQueue() + " 2>&1 & sleep 2; kill -INT $!; wait $!");
    EXPECT_LT(NowMs() - t0, 6000);
    EXPECT_EQ(run.code, 7) << run.out;
    EXPECT_NE(run.out.find("waiting for the printer's reply"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Ctrl-C"), std::string::npos) << run.out;
}
