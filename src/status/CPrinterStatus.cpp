#include "status/CPrinterStatus.h"

#include "comm/CPrinterLink.h"
#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "maintenance/BusyIndicator.h"
#include "platform/Clock.h"

#include <cctype>
#include <cstring>
#include <utility>

namespace {

int Put(std::uint8_t* out, std::size_t room, std::initializer_list<std::uint8_t> bytes) {
    if (!out || room < bytes.size()) return 0;
    std::copy(bytes.begin(), bytes.end(), out);
    return static_cast<int>(bytes.size());
}

// Ends the blocking part however the action leaves it.
class BlockingScope {
public:
    explicit BlockingScope(const CPrinterStatus::BlockingFn& fn) : m_fn(fn) {
        if (m_fn) m_fn(true);
    }
    ~BlockingScope() {
        if (m_fn) m_fn(false);
    }
    BlockingScope(const BlockingScope&) = delete;
    BlockingScope& operator=(const BlockingScope&) = delete;

private:
    const CPrinterStatus::BlockingFn& m_fn;
};

} // namespace

int CPrinterStatus::BuildSheetJob(std::uint8_t* out, std::size_t room, Sheet sheet) {
    if (!out || room < static_cast<std::size_t>(kSheetJobLength)) return 0;
    int n = BuildEnterRemote(out, room);
    n += Put(out + n, room - static_cast<std::size_t>(n),
             {'S', 'S', 0x02, 0x00, 0x00, static_cast<std::uint8_t>(sheet)});
    n += BuildExitRemote(out + n, room - static_cast<std::size_t>(n));
    n += BuildJobEnd(out + n, room - static_cast<std::size_t>(n));
    return n;
}

int CPrinterStatus::BuildJobQuery(std::uint8_t* out, std::size_t room, std::uint8_t k) {
    return Put(out, room, {'J', 'I', 0x02, 0x00, 0x01, k});
}

CPrinterStatus::Message CPrinterStatus::MessageFor(Outcome outcome) {
    switch (outcome) {
    case Outcome::NotReady:
        return {kTextNotReady, true};
    case Outcome::NoChannel:
    case Outcome::QueryFailed:
        return {kTextNotRead, true};
    case Outcome::Sent:
        return {kTextPrinting, false};
    case Outcome::Read:
    case Outcome::TimedOut:
    case Outcome::Cancelled:
    case Outcome::NotSent:
        break;
    }
    return {-1, false};
}

bool CPrinterStatus::ShowsReport(Outcome outcome, bool review) {
    if (outcome == Outcome::Read || outcome == Outcome::TimedOut) return true;
    return review && (outcome == Outcome::NoChannel || outcome == Outcome::QueryFailed);
}

CPrinterStatus::CPrinterStatus(CPrinterLink& link, std::string printer, bool checks)
    : m_link(link), m_printer(std::move(printer)), m_checks(checks) {}

bool CPrinterStatus::Ready(ReadyWaitProgress* progress) {
    return m_link.WaitUntilReady(m_printer, progress) == 1;
}


CPrinterStatus::Outcome CPrinterStatus::DisplayJob(ReadyWaitProgress* progress,
                                                   BusyIndicator& busy) {
    m_jobs.clear();
    if (m_checks && !Ready(progress)) return Outcome::NotReady;

    busy.Begin(kBusyCaption, kBusyTimeoutMs, true);
    int result = -1;
    bool opened = false;
    const int handle = m_link.OpenChannel(m_printer);
    if (handle > 0) {
        opened = true;
        for (int k = 0; k < kJobQueries; ++k) {
            std::uint8_t query[8];
            const int length = BuildJobQuery(query, sizeof query, static_cast<std::uint8_t>(k));
            std::uint8_t reply[CPrinterLink::kReplySize] = {};
            result = m_link.Exchange(handle, query, length, reply, CPrinterLink::kReplySize,
                                     CPrinterLink::kReplyTimeoutMs);
            if (result < 0) break;
            // Cancel and the time-out take effect between queries.
            result = busy.Poll();
            if (result != BusyIndicator::kRunning) break;
            // Replies without a record are skipped.
            JobInfoRecord record;
            if (JobInfoFromReply(reply, CPrinterLink::kReplySize, record))
                m_jobs.push_back(std::move(record));
        }
        m_link.CloseChannel(handle);
    }
    busy.End();

    if (result == BusyIndicator::kCancelled) {
        m_jobs.clear();
        return Outcome::Cancelled;
    }
    if (result == BusyIndicator::kTimedOut) return Outcome::TimedOut;
    if (result >= 0) return Outcome::Read;
    // A failed query throws away what the earlier ones brought.
    m_jobs.clear();
    return opened ? Outcome::QueryFailed : Outcome::NoChannel;
}

std::string CPrinterStatus::Report(const JobReport::TextLookup& text) const {
    std::string report;
    for (const JobInfoRecord& job : m_jobs)
        report += JobReport::Format(job, text) + "\r\n";
    return report;
}

CPrinterStatus::Outcome CPrinterStatus::PrintSheet(Sheet sheet, ReadyWaitProgress* progress,
                                                   const BlockingFn& blocking) {
    m_lastJobLength = 0;
    if (m_checks && !Ready(progress)) return Outcome::NotReady;

    BlockingScope scope(blocking);
    std::uint8_t job[kJobRoom];
    m_lastJobLength = BuildSheetJob(job, sizeof job, sheet);
    const bool sent = SendRawJob(m_printer, job, static_cast<std::size_t>(m_lastJobLength)) == 0;
    Clock::Current().Wait(kPauseAfterSheetMs);
    return sent ? Outcome::Sent : Outcome::NotSent;
}
