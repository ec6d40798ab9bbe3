#include "maintenance/CPrinterWatch.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "maintenance/BusyIndicator.h"
#include "platform/Clock.h"

#include "FakeBidi.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Watch = CPrinterWatch;

// The indicator of a test: its time-out is a clock timer, as the busy
// dialog's is; the test may cancel at a given moment.
class ScriptedBusy final : public BusyIndicator {
public:
    bool Begin(int, int timeoutMs, bool) override {
        m_timer = Clock::Current().StartTimer(timeoutMs, [this] { m_state = kTimedOut; });
        return true;
    }
    int Poll() override {
        ++polls;
        Clock::Current().DispatchPending();
        return m_state;
    }
    int State() const override { return m_state; }
    void End() override { Clock::Current().StopTimer(m_timer); }
    void CancelAt(std::int64_t ms) {
        Clock::Current().StartTimer(static_cast<int>(ms), [this] { m_state = kCancelled; });
    }

    int polls = 0;

private:
    int m_state = kRunning;
    int m_timer = 0;
};

class WatchFixture : public ::testing::Test {
protected:
    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("qz", 1), 1);
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
    }
    // From `atMs` on (after the start) the printer reports `state`.
    void StateFrom(std::int64_t atMs, int state) {
        clock.SetOnAdvance([this, atMs, state, done = false](std::int64_t now) mutable {
            if (!done && now >= kStart + atMs) {
                done = true;
                fake.PushStatus(StatusReplyBytes(StateField(state)));
            }
        });
    }
    Watch::Result Run(int timeoutMs = 1080000) {
        busy.Begin(10120, timeoutMs, true);
        const auto result = watch.Run("qz", kStart);
        busy.End();
        endMs = clock.TickMs() - kStart;
        return result;
    }

    static constexpr std::int64_t kStart = 0;
    FakeBidi fake;
    CBidiLibrary lib;
    FakeClock clock{kStart};
    FakeClock::Scope scope{clock};
    CPrinterLink link{&lib};
    ScriptedBusy busy;
    Watch watch{link, busy};
    std::int64_t endMs = 0;
};

TEST_F(WatchFixture, AReadyPrinterFinishesAfterThreeSpacedPollsFromThirtySeconds) {
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    EXPECT_EQ(Run(), Watch::Result::Finished);
    EXPECT_EQ(watch.StatusReads(), 9);
    EXPECT_GE(endMs, 32000);
    EXPECT_LT(endMs, 33000);
    EXPECT_EQ(clock.Sleeps(), std::vector<int>(6, 100));
    EXPECT_EQ(fake.OpenChannels(), 0) << "the channel is closed again";
    // Between polls the loop waits on the event queue instead of spinning.
    EXPECT_LT(busy.polls, 10);
}

struct OutcomeCase {
    const char* what;
    int firstState;
    std::int64_t changeAt;
    int laterState;
    std::int64_t cancelAt;
    int timeoutMs;
    Watch::Result want;
    std::int64_t endAtLeast;
    std::int64_t endBelow;
};

class WatchOutcome : public WatchFixture, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(WatchOutcome, EndsAsThePrinterAndTheOperatorSay) {
    const OutcomeCase& c = GetParam();
    fake.PushStatus(StatusReplyBytes(StateField(c.firstState)));
    if (c.changeAt) StateFrom(c.changeAt, c.laterState);
    if (c.cancelAt) busy.CancelAt(c.cancelAt);
    EXPECT_EQ(Run(c.timeoutMs), c.want);
    EXPECT_GE(endMs, c.endAtLeast);
    EXPECT_LT(endMs, c.endBelow);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WatchOutcome,
    ::testing::Values(
        OutcomeCase{"busy_then_ready", 3, 60000, 4, 0, 1080000, Watch::Result::Finished, 62000, 64500},
        OutcomeCase{"error_state", 3, 45000, 0, 0, 1080000, Watch::Result::Failed, 45000, 47500},
        OutcomeCase{"cancel_while_busy", 3, 0, 3, 40000, 1080000, Watch::Result::Cancelled, 40000, 40300},
        OutcomeCase{"cancel_before_first_poll", 4, 0, 4, 5000, 1080000, Watch::Result::Cancelled, 5000, 5001},
        OutcomeCase{"time_out", 3, 0, 3, 0, 490000, Watch::Result::TimedOut, 490000, 490300}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(WatchFixture, AConfirmationThatIsNotReadyStartsTheCountAgain) {
    // Ready at every poll, but the second poll's confirmation says busy.
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    for (int i = 0; i < 3; ++i) fake.PushStatus(StatusReplyBytes(StateField(4)));
    fake.PushStatus(StatusReplyBytes(StateField(3)));
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    EXPECT_EQ(Run(), Watch::Result::Finished);
    // Poll 1 (3 reads) and poll 2 (2 reads) do not count; three more follow.
    EXPECT_EQ(watch.StatusReads(), 3 + 2 + 9);
}

TEST_F(WatchFixture, NoChannelOrAStatusErrorIsAFailure) {
    fake.SetOpenResult(-1);
    EXPECT_EQ(Run(), Watch::Result::Failed);
    EXPECT_EQ(watch.StatusReads(), 0);

    fake.SetOpenResult(1);
    fake.PushStatus({}, -3);
    EXPECT_EQ(Run(), Watch::Result::Failed);
    EXPECT_EQ(watch.StatusReads(), 1);
    EXPECT_GE(endMs, 30000);
}

}  // namespace
