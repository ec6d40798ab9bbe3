#include "platform/Clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <thread>

namespace {

std::atomic<Clock*> g_current{nullptr};

RealClock& TheRealClock() {
    static RealClock clock;
    return clock;
}

// Qt's dispatcher only runs on the thread of the application object; a
// program without one (or another thread) gets plain sleeps.
bool CanPump() {
    auto* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

Clock::~Clock() = default;

Clock& Clock::Current() {
    Clock* c = g_current.load();
    return c ? *c : TheRealClock();
}

void Clock::SetCurrent(Clock* clock) { g_current.store(clock); }

// ---------------------------------------------------------------- RealClock

RealClock::RealClock() = default;

RealClock::~RealClock() {
    for (auto& [id, timer] : m_timers) delete timer;
}

std::int64_t RealClock::TickMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool RealClock::Wait(int ms, const StopFn& stop) {
    ms = std::max(ms, 0);
    if (!CanPump()) {
        Sleep(ms);
        return stop && stop();
    }
    QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    // The wake-up timer makes the blocking dispatch return at the deadline;
    // nothing else is needed from it.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (;;) {
        if (stop && stop()) return true;
        if (deadline.hasExpired()) return false;
        if (!wake.isActive())
            wake.start(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void RealClock::Sleep(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void RealClock::DispatchPending() {
    if (CanPump()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int RealClock::StartTimer(int periodMs, TimerFn fn) {
    auto* timer = new QTimer;
    timer->setInterval(std::max(periodMs, 1));
    QObject::connect(timer, &QTimer::timeout, timer, std::move(fn));
    timer->start();
    const int id = m_nextId++;
    m_timers[id] = timer;
    return id;
}

void RealClock::StopTimer(int id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end()) return;
    it->second->stop();
    // The timer may be the one whose callback is running right now.
    it->second->deleteLater();
    m_timers.erase(it);
}

// ---------------------------------------------------------------- FakeClock

FakeClock::FakeClock(std::int64_t startMs) : m_now(startMs) {}

FakeClock::~FakeClock() {
    if (&Clock::Current() == this) Clock::SetCurrent(nullptr);
}

void FakeClock::RunHook() {
    if (m_onAdvance) m_onAdvance(m_now);
}

std::int64_t FakeClock::NextDue() const {
    std::int64_t next = std::numeric_limits<std::int64_t>::max();
    for (const auto& [id, t] : m_fakeTimers) next = std::min(next, t.due);
    return next;
}

void FakeClock::FireDueTimers() {
    std::vector<int> due;
    for (const auto& [id, t] : m_fakeTimers)
        if (t.due <= m_now) due.push_back(id);
    for (int id : due) {
        auto it = m_fakeTimers.find(id);
        if (it == m_fakeTimers.end()) continue; // stopped by an earlier callback
        // Like a window timer: one firing however many periods have passed.
        while (it->second.due <= m_now) it->second.due += it->second.period;
        TimerFn fn = it->second.fn; // the callback may stop its own timer
        fn();
    }
}

void FakeClock::PumpQt() {
    if (CanPump()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool FakeClock::Wait(int ms, const StopFn& stop) {
    ms = std::max(ms, 0);
    m_waits.push_back(ms);
    const std::int64_t end = m_now + ms;
    for (;;) {
        DispatchPending();
        if (stop && stop()) return true;
        if (m_now >= end) return false;
        m_now = std::clamp(NextDue(), m_now + 1, end);
        RunHook();
    }
}

void FakeClock::Sleep(int ms) {
    ms = std::max(ms, 0);
    m_sleeps.push_back(ms);
    m_now += ms;
    RunHook();
}

void FakeClock::DispatchPending() {
    ++m_dispatches;
    FireDueTimers();
    PumpQt();
}

int FakeClock::StartTimer(int periodMs, TimerFn fn) {
    const int period = std::max(periodMs, 1);
    const int id = m_nextId++;
    m_fakeTimers[id] = Timer{period, m_now + period, std::move(fn)};
    return id;
}

void FakeClock::StopTimer(int id) { m_fakeTimers.erase(id); }
