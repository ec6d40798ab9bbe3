#include "comm/CommWaitProgress.h"

#include "platform/Clock.h"

namespace {
thread_local CommWaitProgress* t_current = nullptr;
}

CommWaitProgress* CommWaitProgress::Current() {
    return t_current;
}

void CommWaitProgress::SetCurrent(CommWaitProgress* progress) {
    t_current = progress;
}

CommWait::CommWait(std::string what, int timeoutMs)
    : m_progress(CommWaitProgress::Current()), m_what(std::move(what)), m_timeoutMs(timeoutMs),
      m_start(Clock::Current().TickMs()) {}

CommWait::~CommWait() {
    if (m_begun) m_progress->WaitEnd();
}

bool CommWait::Cancelled() {
    if (!m_progress || m_cancelled) return m_cancelled;
    const std::int64_t elapsed = Clock::Current().TickMs() - m_start;
    if (!m_begun) {
        if (elapsed < CommWaitProgress::kShowAfterMs) return false;
        m_begun = true;
        m_progress->WaitBegin(m_what, m_timeoutMs);
    }
    m_cancelled = m_progress->WaitPoll(elapsed);
    return m_cancelled;
}
