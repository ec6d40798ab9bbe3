#include "maintenance/CNozzleCleaning.h"

#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "platform/Clock.h"

#include <utility>

namespace {

// Chains builders into one buffer: each gets the room that is left.
class JobWriter {
public:
    JobWriter(std::uint8_t* out, std::size_t room) : m_out(out), m_room(room) {}

    template <typename Builder, typename... Args> JobWriter& Add(Builder build, Args... args) {
        m_used += static_cast<std::size_t>(build(m_out + m_used, m_room - m_used, args...));
        return *this;
    }
    int Length() const { return static_cast<int>(m_used); }

private:
    std::uint8_t* m_out;
    std::size_t m_room;
    std::size_t m_used = 0;
};

// Ends the blocking part however the action leaves it.
class BlockingScope {
public:
    explicit BlockingScope(const CNozzleCleaning::BlockingFn& fn) : m_fn(fn) {
        if (m_fn) m_fn(true);
    }
    ~BlockingScope() {
        if (m_fn) m_fn(false);
    }
    BlockingScope(const BlockingScope&) = delete;
    BlockingScope& operator=(const BlockingScope&) = delete;

private:
    const CNozzleCleaning::BlockingFn& m_fn;
};

} // namespace

int CNozzleCleaning::BuildNozzleCheckJob(std::uint8_t* out, std::size_t room) {
    if (!out) return 0;
    return JobWriter(out, room)
        .Add(BuildEnterRemote)
        .Add(BuildCmdNC, 0)
        .Add(BuildCmdVI)
        .Add(BuildExitRemote)
        .Add(BuildJobEnd)
        .Length();
}

int CNozzleCleaning::BuildHeadCleaningJob(std::uint8_t* out, std::size_t room) {
    if (!out) return 0;
    return JobWriter(out, room)
        .Add(BuildEnterRemote)
        .Add(BuildCmdCH, kCleaningValue)
        .Add(BuildExitRemote)
        .Length();
}

CNozzleCleaning::Outcome CNozzleCleaning::CheckStatus(const CStatusReply& status) {
    if (status.IsInkLow()) return Outcome::InkLow;
    if (status.HasField0DBelow13()) return Outcome::Field0DLow;
    return Outcome::Sent;
}

CNozzleCleaning::Message CNozzleCleaning::MessageFor(Action action, Outcome outcome) {
    switch (outcome) {
    case Outcome::Sent:
        return action == Action::NozzleCheck ? Message{kTextNozzleCheckPrinting, false}
                                             : Message{kTextCleaningStarted, false};
    case Outcome::NotReady:
    case Outcome::NoStatus:
        return {kTextNotReady, true};
    case Outcome::InkLow:
        return {kTextInkLow, true};
    case Outcome::Field0DLow:
        return {kTextField0DLow, true};
    case Outcome::NotSent:
        // A job the spooler refused must not look like nothing happened.
        return action == Action::NozzleCheck ? Message{kTextNotCompleted, true}
                                             : Message{kTextCleaningNotStarted, true};
    }
    return {kTextNotCompleted, true};
}

CNozzleCleaning::CNozzleCleaning(CPrinterLink& link, std::string printer, bool checks)
    : m_link(link), m_printer(std::move(printer)), m_checks(checks) {}

bool CNozzleCleaning::Ready(ReadyWaitProgress* progress) {
    return m_link.WaitUntilReady(m_printer, progress) == 1;
}

CNozzleCleaning::Outcome CNozzleCleaning::NozzleCheck(ReadyWaitProgress* progress,
                                                      const BlockingFn& blocking) {
    m_lastJobLength = 0;
    if (m_checks && !Ready(progress)) return Outcome::NotReady;

    BlockingScope scope(blocking);
    std::uint8_t job[kJobRoom];
    m_lastJobLength = BuildNozzleCheckJob(job, sizeof job);
    const bool sent = SendRawJob(m_printer, job, static_cast<std::size_t>(m_lastJobLength)) == 0;
    Clock::Current().Wait(kPauseAfterNozzleCheckMs);
    return sent ? Outcome::Sent : Outcome::NotSent;
}

CNozzleCleaning::Outcome CNozzleCleaning::HeadCleaning(ReadyWaitProgress* progress) {
    m_lastJobLength = 0;
    if (m_checks) {
        if (!Ready(progress)) return Outcome::NotReady;
        const int handle = m_link.OpenChannel(m_printer);
        if (handle < 1) return Outcome::NoStatus;
        CStatusReply status;
        const int read = m_link.QueryStatus(handle, status);
        m_link.CloseChannel(handle);
        // A read that gave nothing leaves the record empty, which passes.
        if (read < 0) return Outcome::NoStatus;
        const Outcome refusal = CheckStatus(status);
        if (refusal != Outcome::Sent) return refusal;
    }

    std::uint8_t job[kJobRoom];
    m_lastJobLength = BuildHeadCleaningJob(job, sizeof job);
    return SendRawJob(m_printer, job, static_cast<std::size_t>(m_lastJobLength)) == 0
               ? Outcome::Sent
               : Outcome::NotSent;
}
