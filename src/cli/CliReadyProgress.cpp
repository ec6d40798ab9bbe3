#include "cli/CliReadyProgress.h"

#include "cli/CliMessage.h"
#include "cli/CliText.h"
#include "platform/Clock.h"

#include <ostream>

namespace cli {

CliReadyProgress::CliReadyProgress(std::ostream& err, bool terminal) : m_err(err), m_terminal(terminal) {}

CliReadyProgress::~CliReadyProgress() { Stop(); }

void CliReadyProgress::ReadyWaitBegin(const std::string& printer, int timeoutMs) {
    m_printer = printer;
    m_timeoutMs = timeoutMs;
    m_shownSeconds = -1;
    m_cancelled = false;
    // Ctrl-C belongs to the wait while it lasts.
    m_interrupt.Catch();
    // The ticks wake the wait, so the line moves on and Ctrl-C is seen
    // within a fraction of a second.
    m_clock = &Clock::Current();
    m_timer = m_clock->StartTimer(kTickMs, [] {});
    Show(0);
}

bool CliReadyProgress::ReadyWaitPoll(std::int64_t elapsedMs) {
    if (m_interrupt.Interrupted()) {
        m_cancelled = true;
        return true;
    }
    Show(elapsedMs);
    return false;
}

void CliReadyProgress::ReadyWaitEnd(bool) {
    if (m_terminal && m_shownSeconds >= 0) m_err << "\n";
    m_err.flush();
    Stop();
}

void CliReadyProgress::Show(std::int64_t elapsedMs) {
    const std::int64_t seconds = elapsedMs / 1000;
    if (seconds == m_shownSeconds) return;
    m_shownSeconds = seconds;
    m_err << (m_terminal ? "\r" : "") << "plotcare-cli: "
          << Message(110420, {Escaped(m_printer), std::to_string(seconds),
                              std::to_string((m_timeoutMs + 999) / 1000)})
          << (m_terminal ? "" : "\n");
    m_err.flush();
}

void CliReadyProgress::Stop() {
    if (m_timer) {
        m_clock->StopTimer(m_timer);
        m_timer = 0;
    }
    m_interrupt.Release();
}

} // namespace cli
