#include "comm/RawJob.h"

#include "PrivateCups.h"
#include "RecordingSpooler.h"

#include <gtest/gtest.h>

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

// Every failure gives -1, ends a document that was started and closes what
// was opened.
TEST(RawJobTest, FailuresGiveMinusOneAndAlwaysClose) {
    struct Case {
        const char* name;
        std::string printer;
        std::optional<Step> failing;
        std::size_t acceptAtMost;  // 0: no limit
        std::vector<std::string> calls;
        std::size_t documents;
    };
    const std::vector<Case> cases = {
        {"missing printer", "Nope", std::nullopt, 0, {"Open Nope"}, 0},
        {"open fails", "QZ", Step::Open, 0, {"Open QZ"}, 0},
        {"document not started", "QZ", Step::StartDocument, 0, {"Open QZ", "Start ZAMU Command", "Close"}, 0},
        {"write fails", "QZ", Step::Write, 0, {"Open QZ", "Start ZAMU Command", "Write 12", "End", "Close"}, 1},
        {"short write", "QZ", std::nullopt, 11, {"Open QZ", "Start ZAMU Command", "Write 12", "End", "Close"}, 1},
        {"end fails", "QZ", Step::EndDocument, 0, {"Open QZ", "Start ZAMU Command", "Write 12", "End", "Close"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSpooler spooler;
        spooler.AddPrinter("QZ");
        if (c.failing) spooler.Fail(*c.failing);
        if (c.acceptAtMost) spooler.AcceptAtMost(c.acceptAtMost);

        EXPECT_EQ(SendRawJob(c.printer, kCommand.data(), kCommand.size()), -1);
        EXPECT_EQ(spooler.Calls(), c.calls);
        EXPECT_EQ(spooler.OpenHandles(), 0u);
        ASSERT_EQ(spooler.Documents().size(), c.documents);
        if (c.documents) {
            EXPECT_TRUE(spooler.Documents()[0].ended);
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

TEST(RawJobCupsTest, MissingQueueGivesMinusOne) {
    PrivateCups::Shared();
    EXPECT_EQ(SendRawJob("NoSuchQueue", kCommand.data(), kCommand.size()), -1);
    EXPECT_EQ(SendRawJob("", kCommand.data(), kCommand.size()), -1);
}
