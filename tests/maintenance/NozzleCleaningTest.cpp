// The nozzle check and head cleaning actions without their page: the exact
// jobs, the status guards of the cleaning, the readiness wait, the pause
// after the nozzle check and review mode, against the fake bidirectional
// library and the recording spooler.
#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "comm/RawJob.h"
#include "maintenance/CNozzleCleaning.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Outcome = CNozzleCleaning::Outcome;

Bytes Ascii(const char* s) {
    return Bytes(s, s + std::char_traits<char>::length(s));
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// The two jobs as the printer's command language has them.
const Bytes kNozzleCheckJob = Cat({{0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00},
                                   Ascii("REMOTE1"),
                                   Ascii("NC"),
                                   {0x02, 0x00, 0x00, 0x00},
                                   Ascii("VI"),
                                   {0x02, 0x00, 0x00, 0x01},
                                   {0x1B, 0x00, 0x00, 0x00},
                                   {0x0D, 0x0A, 0x0C, 0x1B, 0x40}});
const Bytes kHeadCleaningJob = Cat({{0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00},
                                    Ascii("REMOTE1"),
                                    Ascii("CH"),
                                    {0x02, 0x00, 0x00, 0x10},
                                    {0x1B, 0x00, 0x00, 0x00}});

// Field 0F with entries of three bytes (00, colour code, level).
Bytes InkField(std::initializer_list<int> levels, int entrySize = 3) {
    Bytes f{0x0F, static_cast<std::uint8_t>(1 + 3 * levels.size()),
            static_cast<std::uint8_t>(entrySize)};
    int code = 1;
    for (int level : levels) {
        f.push_back(0x00);
        f.push_back(static_cast<std::uint8_t>(code++));
        f.push_back(static_cast<std::uint8_t>(level));
    }
    return f;
}

Bytes Field0D(int value) {
    return {0x0D, 0x01, static_cast<std::uint8_t>(value)};
}

TEST(NozzleCleaningJobs, BuildTheExactBytesAndNothingWithoutRoom) {
    struct Case {
        const char* name;
        int (*build)(std::uint8_t*, std::size_t);
        const Bytes& want;
        int length;
    };
    for (const Case& c :
         {Case{"nozzle check", CNozzleCleaning::BuildNozzleCheckJob, kNozzleCheckJob, 36},
          Case{"head cleaning", CNozzleCleaning::BuildHeadCleaningJob, kHeadCleaningJob, 25}}) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(static_cast<int>(c.want.size()), c.length);
        Bytes out(CNozzleCleaning::kJobRoom, 0xEE);
        ASSERT_EQ(c.build(out.data(), out.size()), c.length);
        EXPECT_EQ(Bytes(out.begin(), out.begin() + c.length), c.want);
        EXPECT_EQ(out[static_cast<std::size_t>(c.length)], 0xEE) << "nothing written past the job";
        // Exactly the room it needs is enough.
        Bytes tight(static_cast<std::size_t>(c.length));
        EXPECT_EQ(c.build(tight.data(), tight.size()), c.length);
        EXPECT_EQ(tight, c.want);
        EXPECT_EQ(c.build(nullptr, 128), 0);
    }
}

class NozzleCleaningAction : public ::testing::Test {
protected:
    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("QZ", 1), 1);
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        spooler.AddPrinter("QZ", "socket://qz:9100", "ORVEX QZ-7100");
    }
    // The printer reports this record from now on (the last one repeats).
    void Status(const Bytes& fields) { fake.PushStatus(StatusReplyBytes(fields)); }

    FakeBidi fake;
    CBidiLibrary lib;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    RecordingSpooler spooler;
    CPrinterLink link{&lib};
    CNozzleCleaning action{link, "QZ", true};
};

TEST_F(NozzleCleaningAction, NozzleCheckSendsItsJobThenPausesBehindTheBlockingMark) {
    Status(StateField(4));
    std::vector<std::string> seen;
    const Outcome outcome = action.NozzleCheck(nullptr, [&](bool blocking) {
        seen.push_back(std::string(blocking ? "on" : "off") + " after " +
                       std::to_string(spooler.Documents().size()) + " jobs at " +
                       std::to_string(clock.TickMs()));
    });
    EXPECT_EQ(outcome, Outcome::Sent);
    ASSERT_EQ(spooler.Documents().size(), 1u);
    const RecordingSpooler::Document& job = spooler.Documents()[0];
    EXPECT_EQ(job.bytes, kNozzleCheckJob);
    EXPECT_EQ(job.name, kRawJobDocumentName);
    EXPECT_EQ(job.printer, "QZ");
    EXPECT_TRUE(job.ended);
    EXPECT_EQ(action.LastJobLength(), 36);
    // A ready printer needs no wait; the only wait is the pause after the job.
    EXPECT_EQ(clock.Waits(), std::vector<int>{3000});
    EXPECT_EQ(seen, (std::vector<std::string>{"on after 0 jobs at 0", "off after 1 jobs at 3000"}));
    EXPECT_EQ(fake.Calls("TQGetStatus"), 1);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

TEST_F(NozzleCleaningAction, AFailedOrShortSpoolJobIsNotSentAndTheNozzleCheckStillPauses) {
    Status(StateField(4));
    for (bool shortWrite : {false, true}) {
        SCOPED_TRACE(shortWrite);
        const std::size_t waits = clock.Waits().size();
        if (shortWrite)
            spooler.AcceptAtMost(20);
        else
            spooler.Fail(RecordingSpooler::Step::Write);
        EXPECT_EQ(action.NozzleCheck(nullptr), Outcome::NotSent);
        ASSERT_EQ(clock.Waits().size(), waits + 1);
        EXPECT_EQ(clock.Waits().back(), 3000);
        EXPECT_EQ(action.HeadCleaning(nullptr), Outcome::NotSent);
        EXPECT_EQ(spooler.OpenHandles(), 0u);
        spooler.Succeed(RecordingSpooler::Step::Write);
        spooler.AcceptAtMost(1000);
    }
    spooler.Fail(RecordingSpooler::Step::Open);
    EXPECT_EQ(action.HeadCleaning(nullptr), Outcome::NotSent);
}

TEST_F(NozzleCleaningAction, APrinterThatStaysBusyGetsNoJob) {
    Status(StateField(3));
    EXPECT_EQ(action.NozzleCheck(nullptr), Outcome::NotReady);
    EXPECT_EQ(action.HeadCleaning(nullptr), Outcome::NotReady);
    EXPECT_TRUE(spooler.Documents().empty());
    // Each readiness wait: three status reads, two waits of 5 s.
    EXPECT_EQ(fake.Calls("TQGetStatus"), 6);
    EXPECT_EQ(clock.Sleeps(), std::vector<int>(4, 5000));
    EXPECT_EQ(fake.OpenChannels(), 0);

    fake.SetOpenResult(-1);
    EXPECT_EQ(action.HeadCleaning(nullptr), Outcome::NotReady);
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(NozzleCleaningAction, AStatusReadErrorAfterTheWaitRefusesTheCleaning) {
    Status(StateField(4));
    fake.PushStatus({}, -3);
    EXPECT_EQ(action.HeadCleaning(nullptr), Outcome::NoStatus);
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(fake.OpenChannels(), 0);
}

struct GuardCase {
    const char* name;
    Bytes fields; // besides the ready state
    Outcome want;
};

void PrintTo(const GuardCase& c, std::ostream* os) {
    *os << c.name;
}

class NozzleCleaningGuard : public NozzleCleaningAction,
                            public ::testing::WithParamInterface<GuardCase> {};

TEST_P(NozzleCleaningGuard, TheStatusRecordDecidesWhetherTheCleaningGoesOut) {
    const GuardCase& c = GetParam();
    Status(Cat({StateField(4), c.fields}));
    EXPECT_EQ(action.HeadCleaning(nullptr), c.want);
    if (c.want == Outcome::Sent) {
        ASSERT_EQ(spooler.Documents().size(), 1u);
        EXPECT_EQ(spooler.Documents()[0].bytes, kHeadCleaningJob);
        EXPECT_EQ(action.LastJobLength(), 25);
    } else {
        EXPECT_TRUE(spooler.Documents().empty());
    }
    // One read for the wait, one for the guards; the channel is closed again.
    EXPECT_EQ(fake.Calls("TQGetStatus"), 2);
    EXPECT_EQ(fake.OpenChannels(), 0);
    // The cleaning does not pause.
    EXPECT_TRUE(clock.Waits().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, NozzleCleaningGuard,
    ::testing::Values(
        GuardCase{"ink_at_25_blocks", Cat({InkField({80, 25, 90}), Field0D(50)}), Outcome::InkLow},
        GuardCase{"ink_at_26_passes", Cat({InkField({80, 26, 90}), Field0D(50)}), Outcome::Sent},
        GuardCase{"ink_at_0_blocks", InkField({0}), Outcome::InkLow},
        GuardCase{"field0D_at_12_blocks", Cat({InkField({80, 90}), Field0D(12)}),
                  Outcome::Field0DLow},
        GuardCase{"field0D_at_13_passes", Cat({InkField({80, 90}), Field0D(13)}), Outcome::Sent},
        GuardCase{"both_low_shows_only_ink", Cat({Field0D(3), InkField({10})}), Outcome::InkLow},
        GuardCase{"no_ink_or_0D_field_passes", {}, Outcome::Sent},
        GuardCase{"entry_size_0_passes", Cat({InkField({10, 10}, 0), Field0D(80)}), Outcome::Sent},
        // Only the first field with the id counts.
        GuardCase{"second_0D_field_ignored", Cat({Field0D(40), Field0D(5)}), Outcome::Sent}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NozzleCleaningAction, AStatusReadThatGivesNothingLetsTheCleaningGoOut) {
    Status(StateField(4));
    fake.PushStatus({}, 0);
    EXPECT_EQ(action.HeadCleaning(nullptr), Outcome::Sent);
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes, kHeadCleaningJob);
}

TEST_F(NozzleCleaningAction, ReviewModeSendsBothJobsWithoutTouchingTheChannel) {
    CNozzleCleaning review(link, "QZ", false);
    Status(Cat({StateField(3), InkField({5}), Field0D(1)}));
    EXPECT_EQ(review.HeadCleaning(nullptr), Outcome::Sent);
    EXPECT_EQ(review.NozzleCheck(nullptr), Outcome::Sent);
    ASSERT_EQ(spooler.Documents().size(), 2u);
    EXPECT_EQ(spooler.Documents()[0].bytes, kHeadCleaningJob);
    EXPECT_EQ(spooler.Documents()[1].bytes, kNozzleCheckJob);
    for (const char* entry : {"TQGetAvailableChannel", "TQOpenChannel", "TQGetStatus"})
        EXPECT_EQ(fake.Calls(entry), 0) << entry;
    EXPECT_EQ(clock.Waits(), std::vector<int>{3000});

    // Without any library at all, too.
    CPrinterLink none(nullptr);
    CNozzleCleaning bare(none, "QZ", false);
    EXPECT_EQ(bare.HeadCleaning(nullptr), Outcome::Sent);
}

} // namespace
