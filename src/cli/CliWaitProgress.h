#pragma once

#include "cli/CliInterrupt.h"
#include "comm/CommWaitProgress.h"

#include <iosfwd>
#include <string>

namespace cli {

// The long waits of the printer link and the raw-job path in plotcare-cli
// (a reply slow to come, a job the printer is slow to take): a progress line
// on standard error with what is waited for and the seconds gone (rewritten
// in place on a terminal, one line per second otherwise); Ctrl-C ends the
// wait instead of the program. Installed for the whole of a command.
class CliWaitProgress final : public CommWaitProgress {
public:
    CliWaitProgress(std::ostream& err, bool terminal);
    ~CliWaitProgress() override;
    CliWaitProgress(const CliWaitProgress&) = delete;
    CliWaitProgress& operator=(const CliWaitProgress&) = delete;

    void WaitBegin(const std::string& what, int timeoutMs) override;
    bool WaitPoll(std::int64_t elapsedMs) override;
    void WaitEnd() override;

    // Whether Ctrl-C ended a wait.
    bool Cancelled() const { return m_cancelled; }

private:
    void Show(std::int64_t elapsedMs);

    std::ostream& m_err;
    bool m_terminal;
    std::string m_what;
    int m_timeoutMs = 0;
    std::int64_t m_shownSeconds = -1;
    bool m_cancelled = false;
    CliInterrupt m_interrupt;
};

} // namespace cli
