#include "custompaper/CCustomFileEdit.h"

#include "custompaper/CCustomFile.h"
#include "custompaper/CMediaTable.h"
#include "maintenance/MediaDriver.h"

#include <filesystem>
#include <system_error>

namespace {

// Whether two paths name the same file (the same text when either is missing).
bool SameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    std::error_code error;
    const bool same = std::filesystem::equivalent(a, b, error);
    return error ? a == b : same;
}

} // namespace

CCustomFileEdit::Message CCustomFileEdit::MessageFor(OpenOutcome outcome) {
    switch (outcome) {
    case OpenOutcome::Opened:
        break;
    case OpenOutcome::OtherModel:
        return {kTextOtherModel, Icon::Warning, false};
    case OpenOutcome::CountUnreadable:
    case OpenOutcome::NamesUnreadable:
        return {kTextUnreadable, Icon::Warning, false};
    }
    return {0, Icon::Information, false};
}

CCustomFileEdit::Message CCustomFileEdit::MessageFor(PickOutcome outcome) {
    if (outcome == PickOutcome::Unreadable) return {kTextUnreadable, Icon::Warning, false};
    return {0, Icon::Information, false};
}

CCustomFileEdit::Message CCustomFileEdit::MessageFor(PatternOutcome outcome) {
    switch (outcome) {
    case PatternOutcome::Sent:
        return {kTextPatternSent, Icon::Information, false};
    case PatternOutcome::NotReady:
        return {kTextNotReady, Icon::Warning, false};
    case PatternOutcome::NotSent:
        break;
    }
    return {0, Icon::Information, false};
}

CCustomFileEdit::CCustomFileEdit(const CMediaTable& media, bool& platenReset,
                                 std::string newSettingText)
    : m_media(media), m_choice(kPlatenFirstText, platenReset),
      m_newSettingText(std::move(newSettingText)) {
    m_names.push_back({m_newSettingText, 0});
}

void CCustomFileEdit::Show(const std::string& printer, MediaDriver& driver) {
    const int kind = driver.DriverKind();
    if (m_choice.BuiltFor() == printer) {
        m_choice.Remark(m_media, kind);
        EvaluateDetail(driver);
        return;
    }
    m_choice.SetBuiltFor(printer);
    m_choice.FillMedia(m_media, driver.Media(), kind);
    PickMedia(m_choice.MediaIndex(), driver);
    // The fields show the new setting also when the driver names no
    // thickness for the media.
    LoadFromRecord(driver);
    m_record.Roller = 0;
}

std::string CCustomFileEdit::FileName() const {
    return std::filesystem::path(m_path).filename().string();
}

CCustomFileEdit::OpenOutcome
CCustomFileEdit::Open(const std::string& path, const std::string& driverName, MediaDriver& driver) {
    CCustomFile file(driverName);
    if (file.Attach(path) != 0) return OpenOutcome::OtherModel;
    m_path = path;
    return ListNames(driverName, driver);
}

CCustomFileEdit::OpenOutcome CCustomFileEdit::ListNames(const std::string& driverName,
                                                        MediaDriver& driver) {
    m_names.assign(1, NameItem{m_newSettingText, 0});
    m_nameIndex = kNewSettingItem;
    // Every read opens the file afresh: it may have changed since Browse.
    CCustomFile file(driverName);
    if (file.Attach(m_path) != 0) return OpenOutcome::CountUnreadable;
    const int count = file.MediaCount();
    if (count < 0) return OpenOutcome::CountUnreadable;
    if (count == 0) return OpenOutcome::Opened;
    std::vector<std::string> names;
    if (file.ReadNames(names, count) != 0) return OpenOutcome::NamesUnreadable;

    // An entry suits the driver when it reads whole, its media is known and
    // it was written for the driver's ink arrangement.
    const std::string ink = driver.InkPatternText();
    for (int k = 1; k <= count; ++k) {
        CustomFileRecord entry;
        const bool usable = file.ReadEntry(k, entry) == 0 &&
                            m_media.IdFromFileIds(entry.ID, entry.SID) != 0 && entry.InkMode == ink;
        const auto value = static_cast<std::uint32_t>(k);
        m_names.push_back({names[static_cast<std::size_t>(k - 1)],
                           usable ? value : value | ItemMark::kUnavailable});
    }
    return OpenOutcome::Opened;
}

CCustomFileEdit::PickOutcome CCustomFileEdit::PickName(int k, const std::string& driverName,
                                                       MediaDriver& driver) {
    m_record = CustomFileRecord{};
    if (k <= kNewSettingItem || k >= static_cast<int>(m_names.size())) {
        NewSetting(driver);
        return PickOutcome::NewSetting;
    }
    CCustomFile file(driverName);
    const bool read =
        file.Attach(m_path) == 0 && file.MediaCount() >= 0 && file.ReadEntry(k, m_record) == 0;
    if (!read) {
        // The page shows a new setting rather than values of no entry.
        m_record = CustomFileRecord{};
        NewSetting(driver);
        return PickOutcome::Unreadable;
    }
    m_record.MediaId = m_media.IdFromFileIds(m_record.ID, m_record.SID);
    m_nameIndex = k;
    LoadFromRecord(driver);
    return PickOutcome::Loaded;
}

void CCustomFileEdit::NewSetting(MediaDriver& driver) {
    m_nameIndex = kNewSettingItem;
    m_choice.SelectMediaIndex(0);
    PickMedia(m_choice.MediaIndex(), driver);
    LoadFromRecord(driver);
}

void CCustomFileEdit::LoadFromRecord(MediaDriver& driver) {
    const int at = m_choice.FindMedia(m_record.MediaId);
    if (at >= 0) m_choice.SelectMediaIndex(at);
    EvaluateDetail(driver);
    m_loading = true;
    TypeThickness(std::to_string(m_record.Paperthick));
    m_loading = false;
    if (m_record.Platen > 0) PickPlaten(m_choice.PlatenIndexFor(m_record.Platen));
}

void CCustomFileEdit::PickMedia(int index, MediaDriver& driver) {
    m_choice.SelectMediaIndex(index);
    const int id = m_choice.SelectedMediaId();
    m_record.MediaId = id;
    if (id != 0) {
        const int thickness = driver.ApplyMedia(static_cast<std::uint32_t>(id));
        if (thickness != -1) TypeThickness(std::to_string(thickness));
    }
    EvaluateDetail(driver);
}

std::string CCustomFileEdit::TypeThickness(const std::string& typed) {
    return m_choice.SetThicknessText(typed, m_record.Paperthick, m_record.Platen, m_loading);
}

void CCustomFileEdit::PickPlaten(int index) {
    m_choice.SelectPlaten(index, m_record.Platen);
}

void CCustomFileEdit::DriverSettingsChanged(MediaDriver& driver) {
    m_choice.Remark(m_media, driver.DriverKind());
    EvaluateDetail(driver);
}

void CCustomFileEdit::EvaluateDetail(MediaDriver& driver) {
    m_detail =
        m_choice.SelectedMediaId() != 0 && m_choice.DetailEnabled(m_media, driver.DriverKind());
}

void CCustomFileEdit::CompleteForSave(MediaDriver& driver) {
    const int id = m_record.MediaId;
    m_record.ID = m_media.FileId(id);
    m_record.Hres = m_media.ModeHres(id, m_record.Mode);
    m_record.Vres = m_media.ModeVres(id, m_record.Mode);
    m_record.Mw = m_media.ModeMw(id, m_record.Mode);
    m_record.SID = m_media.FileSubId(id);
    m_record.InkMode = driver.InkPatternText();
}

void CCustomFileEdit::Saved(const std::string& writtenPath, const std::string& driverName,
                            MediaDriver& driver) {
    if (SameFile(writtenPath, m_path) && ListNames(driverName, driver) != OpenOutcome::Opened)
        return;
    PickName(kNewSettingItem, driverName, driver);
}
