#include "cli/CliBusyProgress.h"

#include "app/CPlotcareApp.h"
#include "cli/CliMessage.h"
#include "platform/Clock.h"

#include <ostream>

namespace cli {

CliBusyProgress::CliBusyProgress(std::ostream& err, bool terminal) : m_err(err), m_terminal(terminal) {}

CliBusyProgress::~CliBusyProgress() { Stop(); }

bool CliBusyProgress::Begin(int captionText, int timeoutMs, bool cancellable) {
    Stop();
    const CPlotcareApp* app = CPlotcareApp::Current();
    m_caption = app ? app->GetText(captionText).toStdString() : std::string();
    if (m_caption.empty()) m_caption = Message(110400);
    m_timeoutMs = timeoutMs;
    m_cancellable = cancellable;
    m_state = kRunning;
    m_shownSeconds = -1;
    if (cancellable) m_interrupt.Catch();
    m_clock = &Clock::Current();
    m_startMs = m_clock->TickMs();
    // The ticks wake the caller's waits, so the line moves on and Ctrl-C and
    // the time-out are seen within a fraction of a second.
    m_timer = m_clock->StartTimer(kTickMs, [this] { Tick(); });
    Show(true);
    return true;
}

int CliBusyProgress::Poll() {
    if (m_clock) m_clock->DispatchPending();
    Tick();
    return m_state;
}

void CliBusyProgress::Tick() {
    if (!m_clock || m_state != kRunning) return;
    if (m_cancellable && m_interrupt.Interrupted()) {
        m_state = kCancelled;
    } else if (m_timeoutMs > 0 && m_clock->TickMs() - m_startMs >= m_timeoutMs) {
        m_state = kTimedOut;
    }
    Show(false);
}

void CliBusyProgress::Show(bool force) {
    const std::int64_t seconds = m_clock ? (m_clock->TickMs() - m_startMs) / 1000 : 0;
    if (!force && (seconds == m_shownSeconds || (!m_terminal && seconds % kPlainLineEverySeconds != 0))) return;
    m_shownSeconds = seconds;
    m_err << (m_terminal ? "\r" : "") << "plotcare-cli: "
          << Message(m_cancellable ? 110402 : 110401, {m_caption, std::to_string(seconds),
                                                       std::to_string((m_timeoutMs + 999) / 1000)})
          << (m_terminal ? "" : "\n");
    m_err.flush();
}

void CliBusyProgress::End() {
    if (m_clock && m_terminal) m_err << "\n";
    m_err.flush();
    Stop();
}

void CliBusyProgress::Stop() {
    if (m_timer) {
        m_clock->StopTimer(m_timer);
        m_timer = 0;
    }
    m_interrupt.Release();
    m_clock = nullptr;
}

}  // namespace cli
