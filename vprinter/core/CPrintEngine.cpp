#include "CPrintEngine.h"

#include <algorithm>

namespace vprinter {

bool CPrintEngine::Add(std::int64_t now, std::int64_t ms, EngineAction action) {
    if (m_actions.size() >= kMaxActions) return false;
    const std::int64_t start = m_actions.empty() ? now : std::max(now, m_actions.back().end);
    m_actions.push_back(Entry{start, start + std::max<std::int64_t>(0, ms), std::move(action)});
    return true;
}

std::vector<EngineAction> CPrintEngine::TakeEnded(std::int64_t now) {
    std::vector<EngineAction> ended;
    if (Held()) return ended;
    while (!m_actions.empty() && m_actions.front().end <= now) {
        ended.push_back(std::move(m_actions.front().action));
        m_actions.pop_front();
    }
    return ended;
}

std::vector<EngineAction> CPrintEngine::TakeAll() {
    std::vector<EngineAction> all;
    for (Entry& e : m_actions)
        all.push_back(std::move(e.action));
    m_actions.clear();
    return all;
}

void CPrintEngine::Hold(std::int64_t now) {
    if (!Held()) m_heldSince = now;
}

void CPrintEngine::Release(std::int64_t now) {
    if (!Held()) return;
    const std::int64_t stood = std::max<std::int64_t>(0, now - m_heldSince);
    m_heldSince = -1;
    for (Entry& e : m_actions) {
        e.start += stood;
        e.end += stood;
    }
}

bool CPrintEngine::BusyAt(std::int64_t now) const {
    if (m_actions.empty()) return false;
    return Held() || m_actions.back().end > now;
}

std::int64_t CPrintEngine::RemainingMs(std::int64_t now) const {
    if (m_actions.empty()) return 0;
    const std::int64_t at = Held() ? m_heldSince : now;
    return std::max<std::int64_t>(0, m_actions.back().end - at);
}

std::int64_t CPrintEngine::NextEndMs(std::int64_t now) const {
    if (m_actions.empty() || Held()) return -1;
    return std::max<std::int64_t>(0, m_actions.front().end - now);
}

const EngineAction* CPrintEngine::Current() const {
    // Actions run back to back from the moment they were queued, so the
    // first one in hand is the one running.
    return m_actions.empty() ? nullptr : &m_actions.front().action;
}

bool CPrintEngine::HasJob(int job) const {
    return job != 0 && std::any_of(m_actions.begin(), m_actions.end(),
                                   [job](const Entry& e) { return e.action.job == job; });
}

bool CPrintEngine::JobStarted(int job, std::int64_t now) const {
    const std::int64_t at = Held() ? m_heldSince : now;
    return std::any_of(m_actions.begin(), m_actions.end(),
                       [&](const Entry& e) { return e.action.job == job && e.start <= at; });
}

} // namespace vprinter
