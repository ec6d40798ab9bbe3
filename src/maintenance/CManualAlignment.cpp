#include "maintenance/CManualAlignment.h"

#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "platform/Clock.h"

namespace {

// Chains builders into one buffer: each gets the room that is left.
class JobWriter {
public:
    JobWriter(std::uint8_t* out, std::size_t room) : m_out(out), m_room(room) {}
    template <typename Builder, typename... Args> void Add(Builder build, Args... args) {
        m_used += static_cast<std::size_t>(build(m_out + m_used, m_room - m_used, args...));
    }
    int Length() const { return static_cast<int>(m_used); }

private:
    std::uint8_t* m_out;
    std::size_t m_room;
    std::size_t m_used = 0;
};

CAlignmentMediaChoice::ApplyMedia ApplyWith(MediaDriver& driver) {
    return [&driver](std::uint32_t id) { return driver.ApplyMedia(id); };
}

} // namespace

const CManualAlignment::Kind& CManualAlignment::KindOf(Direction direction) {
    return direction == Direction::Bidirectional ? kBidirectional : kUnidirectional;
}

CManualAlignment::Message CManualAlignment::MessageFor(Action action, Outcome outcome) {
    switch (outcome) {
    case Outcome::Sent:
        return {action == Action::Print ? kTextPrinted : kTextSaved, false};
    case Outcome::NoThickness:
        return {kTextNoThickness, true};
    case Outcome::NotReady:
    case Outcome::PlatenUnknown:
        return {kTextNotReady, true};
    case Outcome::SnRefused:
        return {kTextSnRefused, true};
    case Outcome::NotSent:
        return {kTextNotCompleted, true};
    }
    return {kTextNotCompleted, true};
}

int CManualAlignment::ColumnCode(const Kind& kind, int row, int column) {
    return 16 * row + (kind.fullSet ? 0 : 1) + column;
}

int CManualAlignment::PatternByte(const Kind& kind, int row) {
    return (kind.fullSet ? 0x80 : 0x10) + row + 1;
}

int CManualAlignment::BuildValuesJob(const Kind& kind, Action action, int thickness,
                                     int platenValue, const Rows& rows, const Grid& values,
                                     std::uint8_t* out, std::size_t room) {
    if (!out) return 0;
    JobWriter job(out, room);
    job.Add(BuildEnterRemote);
    job.Add(BuildCmdPH, static_cast<std::uint8_t>(thickness));
    job.Add(BuildCmdSN, static_cast<std::uint8_t>(platenValue));
    for (int r = 0; r < kRows; ++r) {
        if (!rows[static_cast<std::size_t>(r)]) continue;
        job.Add(BuildCmdDA, kind.fullSet, r, values[static_cast<std::size_t>(r)].data(),
                kind.columns, static_cast<int*>(nullptr));
    }
    if (action == Action::Print) {
        for (int r = 0; r < kRows; ++r)
            if (rows[static_cast<std::size_t>(r)]) job.Add(BuildCmdDT, kind.fullSet, r + 1, 0);
        job.Add(BuildExitRemote);
        job.Add(BuildJobEnd);
    } else {
        job.Add(BuildCmdSV);
        job.Add(BuildExitRemote);
    }
    return job.Length();
}

int CManualAlignment::BuildLeaveJob(std::uint8_t* out, std::size_t room) {
    if (!out || room < static_cast<std::size_t>(kLeaveJobLength)) return 0;
    JobWriter job(out, room);
    job.Add(BuildEnterRemote);
    job.Add(BuildCmdLD);
    job.Add(BuildExitRemote);
    return job.Length();
}

bool CManualAlignment::SendLeaveJob(const std::string& printer) {
    std::uint8_t job[64];
    const int length = BuildLeaveJob(job, sizeof job);
    return SendRawJob(printer, job, static_cast<std::size_t>(length)) == 0;
}

int CManualAlignment::ReadInkCount(CPrinterLink& link, const std::string& printer) {
    const int channel = link.OpenChannel(printer);
    if (channel < 1) return kDefaultInkCount;
    CStatusReply status;
    link.QueryStatus(channel, status);
    link.CloseChannel(channel);
    return status.InkSlotCount();
}

bool& CManualAlignment::FirstFillFlag(Direction direction) {
    static bool bidirectional = true;
    static bool unidirectional = true;
    return direction == Direction::Bidirectional ? bidirectional : unidirectional;
}

CManualAlignment::CManualAlignment(const Kind& kind)
    : m_kind(kind), m_media(kind.texts, false, FirstFillFlag(kind.direction)) {
    ResetValues();
}

void CManualAlignment::FillMedia(MediaDriver& driver, const CMediaTable& table) {
    const int kind = driver.DriverKind();
    m_media.FillMedia(table, driver.Media(), kind);
    m_media.SelectMedia(0, ApplyWith(driver));
}

void CManualAlignment::RefreshMedia(MediaDriver& driver, const CMediaTable& table) {
    m_media.Remark(table, driver.DriverKind());
    m_media.MediaSelectionChanged(ApplyWith(driver));
}

bool CManualAlignment::SelectMedia(int index, MediaDriver& driver) {
    return m_media.SelectMedia(index, ApplyWith(driver));
}

int CManualAlignment::MediaIndexOfId(std::uint32_t id) const {
    const auto& items = m_media.MediaItems();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].MediaId() == id) return static_cast<int>(i);
    return -1;
}

void CManualAlignment::SetRowChecked(int row, bool checked) {
    if (row >= 0 && row < kRows) m_rows[static_cast<std::size_t>(row)] = checked;
}

bool CManualAlignment::RowChecked(int row) const {
    return row >= 0 && row < kRows && m_rows[static_cast<std::size_t>(row)];
}

bool CManualAlignment::AnyRowChecked() const {
    for (bool checked : m_rows)
        if (checked) return true;
    return false;
}

bool CManualAlignment::ActionsEnabled(const CMediaTable& table) const {
    return AnyRowChecked() && !m_media.ThicknessText().empty() &&
           m_media.MediaConditionHolds(table);
}

void CManualAlignment::SetValue(int row, int column, int value) {
    if (row < 0 || row >= kRows || column < 0 || column >= m_kind.columns) return;
    m_values[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = value;
}

int CManualAlignment::Value(int row, int column) const {
    if (row < 0 || row >= kRows || column < 0 || column >= m_kind.columns) return 0;
    return m_values[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void CManualAlignment::ResetValues() {
    for (Row& row : m_values)
        row.fill(kDefaultValue);
}

CManualAlignment::Outcome CManualAlignment::Run(Action action, const Target& target,
                                                const BlockingFn& blocking) {
    const int thickness = m_media.Thickness();
    if (thickness < 0) return Outcome::NoThickness;
    if (target.waitForReady && target.link.WaitUntilReady(target.printer, target.progress) != 1)
        return Outcome::NotReady;

    struct Blocking {
        const BlockingFn& fn;
        explicit Blocking(const BlockingFn& f) : fn(f) {
            if (fn) fn(true);
        }
        ~Blocking() {
            if (fn) fn(false);
        }
    } block(blocking);

    if (QuerySN01Level(target.link, target.printer) != 2) return Outcome::SnRefused;
    // The driver kind matters only for the media code of an automatic gap.
    const int driverKind =
        (m_media.SelectedMediaId() != 0 && target.driverKind) ? target.driverKind() : 1;
    const int platen = m_media.PlatenValue(target.link, target.printer, target.table, driverKind);
    if (platen < 0) return Outcome::PlatenUnknown;
    m_lastPlatenValue = platen;

    std::uint8_t job[kJobRoom];
    m_lastJobLength =
        BuildValuesJob(m_kind, action, thickness, platen, m_rows, m_values, job, sizeof job);
    const bool sent =
        SendRawJob(target.printer, job, static_cast<std::size_t>(m_lastJobLength)) == 0;
    Clock::Current().Wait(kPauseAfterJobMs);
    if (!sent) return Outcome::NotSent;
    ResetValues();
    return Outcome::Sent;
}
