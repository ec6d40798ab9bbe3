#pragma once

#include "cli/CliInterrupt.h"
#include "maintenance/BusyIndicator.h"

#include <cstdint>
#include <iosfwd>
#include <string>

class Clock;

namespace cli {

// The busy indicator of plotcare-cli's long actions: a progress line on
// standard error with what it waits for, the seconds gone and the time-out
// (rewritten in place on a terminal, one line per ten seconds otherwise).
// Ctrl-C cancels a cancellable wait (the job already sent stays sent); the
// time-out ends it as the busy dialog's does.
class CliBusyProgress final : public BusyIndicator {
public:
    // How often the line moves on and Ctrl-C and the time-out are looked at.
    static constexpr int kTickMs = 200;
    // Without a terminal a line is written this often.
    static constexpr int kPlainLineEverySeconds = 10;

    CliBusyProgress(std::ostream& err, bool terminal);
    ~CliBusyProgress() override;
    CliBusyProgress(const CliBusyProgress&) = delete;
    CliBusyProgress& operator=(const CliBusyProgress&) = delete;

    bool Begin(int captionText, int timeoutMs, bool cancellable) override;
    int Poll() override;
    int State() const override { return m_state; }
    void End() override;

private:
    void Tick();
    void Show(bool force);
    void Stop();

    std::ostream& m_err;
    bool m_terminal;
    std::string m_caption;
    int m_timeoutMs = 0;
    bool m_cancellable = false;
    int m_state = kRunning;
    std::int64_t m_startMs = 0;
    std::int64_t m_shownSeconds = -1;
    Clock* m_clock = nullptr;
    int m_timer = 0;
    CliInterrupt m_interrupt;
};

}  // namespace cli
