#include "custompaper/CCustomPaperReg.h"

#include "comm/CPrinterLink.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CMediaTable.h"
#include "maintenance/MediaDriver.h"
#include "platform/Clock.h"

#include <cstdio>

CCustomPaperReg::Message CCustomPaperReg::MessageFor(ShowOutcome outcome) {
    if (outcome == ShowOutcome::Shown) return {0, Icon::Information, false};
    return {kTextUnreadable, Icon::Warning, false};
}

CCustomPaperReg::Message CCustomPaperReg::MessageFor(PickOutcome outcome) {
    if (outcome == PickOutcome::SettingsUnreadable) return {kTextUnreadable, Icon::Warning, false};
    return {0, Icon::Information, false};
}

CCustomPaperReg::Message CCustomPaperReg::MessageFor(PatternOutcome outcome) {
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

CCustomPaperReg::CCustomPaperReg(CCustomPaperTable& table, const CMediaTable& media,
                                 bool& platenReset, std::string unknownMediaText)
    : m_table(table), m_media(media), m_choice(kPlatenFirstText, platenReset),
      m_unknownMediaText(std::move(unknownMediaText)) {}

CustomPaperSlot* CCustomPaperReg::Record() {
    return m_record >= 0 ? &m_table.SlotAt(m_record) : nullptr;
}

CCustomPaperReg::ShowOutcome CCustomPaperReg::Show(const Target& target,
                                                   ReadyWaitProgress* progress, MediaDriver& driver,
                                                   const ScreenValues& screen) {
    const bool rebuilt = m_choice.BuiltFor() != target.printer;
    const int kind = driver.DriverKind();
    if (rebuilt) {
        m_choice.SetBuiltFor(target.printer);
        m_choice.FillMedia(m_media, driver.Media(), kind);
    } else {
        m_choice.Remark(m_media, kind);
    }

    if (target.link.WaitUntilReady(target.printer, progress) != 1 && !target.review)
        return ShowOutcome::NotReady;
    // A reply without its marker leaves names unread; the selector would show
    // old ones, so it counts as a failed read.
    const int names = m_table.QueryNames(target.link, target.printer);
    if ((names < 0 || !m_table.LastQueryComplete()) && !target.review)
        return ShowOutcome::NamesUnreadable;

    const int current = m_table.CurrentIndex();
    m_shownPick = PickSlot(target, current, driver, screen);
    if (!m_table.IsRegistered(m_table.CurrentIndex()) && Record()) {
        if (rebuilt) {
            PickMedia(m_choice.MediaIndex(), driver);
            TypeThickness(m_choice.ThicknessText());
        }
        Record()->Roller = 0;
    }
    return ShowOutcome::Shown;
}

std::vector<std::string> CCustomPaperReg::SlotItems() const {
    std::vector<std::string> items;
    for (int i = 0; i < kSlotCount; ++i) {
        std::string label = m_table.SlotLabel(i);
        while (!label.empty() && label.back() == ' ')
            label.pop_back();
        items.push_back("#" + std::to_string(i + 1) + " " + label);
    }
    return items;
}

CCustomPaperReg::PickOutcome CCustomPaperReg::PickSlot(const Target& target, int index,
                                                       MediaDriver& driver,
                                                       const ScreenValues& screen) {
    if (index < 0 || index >= kSlotCount) index = m_table.CurrentIndex();
    const CustomPaperSlot before = Record() ? *Record() : m_table.SlotAt(index);
    m_table.SetCurrentIndex(index);
    const bool registered = m_table.IsRegistered(index);
    bool unreadable = false;
    if (registered) {
        const int read = m_table.QuerySettings(target.link, target.printer, index);
        unreadable = read < 0 || !m_table.LastQueryComplete();
        // The page goes on editing the slot it edited: Save writes the
        // table's current slot, which must be the one on screen. Before the
        // first slot there is none; the slot is then shown as the table
        // holds it.
        if (unreadable && m_record >= 0) {
            m_table.SetCurrentIndex(m_record);
            return PickOutcome::SettingsUnreadable;
        }
    }

    m_record = index;
    CustomPaperSlot& record = *Record();
    record.MediaId = m_media.IdFromMediaCode(record.MediaCode);
    m_choice.RemovePlaceholder();

    if (!registered) {
        TakeOverScreen(before, screen);
        EvaluateDetail(driver);
        return PickOutcome::TookOverScreen;
    }
    LoadFromRecord();
    EvaluateDetail(driver);
    return unreadable ? PickOutcome::SettingsUnreadable : PickOutcome::Registered;
}

void CCustomPaperReg::PreviewSlot(int index, MediaDriver& driver) {
    if (index < 0 || index >= kSlotCount) return;
    const CustomPaperSlot before = Record() ? *Record() : m_table.SlotAt(index);
    m_table.SetCurrentIndex(index);
    m_record = index;
    CustomPaperSlot& record = *Record();
    record.MediaId = m_media.IdFromMediaCode(record.MediaCode);
    m_choice.RemovePlaceholder();
    if (m_table.IsRegistered(index))
        LoadFromRecord();
    else
        TakeOverScreen(before, {});
    EvaluateDetail(driver);
}

void CCustomPaperReg::TakeOverScreen(const CustomPaperSlot& before, const ScreenValues& screen) {
    CustomPaperSlot& record = *Record();
    if (m_choice.MediaIndex() < 0) m_choice.SelectMediaIndex(0);
    const auto fromMedia = [&] {
        record.MediaId = m_choice.SelectedMediaId();
        record.MediaCode = m_media.MediaCodeOf(record.MediaId, -1);
    };
    fromMedia();
    record.ThreeWay = before.ThreeWay;
    record.Forward = before.Forward;
    record.Drytime = before.Drytime;
    record.Paperthick = before.Paperthick;
    record.Paperdraw = before.Paperdraw;
    record.PaperCut = before.PaperCut;
    record.Platen = before.Platen;
    record.Roller = before.Roller;

    fromMedia();
    record.Paperthick = m_choice.ThicknessValue();
    if (m_choice.PlatenIndex() >= 0) record.Platen = m_choice.PlatenIndex() + 1;
    if (screen.drytime) record.Drytime = *screen.drytime;
    if (screen.forward) record.Forward = *screen.forward;
    if (screen.paperCut) record.PaperCut = *screen.paperCut;
    if (screen.roller) record.Roller = *screen.roller;
    if (screen.threeWay) record.ThreeWay = *screen.threeWay;
    if (screen.paperdraw) record.Paperdraw = *screen.paperdraw;
}

void CCustomPaperReg::LoadFromRecord() {
    CustomPaperSlot& record = *Record();
    const int at = record.MediaId != 0 ? m_choice.FindMedia(record.MediaId) : -1;
    if (at >= 0)
        m_choice.SelectMediaIndex(at);
    else
        m_choice.AddPlaceholder(m_unknownMediaText);

    m_loading = true;
    TypeThickness(std::to_string(record.Paperthick));
    m_loading = false;
    if (record.Platen > 0) PickPlaten(m_choice.PlatenIndexFor(record.Platen));
}

void CCustomPaperReg::PickMedia(int index, MediaDriver& driver) {
    m_choice.SelectMediaIndex(index);
    const int id = m_choice.SelectedMediaId();
    if (CustomPaperSlot* record = Record()) {
        record->MediaId = id;
        record->MediaCode = m_media.MediaCodeOf(id, -1);
    }
    if (id != 0) {
        m_choice.RemovePlaceholder();
        ApplyMedia(driver);
    }
    EvaluateDetail(driver);
}

void CCustomPaperReg::ApplyMedia(MediaDriver& driver) {
    const int thickness = driver.ApplyMedia(static_cast<std::uint32_t>(m_choice.SelectedMediaId()));
    if (thickness != -1) TypeThickness(std::to_string(thickness));
}

std::string CCustomPaperReg::TypeThickness(const std::string& typed) {
    CustomPaperSlot scratch;
    CustomPaperSlot& record = Record() ? *Record() : scratch;
    return m_choice.SetThicknessText(typed, record.Paperthick, record.Platen, m_loading);
}

void CCustomPaperReg::PickPlaten(int index) {
    CustomPaperSlot scratch;
    CustomPaperSlot& record = Record() ? *Record() : scratch;
    m_choice.SelectPlaten(index, record.Platen);
}

void CCustomPaperReg::DriverSettingsChanged(MediaDriver& driver) {
    m_choice.Remark(m_media, driver.DriverKind());
    EvaluateDetail(driver);
}

void CCustomPaperReg::EvaluateDetail(MediaDriver& driver) {
    m_detail =
        m_choice.SelectedMediaId() != 0 && m_choice.DetailEnabled(m_media, driver.DriverKind());
}

bool CCustomPaperReg::Registered(const Target& target, int written, const std::string& name) {
    const auto trimmed = [](std::string text) {
        if (text.size() > static_cast<std::size_t>(CustomPaperSlot::kNameLength))
            text.resize(static_cast<std::size_t>(CustomPaperSlot::kNameLength));
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        return text;
    };
    const std::string wanted = trimmed(name);
    bool answered = false;
    for (int i = 0; i < kNameReadTries; ++i) {
        if (i > 0) Clock::Current().Wait(kNameReadPauseMs);
        const int result = m_table.QueryName(target.link, target.printer, written);
        if (result < 0) break;
        answered = answered || result > 0;
        if (result > 0 && m_table.IsRegistered(written) &&
            trimmed(m_table.SlotAt(written).Name) == wanted)
            break;
    }
    return answered;
}
