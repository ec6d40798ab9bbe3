#include "cli/CliWaitProgress.h"

#include "cli/CliMessage.h"

#include <ostream>
#include <string>
#include <utility>

namespace cli {

namespace {

// The link names what it waits for in English; said in the chosen language.
std::string WhatWaitedFor(const std::string& what) {
    static const std::pair<const char*, int> kKnown[] = {{"the printer's reply", 110442},
                                                         {"the printer to take the job", 110443}};
    for (const auto& [english, text] : kKnown)
        if (what == english) return Message(text);
    return what;
}

} // namespace

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
    const std::string limit = std::to_string((m_timeoutMs + 999) / 1000);
    m_err << (m_terminal ? "\r" : "") << "plotcare-cli: "
          << Message(m_timeoutMs > 0 ? 110441 : 110440,
                     {WhatWaitedFor(m_what), std::to_string(seconds), limit})
          << (m_terminal ? "" : "\n");
    m_err.flush();
}

} // namespace cli
