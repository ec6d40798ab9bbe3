#include "comm/CRawJobStream.h"
#include "comm/CommWaitProgress.h"
#include "comm/RawJob.h"
#include "platform/Clock.h"
#include "platform/Spooler.h"

#include "PrivateCups.h"
#include "RecordingSpooler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Step = RecordingSpooler::Step;

namespace {

const Bytes kCommand = {0x1B, 0x40, 'C', 'H', 0x02, 0x00, 0x00, 0x10, 0x1B, 0x00, 0x00, 0x00};

} // namespace

TEST(RawJobTest, SendsOneDocumentNamedZamuCommandAndCloses) {
    RecordingSpooler spooler;
    spooler.AddPrinter("QZ");

    EXPECT_EQ(SendRawJob("QZ", kCommand.data(), kCommand.size()), 0);

    ASSERT_EQ(spooler.Documents().size(), 1u);
    const auto& doc = spooler.Documents()[0];
    EXPECT_EQ(doc.printer, "QZ");
    EXPECT_EQ(doc.name, "ZAMU Command");
    EXPECT_EQ(doc.bytes, kCommand);
    EXPECT_TRUE(doc.ended);
    EXPECT_EQ(spooler.Calls(), (std::vector<std::string>{"Open QZ", "Start ZAMU Command", "Write 12", "End", "Close"}));
    EXPECT_EQ(spooler.OpenHandles(), 0u);
}

// Every failure gives -1 and closes what was opened. A document whose bytes
// did not all go in is cancelled, never ended: a cut command job must not
// reach the printer.
TEST(RawJobTest, FailuresGiveMinusOneAndAlwaysClose) {
    enum Fate { None, Ended, Cancelled };
    struct Case {
        const char* name;
        std::string printer;
        std::vector<Step> failing;
        std::optional<std::size_t> acceptAtMost;
        std::vector<std::string> calls;
        Fate fate;  // of the one document, when there is one
    };
    const std::vector<std::string> cancelled = {"Open QZ", "Start ZAMU Command", "Write 12", "Cancel", "Close"};
    const std::vector<Case> cases = {
        {"missing printer", "Nope", {}, {}, {"Open Nope"}, None},
        {"open fails", "QZ", {Step::Open}, {}, {"Open QZ"}, None},
        {"document not started", "QZ", {Step::StartDocument}, {}, {"Open QZ", "Start ZAMU Command", "Close"}, None},
        {"write fails", "QZ", {Step::Write}, {}, cancelled, Cancelled},
        {"short write", "QZ", {}, 11, cancelled, Cancelled},
        {"nothing accepted", "QZ", {}, 0, cancelled, Cancelled},
        {"cancel refused as well", "QZ", {Step::Write, Step::CancelDocument}, {}, cancelled, Cancelled},
        {"end fails", "QZ", {Step::EndDocument}, {}, {"Open QZ", "Start ZAMU Command", "Write 12", "End", "Close"}, Ended},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSpooler spooler;
        spooler.AddPrinter("QZ");
        for (Step step : c.failing) spooler.Fail(step);
        if (c.acceptAtMost) spooler.AcceptAtMost(*c.acceptAtMost);

        EXPECT_EQ(SendRawJob(c.printer, kCommand.data(), kCommand.size()), -1);
        EXPECT_EQ(spooler.Calls(), c.calls);
        EXPECT_EQ(spooler.OpenHandles(), 0u);
        ASSERT_EQ(spooler.Documents().size(), c.fate == None ? 0u : 1u);
        if (c.fate != None) {
            EXPECT_EQ(spooler.Documents()[0].ended, c.fate == Ended);
            EXPECT_EQ(spooler.Documents()[0].cancelled, c.fate == Cancelled);
        }
    }
}

TEST(RawJobTest, ShortWriteFailsAlthoughTheDocumentWasCreated) {
    RecordingSpooler spooler;
    spooler.AddPrinter("QZ");
    spooler.AcceptAtMost(kCommand.size() - 1);

    EXPECT_EQ(SendRawJob("QZ", kCommand.data(), kCommand.size()), -1);
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes, Bytes(kCommand.begin(), kCommand.end() - 1));
}

// Through a real CUPS server to a printer's raw port: the bytes arrive
// unchanged, including every byte value a filter could mangle.
TEST(RawJobCupsTest, JobReachesThePrinterByteForByte) {
    PrivateCups& cups = PrivateCups::Shared();
    RawListener printer;
    cups.AddQueue("RawJobExact", printer.Uri());

    Bytes data;
    for (int round = 0; round < 16; ++round) {
        for (int b = 0; b < 256; ++b) data.push_back(static_cast<std::uint8_t>(b ^ round));
    }
    data.insert(data.end(), {'\r', '\n', 0x0C, 0x1B, 0x40, 0x04, 0x00});  // form feed, escape, EOT, NUL at the end

    ASSERT_EQ(SendRawJob("RawJobExact", data.data(), data.size()), 0);
    const auto jobs = printer.WaitForJobs(1, 60s);
    ASSERT_EQ(jobs.size(), 1u) << cups.ErrorLog();
    EXPECT_EQ(jobs[0], data);
}

// A document cancelled half-way never prints, and the queue goes on: the
// next job is the first the printer gets.
TEST(RawJobCupsTest, CancelledDocumentNeverReachesThePrinter) {
    PrivateCups& cups = PrivateCups::Shared();
    RawListener printer;
    cups.AddQueue("RawJobCancel", printer.Uri());

    Spooler& spooler = Spooler::Current();
    const Spooler::Handle handle = spooler.OpenPrinter("RawJobCancel");
    ASSERT_NE(handle, 0);
    ASSERT_GT(spooler.StartRawDocument(handle, kRawJobDocumentName), 0);
    const Bytes half(kCommand.begin(), kCommand.begin() + 6);
    ASSERT_EQ(spooler.WriteDocument(handle, half.data(), half.size()), 6);
    EXPECT_TRUE(spooler.CancelDocument(handle));
    EXPECT_FALSE(spooler.CancelDocument(handle)); // nothing open any more
    spooler.ClosePrinter(handle);

    ASSERT_EQ(SendRawJob("RawJobCancel", kCommand.data(), kCommand.size()), 0);
    const auto jobs = printer.WaitForJobs(1, 60s);
    ASSERT_EQ(jobs.size(), 1u) << cups.ErrorLog();
    EXPECT_EQ(jobs[0], kCommand);
    EXPECT_TRUE(printer.WaitForJobs(2, 2s).size() == 1u);
}

TEST(RawJobCupsTest, MissingQueueGivesMinusOne) {
    PrivateCups::Shared();
    EXPECT_EQ(SendRawJob("NoSuchQueue", kCommand.data(), kCommand.size()), -1);
    EXPECT_EQ(SendRawJob("", kCommand.data(), kCommand.size()), -1);
}

namespace {

// Records a comm wait's progress and ends it at a chosen poll.
class RecordingWaitProgress : public CommWaitProgress {
public:
    explicit RecordingWaitProgress(int cancelAtPoll = -1) : m_cancelAt(cancelAtPoll) {}
    void WaitBegin(const std::string& what, int) override { events.push_back("begin " + what); }
    bool WaitPoll(std::int64_t) override { return ++polls == m_cancelAt; }
    void WaitEnd() override { events.push_back("end"); }
    std::vector<std::string> events;
    int polls = 0;

private:
    int m_cancelAt;
};

} // namespace

// Once the spooler has the whole job, its verdict decides: a job that could
// not be sent (the printer reset the connection) is not sent, and one held
// for a later try is cancelled so that it never runs after that.
TEST(RawJobTest, TheSpoolersVerdictDecides) {
    using S = SpoolerJobState;
    struct Case {
        const char* name;
        std::vector<S> states; // one per question; the last one repeats
        int result;
        bool jobCancelled;
    };
    const std::vector<Case> cases = {
        {"completed at once", {S::Completed}, 0, false},
        {"spooler cannot say", {S::Unknown}, 0, false},
        {"processing, then completed",
         {S::Pending, S::Processing, S::Processing, S::Completed},
         0,
         false},
        {"aborted", {S::Processing, S::Aborted}, -1, false},
        {"cancelled by someone", {S::Canceled}, -1, false},
        {"held after the connection broke", {S::Processing, S::Held}, -1, true},
        {"stopped with its printer", {S::Stopped}, -1, true},
        {"still on its way at the time-out", {S::Processing}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeClock clock{0};
        FakeClock::Scope scope{clock};
        RecordingSpooler spooler;
        spooler.AddPrinter("QZ");
        spooler.SetJobStates([&](int, int asked) {
            return c.states[std::min<std::size_t>(static_cast<std::size_t>(asked),
                                                  c.states.size() - 1)];
        });
        EXPECT_EQ(SendRawJob("QZ", kCommand.data(), kCommand.size()), c.result);
        const auto& calls = spooler.Calls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "CancelJob 1"), c.jobCancelled ? 1 : 0);
        EXPECT_EQ(spooler.OpenHandles(), 0u);
        if (std::string(c.name).find("time-out") != std::string::npos) {
            EXPECT_GE(clock.TickMs(), kJobVerdictTimeoutMs);
        }
    }
}

// A long wait for the verdict shows through the current progress, and the
// operator's cancel ends it: the job is then cancelled and not sent.
TEST(RawJobTest, TheVerdictWaitShowsAndCanBeEnded) {
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    RecordingSpooler spooler;
    spooler.AddPrinter("QZ");
    spooler.SetJobStates([](int, int) { return SpoolerJobState::Processing; });
    RecordingWaitProgress progress(3);
    CommWaitProgress::Scope installed(&progress);
    EXPECT_EQ(SendRawJob("QZ", kCommand.data(), kCommand.size()), -1);
    EXPECT_EQ(progress.events,
              (std::vector<std::string>{"begin the printer to take the job", "end"}));
    EXPECT_EQ(progress.polls, 3);
    EXPECT_LT(clock.TickMs(), 2000);
    const auto& calls = spooler.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "CancelJob 1"), 1);
}

// The stream of a firmware image learns the verdict as well.
TEST(RawJobTest, AStreamedJobLearnsTheVerdict) {
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    RecordingSpooler spooler;
    spooler.AddPrinter("QZ");
    spooler.SetJobStates([](int, int asked) {
        return asked < 2 ? SpoolerJobState::Processing : SpoolerJobState::Held;
    });
    CRawJobStream stream;
    ASSERT_TRUE(stream.Start("QZ"));
    ASSERT_TRUE(stream.Write(kCommand.data(), kCommand.size()));
    EXPECT_EQ(stream.Finish(), -1);
    const auto& calls = spooler.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "CancelJob 1"), 1);
}
