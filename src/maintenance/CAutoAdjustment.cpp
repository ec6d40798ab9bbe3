#include "maintenance/CAutoAdjustment.h"

#include "comm/CPrinterLink.h"
#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "maintenance/BusyIndicator.h"
#include "maintenance/CPrinterWatch.h"
#include "maintenance/MediaDriver.h"
#include "platform/Clock.h"

#include <algorithm>

namespace {

// Shared by every automatic adjustment page, true at program start: the
// first platen gap list after an empty thickness picks its own default.
bool g_firstFill = true;

constexpr int kTextNotReady = 901;
constexpr int kTextEmptyThickness = 80901;
constexpr int kTextNotAlignable = 80900;
constexpr int kTextFinished = 10900;
constexpr int kTextFailed = 10901;
constexpr int kTextCancelled = 10902;

// "SN" level 0: the printer can align now.
constexpr int kAlignableLevel = 2;

const CAutoAdjustment::DirectionConstants kBidirectional{
    true, 0x00, 1080000, {360000, 330000, 330000, 300000}, 10120};
const CAutoAdjustment::DirectionConstants kUnidirectional{
    false, 0x10, 840000, {270000, 250000, 250000, 240000}, 10110};

bool AllOf(const CAutoAdjustment::Patterns& patterns) {
    return std::all_of(patterns.begin(), patterns.end(), [](bool p) { return p; });
}

CAutoAdjustment::Outcome FromWatch(CPrinterWatch::Result result) {
    switch (result) {
    case CPrinterWatch::Result::Finished: return CAutoAdjustment::Outcome::Finished;
    case CPrinterWatch::Result::Cancelled: return CAutoAdjustment::Outcome::Cancelled;
    case CPrinterWatch::Result::TimedOut: return CAutoAdjustment::Outcome::TimedOut;
    case CPrinterWatch::Result::Failed: break;
    }
    return CAutoAdjustment::Outcome::Failed;
}

} // namespace

CAutoAdjustment::Message CAutoAdjustment::MessageFor(Outcome outcome) {
    switch (outcome) {
    case Outcome::NotAllowed: return {-1, MessageIcon::Warning};
    case Outcome::NotReady:
    case Outcome::PlatenNotObtained: return {kTextNotReady, MessageIcon::Warning};
    case Outcome::EmptyThickness: return {kTextEmptyThickness, MessageIcon::Warning};
    case Outcome::NotAlignable: return {kTextNotAlignable, MessageIcon::Warning};
    case Outcome::Finished: return {kTextFinished, MessageIcon::Information};
    case Outcome::Cancelled:
    case Outcome::TimedOut: return {kTextCancelled, MessageIcon::Warning};
    case Outcome::Failed: break;
    }
    return {kTextFailed, MessageIcon::Error};
}

const std::array<CAutoAdjustment::Message, CAutoAdjustment::kReviewMessageCount>&
CAutoAdjustment::ReviewMessages() {
    static const std::array<Message, kReviewMessageCount> messages{
        {{kTextFinished, MessageIcon::Information},
         {kTextCancelled, MessageIcon::Warning},
         {kTextFailed, MessageIcon::Error}}};
    return messages;
}

const CAutoAdjustment::DirectionConstants& CAutoAdjustment::Constants(Direction direction) {
    return direction == Direction::Bidirectional ? kBidirectional : kUnidirectional;
}

int CAutoAdjustment::AlignmentTimeoutMs(Direction direction, const Patterns& patterns) {
    const DirectionConstants& c = Constants(direction);
    if (AllOf(patterns)) return c.allPatternsMs;
    int sum = 0;
    for (int i = 0; i < kPatternCount; ++i)
        if (patterns[static_cast<std::size_t>(i)]) sum += c.patternMs[i];
    return sum;
}

int CAutoAdjustment::BuildAlignmentJob(std::uint8_t* out, std::size_t room, Direction direction,
                                       const Patterns& patterns, int thickness, int platenValue,
                                       int* timeoutMs) {
    const DirectionConstants& c = Constants(direction);
    const int fullSet = c.fullSet ? 1 : 0;
    std::size_t n = 0;
    const auto put = [&](int written) { n += static_cast<std::size_t>(written); };
    put(BuildEnterRemote(out + n, room - n));
    put(BuildCmdPH(out + n, room - n, static_cast<std::uint8_t>(thickness)));
    put(BuildCmdSN(out + n, room - n, static_cast<std::uint8_t>(platenValue)));
    if (AllOf(patterns)) {
        put(BuildCmdDTClear(out + n, room - n, fullSet));
    } else {
        for (int head = 1; head <= kPatternCount; ++head)
            if (patterns[static_cast<std::size_t>(head - 1)])
                put(BuildCmdDT(out + n, room - n, fullSet, head, 1));
    }
    put(BuildExitRemote(out + n, room - n));
    put(BuildJobEnd(out + n, room - n));
    if (timeoutMs) *timeoutMs = AlignmentTimeoutMs(direction, patterns);
    return static_cast<int>(n);
}

int CAutoAdjustment::BuildSensorNozzleCheckJob(std::uint8_t* out, std::size_t room) {
    std::size_t n = 0;
    n += static_cast<std::size_t>(BuildEnterRemote(out + n, room - n));
    n += static_cast<std::size_t>(BuildCmdNC(out + n, room - n, 1));
    n += static_cast<std::size_t>(BuildExitRemote(out + n, room - n));
    n += static_cast<std::size_t>(BuildJobEnd(out + n, room - n));
    return static_cast<int>(n);
}

CAutoAdjustment::CAutoAdjustment(const CMediaTable& table)
    : m_table(table), m_choice(CAlignmentMediaChoice::kAutoAdjustTexts, true, g_firstFill) {}

bool CAutoAdjustment::Activate(const std::string& printer, MediaDriver& driver,
                               BusyIndicator& busy) {
    if (printer == m_filledFor) {
        Refresh(driver);
        return false;
    }
    m_filledFor = printer;
    busy.Begin(kActivationCaption, kActivationTimeoutMs, false);
    busy.Poll();
    const int kind = driver.DriverKind();
    const MediaTypeList::DriverMedia media = driver.Media();
    busy.Poll();
    m_choice.FillMedia(m_table, media, kind);
    SelectMedia(0, driver);
    busy.End();
    return true;
}

void CAutoAdjustment::Refresh(MediaDriver& driver) {
    m_choice.Remark(m_table, driver.DriverKind());
    m_choice.MediaSelectionChanged([&driver](std::uint32_t id) { return driver.ApplyMedia(id); });
}

bool CAutoAdjustment::SelectMedia(int index, MediaDriver& driver) {
    return m_choice.SelectMedia(index,
                                [&driver](std::uint32_t id) { return driver.ApplyMedia(id); });
}

int CAutoAdjustment::MediaIndexOfId(std::uint32_t mediaId) const {
    const auto& items = m_choice.MediaItems();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].MediaId() == mediaId) return static_cast<int>(i);
    return -1;
}

std::string CAutoAdjustment::TypeThickness(const std::string& typed) {
    if (m_choice.ThicknessReadOnly()) return m_choice.ThicknessText();
    return m_choice.SetThicknessText(typed);
}

int CAutoAdjustment::PatternSlot(Direction direction) const {
    return direction == Direction::Bidirectional ? 0 : 1;
}

void CAutoAdjustment::SetPattern(Direction direction, int pattern, bool checked) {
    if (pattern < 1 || pattern > kPatternCount) return;
    m_patterns[PatternSlot(direction)][static_cast<std::size_t>(pattern - 1)] = checked;
}

bool CAutoAdjustment::Pattern(Direction direction, int pattern) const {
    if (pattern < 1 || pattern > kPatternCount) return false;
    return m_patterns[PatternSlot(direction)][static_cast<std::size_t>(pattern - 1)];
}

const CAutoAdjustment::Patterns& CAutoAdjustment::PatternsOf(Direction direction) const {
    return m_patterns[PatternSlot(direction)];
}

bool CAutoAdjustment::StartEnabled(Direction direction) const {
    const Patterns& patterns = PatternsOf(direction);
    const bool any = std::any_of(patterns.begin(), patterns.end(), [](bool p) { return p; });
    return any && !m_choice.ThicknessText().empty() && m_choice.MediaConditionHolds(m_table);
}

CAutoAdjustment::Outcome CAutoAdjustment::StartAlignment(Direction direction, CPrinterLink& link,
                                                         const std::string& printer,
                                                         MediaDriver& driver,
                                                         ReadyWaitProgress* readyProgress,
                                                         bool waitForReady, BusyIndicator& busy) {
    const Patterns& patterns = PatternsOf(direction);
    // The page's Start is disabled then; plotcare-cli meets the same rule.
    if (!std::any_of(patterns.begin(), patterns.end(), [](bool p) { return p; }) ||
        !m_choice.MediaConditionHolds(m_table))
        return Outcome::NotAllowed;

    if (waitForReady && link.WaitUntilReady(printer, readyProgress) != 1)
        return Outcome::NotReady;
    const int thickness = m_choice.Thickness();
    if (thickness < 0) return Outcome::EmptyThickness;
    if (QuerySN01Level(link, printer) != kAlignableLevel) return Outcome::NotAlignable;
    const int platen = m_choice.PlatenValue(link, printer, m_table, driver.DriverKind());
    if (platen < 0) return Outcome::PlatenNotObtained;
    m_lastPlatenValue = platen;

    std::uint8_t job[kJobRoom];
    int timeoutMs = 0;
    const int length =
        BuildAlignmentJob(job, sizeof job, direction, patterns, thickness, platen, &timeoutMs);
    return SendAndWatch(link, printer, job, length, Constants(direction).captionText, timeoutMs,
                        busy);
}

CAutoAdjustment::Outcome CAutoAdjustment::StartNozzleCheck(CPrinterLink& link,
                                                           const std::string& printer,
                                                           ReadyWaitProgress* readyProgress,
                                                           bool waitForReady,
                                                           BusyIndicator& busy) {
    if (waitForReady && link.WaitUntilReady(printer, readyProgress) != 1)
        return Outcome::NotReady;
    std::uint8_t job[kJobRoom];
    const int length = BuildSensorNozzleCheckJob(job, sizeof job);
    return SendAndWatch(link, printer, job, length, kNozzleCheckCaption, kNozzleCheckTimeoutMs,
                        busy);
}

CAutoAdjustment::Outcome CAutoAdjustment::SendAndWatch(CPrinterLink& link,
                                                       const std::string& printer,
                                                       const std::uint8_t* job, int length,
                                                       int captionText, int timeoutMs,
                                                       BusyIndicator& busy) {
    m_lastTimeoutMs = timeoutMs;
    busy.Begin(captionText, timeoutMs, true);
    Outcome outcome = Outcome::Failed;
    if (SendRawJob(printer, job, static_cast<std::size_t>(length)) == 0) {
        CPrinterWatch watch(link, busy);
        outcome = FromWatch(watch.Run(printer, Clock::Current().TickMs()));
    }
    busy.End();
    return outcome;
}
