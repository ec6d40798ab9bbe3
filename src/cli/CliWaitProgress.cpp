#include "cli/CliWaitProgress.h"

#include <ostream>

namespace cli {

CliWaitProgress::CliWaitProgress(std::ostream& err, bool terminal)
    : m_err(err), m_terminal(terminal) {}

CliWaitProgress::~CliWaitProgress() {
    m_interrupt.Release();
}

void CliWaitProgress::WaitBegin(const std::string& what, int timeoutMs) {
    m_what = what;
    m_timeoutMs = timeoutMs;
    m_shownSeconds = -1;
    // Ctrl-C belongs to the wait while it lasts.
    m_interrupt.Catch();
    Show(0);
}

bool CliWaitProgress::WaitPoll(std::int64_t elapsedMs) {
    if (m_interrupt.Interrupted()) {
        m_cancelled = true;
        return true;
    }
    Show(elapsedMs);
    return false;
}

void CliWaitProgress::WaitEnd() {
    if (m_terminal && m_shownSeconds >= 0) m_err << "\n";
    m_err.flush();
    m_interrupt.Release();
}

void CliWaitProgress::Show(std::int64_t elapsedMs) {
    const std::int64_t seconds = elapsedMs / 1000;
    if (seconds == m_shownSeconds) return;
    m_shownSeconds = seconds;
    m_err << (m_terminal ? "\r" : "") << "plotcare-cli: waiting for " << m_what << ": " << seconds
          << " s";
    if (m_timeoutMs > 0) m_err << " of " << (m_timeoutMs + 999) / 1000 << " s";
    m_err << " (Ctrl-C stops)" << (m_terminal ? "" : "\n");
    m_err.flush();
}

} // namespace cli
