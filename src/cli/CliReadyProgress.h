#pragma once

#include "cli/CliInterrupt.h"
#include "comm/ReadyWaitProgress.h"

#include <iosfwd>
#include <string>

class Clock;

namespace cli {

// The readiness wait of plotcare-cli: a progress line on standard error that
// names the printer, the seconds gone and the time-out (rewritten in place
// on a terminal, one line per second otherwise); Ctrl-C during the wait ends
// the wait instead of the program.
class CliReadyProgress final : public ReadyWaitProgress {
public:
    // How often the line is brought up to date and Ctrl-C is looked at.
    static constexpr int kTickMs = 200;

    CliReadyProgress(std::ostream& err, bool terminal);
    ~CliReadyProgress() override;
    CliReadyProgress(const CliReadyProgress&) = delete;
    CliReadyProgress& operator=(const CliReadyProgress&) = delete;

    void ReadyWaitBegin(const std::string& printer, int timeoutMs) override;
    bool ReadyWaitPoll(std::int64_t elapsedMs) override;
    void ReadyWaitEnd(bool ready) override;

    // Whether Ctrl-C ended the wait.
    bool Cancelled() const { return m_cancelled; }

private:
    void Show(std::int64_t elapsedMs);
    void Stop();

    std::ostream& m_err;
    bool m_terminal;
    std::string m_printer;
    int m_timeoutMs = 0;
    std::int64_t m_shownSeconds = -1;
    Clock* m_clock = nullptr;
    int m_timer = 0;
    bool m_cancelled = false;
    CliInterrupt m_interrupt;
};

} // namespace cli
