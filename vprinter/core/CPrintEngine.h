#pragma once

// The print engine's work: actions run one after another, each for its
// duration, behind the work in hand. What an action leaves behind (a sheet,
// measured values) is handed back when it ends, so it appears then and not
// when the job arrived. The engine only keeps time; the caller decides
// whether an ended action is done or failed.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace vprinter {

struct EngineAction {
    std::string name;             // "head cleaning", for the log and the control port
    int job = 0;                  // job record number, 0 when it prints nothing
    int pages = 0;                // pages it prints, counted in the job's record when it ends well
    std::function<void()> done;   // what it leaves behind
    std::function<void()> failed; // when it is stopped before its end
};

class CPrintEngine {
public:
    // More is refused, as a printer's input buffer fills up.
    static constexpr std::size_t kMaxActions = 10000;

    // Queues an action of `ms` behind the work in hand; false when full.
    bool Add(std::int64_t now, std::int64_t ms, EngineAction action);

    // The actions whose time is up by `now`, in order, taken off the queue.
    // Nothing ends while the engine is held.
    std::vector<EngineAction> TakeEnded(std::int64_t now);
    // Everything in hand, taken off the queue.
    std::vector<EngineAction> TakeAll();

    // A held engine stands still: on release every action in hand is moved
    // on by the time it stood.
    void Hold(std::int64_t now);
    void Release(std::int64_t now);
    bool Held() const { return m_heldSince >= 0; }

    bool Empty() const { return m_actions.empty(); }
    std::size_t Size() const { return m_actions.size(); }
    bool BusyAt(std::int64_t now) const;
    // Milliseconds until all work in hand is over (0 when idle).
    std::int64_t RemainingMs(std::int64_t now) const;
    // Milliseconds until the next action ends; -1 when none will (idle or held).
    std::int64_t NextEndMs(std::int64_t now) const;
    // The action running, or null.
    const EngineAction* Current() const;
    bool HasJob(int job) const;
    // True when an action of this job has started by `now`.
    bool JobStarted(int job, std::int64_t now) const;

private:
    struct Entry {
        std::int64_t start = 0;
        std::int64_t end = 0;
        EngineAction action;
    };
    std::deque<Entry> m_actions;
    std::int64_t m_heldSince = -1;
};

} // namespace vprinter
