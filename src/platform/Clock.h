#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QTimer;

// The one clock and event pump of the program. Every wait goes through the
// current clock: the millisecond tick, waits that keep the windows alive,
// plain sleeps, dispatching of pending messages and the timers that fire
// while messages are dispatched. Tests install a FakeClock, on which time
// passes instantly, so that minute-long waits run in microseconds.
class Clock {
public:
    using TimerFn = std::function<void()>;
    using StopFn = std::function<bool()>;

    virtual ~Clock();

    // Milliseconds of a monotonic counter.
    virtual std::int64_t TickMs() = 0;

    // Waits `ms` while keeping the user interface alive: pending messages and
    // timers are dispatched as they come, and between them the thread blocks.
    // When `stop` is given it is checked after each batch of messages; the
    // wait ends early (returning true) once it holds.
    virtual bool Wait(int ms, const StopFn& stop = {}) = 0;

    // Blocks `ms` without dispatching anything.
    virtual void Sleep(int ms) = 0;

    // Dispatches every pending message (and every timer that is due) without
    // waiting for new ones.
    virtual void DispatchPending() = 0;

    // A periodic timer: `fn` runs every `periodMs` from inside Wait or
    // DispatchPending, like a window timer. Returns an id > 0.
    virtual int StartTimer(int periodMs, TimerFn fn) = 0;
    virtual void StopTimer(int id) = 0;

    // The clock every part of the program uses. The real clock unless a test
    // installed another one; SetCurrent(nullptr) restores the real clock.
    static Clock& Current();
    static void SetCurrent(Clock* clock);
};

// The system clock: steady_clock ticks, Qt's event dispatcher for the waits.
class RealClock final : public Clock {
public:
    RealClock();
    ~RealClock() override;

    std::int64_t TickMs() override;
    bool Wait(int ms, const StopFn& stop = {}) override;
    void Sleep(int ms) override;
    void DispatchPending() override;
    int StartTimer(int periodMs, TimerFn fn) override;
    void StopTimer(int id) override;

private:
    std::map<int, QTimer*> m_timers;
    int m_nextId = 1;
};

// Test clock: time stands still until something waits or the test advances
// it. Waits return at once with the time moved on; timers fire at their
// times while a wait passes them (or at the next dispatch once due). Qt's
// pending events are still dispatched, so widgets react to test input.
class FakeClock final : public Clock {
public:
    explicit FakeClock(std::int64_t startMs = 1000000);
    ~FakeClock() override;

    std::int64_t TickMs() override { return m_now; }
    bool Wait(int ms, const StopFn& stop = {}) override;
    void Sleep(int ms) override;
    void DispatchPending() override;
    int StartTimer(int periodMs, TimerFn fn) override;
    void StopTimer(int id) override;

    // Moves time on without dispatching (due timers fire at the next
    // dispatch or wait).
    void Advance(std::int64_t ms) { m_now += ms; RunHook(); }

    // Called whenever time has moved (with the new time): lets a test change
    // the world at a given moment.
    void SetOnAdvance(std::function<void(std::int64_t)> hook) { m_onAdvance = std::move(hook); }

    // Every Wait and Sleep asked for, in order (milliseconds).
    const std::vector<int>& Waits() const { return m_waits; }
    const std::vector<int>& Sleeps() const { return m_sleeps; }
    int DispatchCount() const { return m_dispatches; }
    int ActiveTimers() const { return static_cast<int>(m_fakeTimers.size()); }

    // Installs itself as the current clock for its lifetime.
    class Scope;

private:
    struct Timer {
        int period;
        std::int64_t due;
        TimerFn fn;
    };
    void FireDueTimers();
    void PumpQt();
    void RunHook();
    std::int64_t NextDue() const;

    std::int64_t m_now;
    std::map<int, Timer> m_fakeTimers;
    int m_nextId = 1;
    std::vector<int> m_waits;
    std::vector<int> m_sleeps;
    int m_dispatches = 0;
    std::function<void(std::int64_t)> m_onAdvance;
};

class FakeClock::Scope {
public:
    explicit Scope(FakeClock& clock) { Clock::SetCurrent(&clock); }
    ~Scope() { Clock::SetCurrent(nullptr); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};
