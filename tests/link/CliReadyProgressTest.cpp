// plotcare-cli's readiness wait: the progress line and Ctrl-C.
#include "cli/CliReadyProgress.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "platform/Clock.h"

#include "FakeBidi.h"
#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sstream>

namespace {

class CliReadyProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("qz", 1), 1);
        std::vector<std::uint8_t> list;
        FakeBidi::AddChannel(list, CPrinterLink::kChannelLocal, 7);
        fake.SetChannels(list);
        fake.PushStatus(StatusReplyBytes(StateField(2)));
    }

    FakeBidi fake;
    CBidiLibrary lib;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    CPrinterLink link{&lib};
    std::ostringstream err;
};

} // namespace

TEST_F(CliReadyProgressTest, OneLinePerSecondNamingThePrinterAndTheTimeOut) {
    cli::CliReadyProgress progress(err, false);
    EXPECT_EQ(link.WaitUntilReady("Q\x1bZ", &progress), 0);
    EXPECT_FALSE(progress.Cancelled());
    std::string expected;
    for (int s = 0; s <= 10; ++s)
        expected += "plotcare-cli: waiting for \"Q\\x1BZ\" to report ready: " + std::to_string(s) + " s of 10 s (Ctrl-C stops)\n";
    EXPECT_EQ(err.str(), expected);
    EXPECT_EQ(clock.ActiveTimers(), 0);
}

TEST_F(CliReadyProgressTest, OnATerminalTheLineIsRewrittenInPlace) {
    cli::CliReadyProgress progress(err, true);
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    EXPECT_EQ(link.WaitUntilReady("qz", &progress), 1);
    const std::string out = err.str();
    EXPECT_EQ(out.rfind("\rplotcare-cli: waiting for \"qz\" to report ready: 0 s of 10 s (Ctrl-C stops)", 0), 0u);
    EXPECT_NE(out.find("\rplotcare-cli: waiting for \"qz\" to report ready: 5 s of 10 s (Ctrl-C stops)\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("\n"), out.size() - 1);
}

// Ctrl-C during the wait ends the wait (not the program) at the next tick;
// afterwards Ctrl-C is the program's again.
TEST_F(CliReadyProgressTest, InterruptEndsTheWait) {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    cli::CliReadyProgress progress(err, false);
    bool raised = false;
    clock.SetOnAdvance([&](std::int64_t now) {
        if (!raised && now >= 2500) {
            raised = true;
            std::raise(SIGINT);
        }
    });
    const auto t0 = clock.TickMs();
    EXPECT_EQ(link.WaitUntilReady("qz", &progress), 0);
    EXPECT_TRUE(progress.Cancelled());
    EXPECT_LE(clock.TickMs() - t0, 2500 + cli::CliReadyProgress::kTickMs);
    EXPECT_EQ(fake.Calls("TQGetStatus"), 1);
    EXPECT_EQ(fake.OpenChannels(), 0);
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}
