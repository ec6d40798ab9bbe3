#include "maintenance/CAlignmentMediaChoice.h"

#include "base/NumberText.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CMediaTable.h"

#include <algorithm>
#include <charconv>

namespace {

// Platen gap item value -> the value sent; the index is the item value.
constexpr int kPlatenValueSent[] = {0, 4, 3, 2, 1};

}  // namespace

CAlignmentMediaChoice::CAlignmentMediaChoice(Texts texts, bool applyAutoAdjustExclusion, bool& firstFill)
    : m_texts(texts), m_applyAutoAdjust(applyAutoAdjustExclusion), m_firstFill(firstFill) {}

int CAlignmentMediaChoice::PlatenValueSent(int itemValue) {
    if (itemValue < 0 || itemValue > 4) return -1;
    return kPlatenValueSent[itemValue];
}

std::uint32_t CAlignmentMediaChoice::Mark(const CMediaTable& table, std::uint32_t id) const {
    std::uint32_t data = MediaTypeList::Remark(table, id, m_kind2 ? 2 : 0);
    if (m_applyAutoAdjust && table.IsAutoAdjustExcluded(static_cast<int>(id))) data |= MediaTypeList::kUnavailable;
    return data;
}

void CAlignmentMediaChoice::FillMedia(const CMediaTable& table, const MediaTypeList::DriverMedia& driverMedia,
                                      int driverKind) {
    m_kind2 = driverKind == 2;
    m_media.clear();
    m_media.push_back({m_texts.noMedia, {}, 0});
    for (const auto& [id, name] : driverMedia) {
        if (table.FileId(id) == -1) continue;
        m_media.push_back({-1, name, Mark(table, id)});
    }
    m_mediaIndex = 0;
}

void CAlignmentMediaChoice::Remark(const CMediaTable& table, int driverKind) {
    m_kind2 = driverKind == 2;
    for (MediaItem& item : m_media) {
        const std::uint32_t id = item.MediaId();
        if (id == 0 || table.FileId(static_cast<int>(id)) == -1) continue;
        item.data = Mark(table, id);
    }
}

std::uint32_t CAlignmentMediaChoice::SelectedMediaId() const {
    if (m_mediaIndex < 0 || m_mediaIndex >= static_cast<int>(m_media.size())) return 0;
    return m_media[static_cast<std::size_t>(m_mediaIndex)].MediaId();
}

bool CAlignmentMediaChoice::SelectMedia(int index, const ApplyMedia& apply) {
    if (index < 0 || index >= static_cast<int>(m_media.size())) return false;
    if (m_media[static_cast<std::size_t>(index)].Unavailable()) return false;
    m_mediaIndex = index;
    MediaSelectionChanged(apply);
    return true;
}

void CAlignmentMediaChoice::MediaSelectionChanged(const ApplyMedia& apply) {
    const std::uint32_t id = SelectedMediaId();
    if (id != 0) {
        const int thickness = apply ? apply(id) : -1;
        if (thickness != -1) m_thickness = std::to_string(thickness);
        m_thicknessReadOnly = true;
        SetThicknessText(m_thickness);
        const int automatic = PlatenIndexOfValue(0);
        if (automatic >= 0) m_platenIndex = automatic;
    } else {
        m_thicknessReadOnly = false;
        SetThicknessText(std::string());
    }
}

std::string CAlignmentMediaChoice::SetThicknessText(const std::string& typed) {
    m_thickness = typed;
    NormalizeNumberText(m_thickness, kThicknessMin, kThicknessMax, true);
    if (!m_thickness.empty()) {
        RebuildPlaten();
    } else {
        m_platenEnabled = false;
        m_firstFill = true;
    }
    return m_thickness;
}

int CAlignmentMediaChoice::Thickness() const {
    if (m_thickness.empty()) return -1;
    int value = -1;
    std::from_chars(m_thickness.data(), m_thickness.data() + m_thickness.size(), value);
    return value;
}

void CAlignmentMediaChoice::RebuildPlaten() {
    m_platenEnabled = true;
    const int remembered = std::max(m_platenIndex, 0);
    m_platen.clear();
    const int thickness = Thickness();
    const bool mediaChosen = SelectedMediaId() != 0;
    if (mediaChosen) m_platen.push_back({m_texts.platenFirst, 0});
    m_platen.push_back({m_texts.platenFirst + 1, 4});
    if (thickness < 7) {
        m_platen.push_back({m_texts.platenFirst + 2, 3});
        m_platen.push_back({m_texts.platenFirst + 3, 2});
    }
    if (thickness < 3) m_platen.push_back({m_texts.platenFirst + 4, 1});

    if (m_firstFill) {
        if (m_mediaIndex != 0) {
            m_platenIndex = 0;
        } else {
            const int middle = PlatenIndexOfValue(2);
            m_platenIndex = middle >= 0 ? middle : 0;
        }
        m_firstFill = false;
    } else {
        m_platenIndex = std::min(remembered, static_cast<int>(m_platen.size()) - 1);
    }
}

bool CAlignmentMediaChoice::SelectPlaten(int index) {
    if (index < 0 || index >= static_cast<int>(m_platen.size())) return false;
    m_platenIndex = index;
    return true;
}

int CAlignmentMediaChoice::PlatenIndexOfValue(int value) const {
    for (std::size_t i = 0; i < m_platen.size(); ++i)
        if (m_platen[i].value == value) return static_cast<int>(i);
    return -1;
}

bool CAlignmentMediaChoice::MediaConditionHolds(const CMediaTable& table) const {
    if (m_mediaIndex == 0) return true;
    const std::uint32_t id = SelectedMediaId();
    if (id == 0) return false;
    return !(m_kind2 && table.IsKind2Excluded(static_cast<int>(id)));
}

int CAlignmentMediaChoice::PlatenValue(CPrinterLink& link, const std::string& printer, const CMediaTable& table,
                                       int driverKind) const {
    if (m_platenIndex >= 0 && m_platenIndex < static_cast<int>(m_platen.size())) {
        const int value = PlatenValueSent(m_platen[static_cast<std::size_t>(m_platenIndex)].value);
        if (value > 0) return value;
    }
    const std::uint32_t id = SelectedMediaId();
    if (id == 0) return 0;
    const int variant = driverKind != 1 ? 1 : 0;
    const int code = table.MediaCodeOf(static_cast<int>(id), variant);
    const int level = QueryEX1BLevel(link, printer, static_cast<std::uint8_t>(code));
    return PlatenValueSent(level);
}
