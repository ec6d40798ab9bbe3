// plotcare-cli's busy indicator driving the printer watch: the progress
// line, Ctrl-C and the time-out.
#include "cli/CliBusyProgress.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "maintenance/CPrinterWatch.h"
#include "platform/Clock.h"

#include "FakeBidi.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

namespace {

class CliBusyProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("qz", 1), 1);
        std::vector<std::uint8_t> list;
        FakeBidi::AddChannel(list, CPrinterLink::kChannelLocal, 7);
        fake.SetChannels(list);
        fake.PushStatus(StatusReplyBytes(StateField(3)));  // busy throughout
    }

    CPrinterWatch::Result Watch(cli::CliBusyProgress& progress, int timeoutMs) {
        progress.Begin(10120, timeoutMs, true);
        CPrinterWatch watch(link, progress);
        const auto result = watch.Run("qz", clock.TickMs());
        progress.End();
        return result;
    }

    FakeBidi fake;
    CBidiLibrary lib;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    CPrinterLink link{&lib};
    std::ostringstream err;
};

}  // namespace

TEST_F(CliBusyProgressTest, TimeOutEndsTheWatchWithALineEveryTenSeconds) {
    cli::CliBusyProgress progress(err, false);
    EXPECT_EQ(Watch(progress, 40000), CPrinterWatch::Result::TimedOut);
    EXPECT_LE(clock.TickMs(), 40000 + cli::CliBusyProgress::kTickMs);
    const std::string out = err.str();
    // Without an application object the caption names the printer.
    EXPECT_EQ(out.rfind("plotcare-cli: the printer: 0 s of 40 s (Ctrl-C stops waiting)\n", 0), 0u) << out;
    EXPECT_NE(out.find(": 30 s of 40 s"), std::string::npos) << out;
    EXPECT_EQ(out.find(": 5 s of"), std::string::npos) << out;
    EXPECT_EQ(clock.ActiveTimers(), 0);
}

TEST_F(CliBusyProgressTest, CtrlCCancelsTheWatchAndGivesCtrlCBack) {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    cli::CliBusyProgress progress(err, true);
    bool raised = false;
    clock.SetOnAdvance([&](std::int64_t now) {
        if (!raised && now >= 45000) {
            raised = true;
            std::raise(SIGINT);
        }
    });
    EXPECT_EQ(Watch(progress, 1080000), CPrinterWatch::Result::Cancelled);
    EXPECT_LE(clock.TickMs(), 45000 + 2 * cli::CliBusyProgress::kTickMs);
    EXPECT_EQ(err.str().back(), '\n');
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}
