#include "maintenance/CPrinterWatch.h"

#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "maintenance/BusyIndicator.h"
#include "platform/Clock.h"

#include <algorithm>

namespace {

CPrinterWatch::Result FromBusyState(int state) {
    switch (state) {
    case BusyIndicator::kRunning: return CPrinterWatch::Result::Finished;
    case BusyIndicator::kTimedOut: return CPrinterWatch::Result::TimedOut;
    default: return CPrinterWatch::Result::Cancelled;
    }
}

}  // namespace

CPrinterWatch::CPrinterWatch(CPrinterLink& link, BusyIndicator& busy) : m_link(link), m_busy(busy) {}

CPrinterWatch::Result CPrinterWatch::Run(const std::string& printer, std::int64_t startMs) {
    Clock& clock = Clock::Current();
    m_reads = 0;
    int handle = 0;
    int consecutive = 0;
    // No poll yet: the first one is due as soon as the 30 s have passed.
    std::int64_t lastPoll = startMs + kFirstPollMs - kPollSpacingMs;
    CStatusReply status;
    Result result = Result::Failed;

    for (;;) {
        if (handle < 1) {
            handle = m_link.OpenChannel(printer);
            if (handle < 1) return Result::Failed;
        }
        const std::int64_t now = clock.TickMs();
        if (now > startMs + kFirstPollMs && now > lastPoll + kPollSpacingMs) {
            int r = m_link.QueryStatus(handle, status);
            ++m_reads;
            if (r >= 1 && status.IsReady()) {
                bool allReady = true;
                for (int i = 0; i < kConfirmReads && allReady; ++i) {
                    clock.Sleep(kConfirmPauseMs);
                    r = m_link.QueryStatus(handle, status);
                    ++m_reads;
                    allReady = r >= 1 && status.IsReady();
                }
                if (allReady && ++consecutive >= kReadyPollsNeeded) {
                    result = FromBusyState(m_busy.Poll());
                    break;
                }
                if (!allReady) consecutive = 0;
            } else {
                consecutive = 0;
            }
            if (r < 0 || status.IsStatusCodeZero()) {
                result = Result::Failed;
                break;
            }
            lastPoll = now;
        }
        const int state = m_busy.Poll();
        if (state != BusyIndicator::kRunning) {
            result = FromBusyState(state);
            break;
        }
        // Sleep on the event queue until the next poll is due; Cancel or the
        // time-out ends the wait at once.
        const std::int64_t due = std::max(startMs + kFirstPollMs, lastPoll + kPollSpacingMs) + 1;
        const std::int64_t wait = due - clock.TickMs();
        if (wait > 0)
            clock.Wait(static_cast<int>(std::min<std::int64_t>(wait, kFirstPollMs)),
                       [this] { return m_busy.State() != BusyIndicator::kRunning; });
    }
    m_link.CloseChannel(handle);
    return result;
}
