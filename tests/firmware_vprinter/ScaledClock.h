#pragma once

// The real clock with every duration multiplied by a scale: the waits, the
// timers and the passing of time the program sees. With the virtual
// printer's own time scale it lets a firmware restart of minutes pass in
// seconds while plotcare and the printer still meet in real time.
#include "platform/Clock.h"

#include <algorithm>

class ScaledClock final : public Clock {
public:
    explicit ScaledClock(double scale) : m_scale(scale), m_origin(m_real.TickMs()) {}

    std::int64_t TickMs() override {
        return m_origin +
               static_cast<std::int64_t>(static_cast<double>(m_real.TickMs() - m_origin) / m_scale);
    }
    bool Wait(int ms, const StopFn& stop = {}) override { return m_real.Wait(Real(ms), stop); }
    void Sleep(int ms) override { m_real.Sleep(Real(ms)); }
    void DispatchPending() override { m_real.DispatchPending(); }
    int StartTimer(int periodMs, TimerFn fn) override {
        return m_real.StartTimer(Real(periodMs), std::move(fn));
    }
    void StopTimer(int id) override { m_real.StopTimer(id); }

    class Scope {
    public:
        explicit Scope(ScaledClock& clock) { Clock::SetCurrent(&clock); }
        ~Scope() { Clock::SetCurrent(nullptr); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };

private:
    int Real(int ms) const { return ms <= 0 ? ms : std::max(1, static_cast<int>(ms * m_scale)); }

    RealClock m_real;
    double m_scale;
    std::int64_t m_origin;
};
