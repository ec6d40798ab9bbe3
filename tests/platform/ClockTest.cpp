#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <vector>

namespace {

int g_argc = 1;
char g_arg0[] = "test_clock";
char* g_argv[] = {g_arg0, nullptr};

QCoreApplication& App() {
    static QCoreApplication* app =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(g_argc, g_argv);
    return *app;
}

} // namespace

TEST(FakeClock, WaitsPassInstantlyAndFireTimersAtTheirTimes) {
    FakeClock clock(0);
    std::vector<std::int64_t> fired;
    const int id = clock.StartTimer(1000, [&] { fired.push_back(clock.TickMs()); });
    clock.Wait(3500);
    EXPECT_EQ(clock.TickMs(), 3500);
    EXPECT_EQ(fired, (std::vector<std::int64_t>{1000, 2000, 3000}));
    clock.StopTimer(id);
    clock.Wait(5000);
    EXPECT_EQ(fired.size(), 3u);
    EXPECT_EQ(clock.Waits(), (std::vector<int>{3500, 5000}));
}

TEST(FakeClock, SleepDispatchesNothingAndDueTimersFireOnceAtTheNextDispatch) {
    FakeClock clock(0);
    int fired = 0;
    clock.StartTimer(100, [&] { ++fired; });
    clock.Sleep(1000);
    EXPECT_EQ(fired, 0);
    clock.DispatchPending();
    EXPECT_EQ(fired, 1); // coalesced, as a window timer is
    EXPECT_EQ(clock.Sleeps(), std::vector<int>{1000});
}

TEST(FakeClock, StopConditionEndsTheWaitEarly) {
    FakeClock clock(0);
    bool flag = false;
    clock.StartTimer(700, [&] { flag = true; });
    EXPECT_TRUE(clock.Wait(30000, [&] { return flag; }));
    EXPECT_EQ(clock.TickMs(), 700);
}

TEST(FakeClock, TimerMayStopItselfAndHookSeesTime) {
    FakeClock clock(0);
    int id = 0, fired = 0;
    id = clock.StartTimer(10, [&] { ++fired; clock.StopTimer(id); });
    std::int64_t seen = -1;
    clock.SetOnAdvance([&](std::int64_t now) { seen = now; });
    clock.Wait(100);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(seen, 100);
}

TEST(FakeClock, ScopeMakesItCurrent) {
    FakeClock clock(42);
    {
        FakeClock::Scope scope(clock);
        EXPECT_EQ(Clock::Current().TickMs(), 42);
    }
    EXPECT_NE(&Clock::Current(), &clock);
}

TEST(RealClock, WaitBlocksForItsTimeAndDispatchesEvents) {
    App();
    RealClock clock;
    bool posted = false;
    QTimer::singleShot(20, [&] { posted = true; });
    int ticks = 0;
    clock.StartTimer(10, [&] { ++ticks; });
    const auto t0 = clock.TickMs();
    EXPECT_FALSE(clock.Wait(120));
    const auto elapsed = clock.TickMs() - t0;
    EXPECT_GE(elapsed, 120);
    EXPECT_LT(elapsed, 1000);
    EXPECT_TRUE(posted);
    EXPECT_GE(ticks, 3);
}

TEST(RealClock, WaitEndsWhenStopHolds) {
    App();
    RealClock clock;
    bool flag = false;
    QTimer::singleShot(30, [&] { flag = true; });
    const auto t0 = clock.TickMs();
    EXPECT_TRUE(clock.Wait(10000, [&] { return flag; }));
    EXPECT_LT(clock.TickMs() - t0, 5000);
}
