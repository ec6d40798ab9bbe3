#include "custompaper/CPaperSettingsChoice.h"

#include "base/NumberText.h"
#include "comm/CPrinterLink.h"
#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "custompaper/CMediaTable.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Thicker paper leaves fewer platen gaps: the first item always, the second
// and third below this thickness, the fourth below the next.
constexpr int kThreeGapsBelow = 7;
constexpr int kFourGapsBelow = 3;
// The item the reset flag picks: the third, when offered.
constexpr int kResetPlatenIndex = 2;

} // namespace

CPaperSettingsChoice::CPaperSettingsChoice(int platenFirstText, bool& platenReset)
    : m_platenFirstText(platenFirstText), m_platenReset(platenReset) {
    for (int i = 0; i < 4; ++i)
        m_platen.push_back(m_platenFirstText + i);
}

void CPaperSettingsChoice::FillMedia(const CMediaTable& table,
                                     const MediaTypeList::DriverMedia& driverMedia,
                                     int driverKind) {
    m_media = MediaTypeList::Build(table, driverMedia, driverKind);
    m_mediaIndex = m_media.empty() ? -1 : 0;
}

void CPaperSettingsChoice::Remark(const CMediaTable& table, int driverKind) {
    for (MediaTypeList::Entry& entry : m_media)
        if (ItemMark::ValueOf(entry.data) != kPlaceholderData)
            entry.data = MediaTypeList::Remark(table, entry.data, driverKind);
}

void CPaperSettingsChoice::SelectMediaIndex(int index) {
    m_mediaIndex = index >= 0 && index < static_cast<int>(m_media.size()) ? index : -1;
}

int CPaperSettingsChoice::SelectedMediaId() const {
    if (m_mediaIndex < 0) return 0;
    return static_cast<int>(
        ItemMark::ValueOf(m_media[static_cast<std::size_t>(m_mediaIndex)].data));
}

int CPaperSettingsChoice::FindMedia(int id) const {
    for (std::size_t i = 0; i < m_media.size(); ++i)
        if (static_cast<int>(ItemMark::ValueOf(m_media[i].data)) == id) return static_cast<int>(i);
    return -1;
}

void CPaperSettingsChoice::AddPlaceholder(const std::string& text) {
    m_media.push_back({text, kPlaceholderData});
    m_mediaIndex = static_cast<int>(m_media.size()) - 1;
}

void CPaperSettingsChoice::RemovePlaceholder() {
    const int at = FindMedia(static_cast<int>(kPlaceholderData));
    if (at < 0) return;
    m_media.erase(m_media.begin() + at);
    if (m_mediaIndex == at)
        m_mediaIndex = -1;
    else if (m_mediaIndex > at)
        --m_mediaIndex;
}

std::string CPaperSettingsChoice::SetThicknessText(const std::string& typed,
                                                   std::int32_t& paperthick, std::int32_t& platen,
                                                   bool loading) {
    std::string text = typed;
    NormalizeNumberText(text, kThicknessMin, kThicknessMax, true);
    m_thickness = text;
    if (text.empty()) {
        m_platenEnabled = false;
        m_platenReset = true;
        return text;
    }
    m_platenEnabled = true;
    const int t = std::atoi(text.c_str());
    m_platen.assign(1, m_platenFirstText);
    if (t < kThreeGapsBelow) {
        m_platen.push_back(m_platenFirstText + 1);
        m_platen.push_back(m_platenFirstText + 2);
    }
    if (t < kFourGapsBelow) m_platen.push_back(m_platenFirstText + 3);

    if (!m_platenReset || loading)
        m_platenIndex = PlatenIndexFor(platen);
    else
        m_platenIndex =
            static_cast<int>(m_platen.size()) > kResetPlatenIndex ? kResetPlatenIndex : 0;
    m_platenReset = false;

    paperthick = t;
    platen = m_platenIndex + 1;
    return text;
}

int CPaperSettingsChoice::ThicknessValue() const {
    return std::atoi(m_thickness.c_str());
}

bool CPaperSettingsChoice::SelectPlaten(int index, std::int32_t& platen) {
    if (index < 0 || index >= static_cast<int>(m_platen.size())) return false;
    m_platenIndex = index;
    platen = index + 1;
    return true;
}

int CPaperSettingsChoice::PlatenIndexFor(int value) const {
    const int last = static_cast<int>(m_platen.size()) - 1;
    return std::clamp(value - 1, 0, std::max(last, 0));
}

bool CPaperSettingsChoice::DetailEnabled(const CMediaTable& table, int driverKind) const {
    const int id = SelectedMediaId();
    if (id == 0) return false;
    return driverKind != 2 || !table.IsKind2Excluded(id);
}

int CPaperSettingsChoice::BuildThicknessPatternJob(std::uint8_t* out, std::size_t room) {
    if (!out || room < static_cast<std::size_t>(kPatternJobLength)) return 0;
    std::size_t used = 0;
    for (auto* build : {&BuildEnterRemote, &BuildCmdSS, &BuildExitRemote, &BuildJobEnd}) {
        const int n = build(out + used, room - used);
        if (n <= 0) return 0;
        used += static_cast<std::size_t>(n);
    }
    return static_cast<int>(used);
}

CPaperSettingsChoice::PatternOutcome
CPaperSettingsChoice::PrintThicknessPattern(CPrinterLink& link, const std::string& printer,
                                            ReadyWaitProgress* progress) {
    if (link.WaitUntilReady(printer, progress) != 1) return PatternOutcome::NotReady;
    std::uint8_t job[kPatternJobLength];
    const int length = BuildThicknessPatternJob(job, sizeof job);
    const bool sent = SendRawJob(printer, job, static_cast<std::size_t>(length)) == 0;
    Clock::Current().Wait(kPauseAfterPatternMs);
    return sent ? PatternOutcome::Sent : PatternOutcome::NotSent;
}
