#include "custompaper/CCustomPaperCall.h"

#include "comm/CPrinterLink.h"
#include "custompaper/CCustomPaperTable.h"

#include <cstdio>

namespace {

using RowValue = CCustomPaperCall::RowValue;

RowValue Number(int value, int unit) {
    return {RowValue::Kind::Number, value, unit};
}

// The choice text of `value` from `texts` (one per value from `first` on);
// empty outside them.
template <std::size_t N> RowValue Choice(long long value, int first, const int (&texts)[N]) {
    const long long at = value - first;
    if (at < 0 || at >= static_cast<long long>(N)) return {};
    return {RowValue::Kind::Choice, 0, texts[at]};
}

constexpr int kPlatenTexts[] = {40121, 40122, 40123, 40124};         // 1..4
constexpr int kSuctionTexts[] = {40130, 40131, 40132, 40133, 40134}; // 0..-4
constexpr int kRollerTexts[] = {40140, 40141, 40142, 40143};         // 0..3
// The cut methods in the order of their values: standard, thin paper,
// thick paper slow, thick paper fast.
constexpr int kCutTexts[] = {40150, 40153, 40151, 40152};
constexpr int kThreeWayTexts[] = {40160, 40161, 40162, 40163, 40164}; // 0..4

constexpr int kThicknessUnit = 40011;
constexpr int kFeedUnit = 40012;
constexpr int kDryingUnit = 40013;

} // namespace

CCustomPaperCall::Message CCustomPaperCall::MessageFor(ShowOutcome outcome) {
    if (outcome == ShowOutcome::Shown) return {0, Icon::Information, false};
    return {kTextUnreadable, Icon::Warning, false};
}

CCustomPaperCall::Message CCustomPaperCall::MessageFor(PickOutcome outcome) {
    if (outcome == PickOutcome::SettingsUnreadable) return {kTextUnreadable, Icon::Warning, false};
    return {0, Icon::Information, false};
}

CCustomPaperCall::Message CCustomPaperCall::MessageFor(CallOutcome outcome) {
    switch (outcome) {
    case CallOutcome::SlotCalled:
        return {kTextSlotCalled, Icon::Information, false};
    case CallOutcome::StandardCalled:
        return {kTextStandardCalled, Icon::Information, false};
    case CallOutcome::NotReady:
        return {kTextNotReady, Icon::Warning, false};
    case CallOutcome::NotSent:
        return {kTextNotSent, Icon::Warning, false};
    case CallOutcome::Declined:
    case CallOutcome::NoSelection:
        break;
    }
    return {0, Icon::Information, false};
}

CCustomPaperCall::RowValue CCustomPaperCall::RowValueOf(int row, const CustomPaperSlot& slot) {
    switch (row) {
    case 0:
        return Number(slot.Paperthick, kThicknessUnit);
    case 1:
        return Choice(slot.Platen, 1, kPlatenTexts);
    // Suction levels are stored as 0, -1 .. -4.
    case 2:
        return Choice(-static_cast<long long>(slot.Paperdraw), 0, kSuctionTexts);
    case 3:
        return Choice(slot.Roller, 0, kRollerTexts);
    case 4:
        return Number(slot.Forward, kFeedUnit);
    case 5:
        return Number(slot.Drytime, kDryingUnit);
    case 6:
        return Choice(slot.PaperCut, 0, kCutTexts);
    case 7:
        return Choice(slot.ThreeWay, 0, kThreeWayTexts);
    default:
        return {};
    }
}

std::string CCustomPaperCall::RowText(const RowValue& value,
                                      const std::function<std::string(int)>& text) {
    switch (value.kind) {
    case RowValue::Kind::Empty:
        return {};
    case RowValue::Kind::Choice:
        return text(value.text);
    case RowValue::Kind::Number:
        return std::to_string(value.number) + " " + text(value.text);
    }
    return {};
}

CCustomPaperCall::ShowOutcome CCustomPaperCall::Show(const Target& target,
                                                     ReadyWaitProgress* progress) {
    if (target.link.WaitUntilReady(target.printer, progress) != 1) return ShowOutcome::NotReady;
    // A reply without its marker leaves names unread: those on screen would
    // be old ones, so it counts as a failed read.
    if (m_table.QueryNames(target.link, target.printer) < 0 || !m_table.LastQueryComplete())
        return ShowOutcome::NamesUnreadable;
    return ShowOutcome::Shown;
}

int CCustomPaperCall::CurrentItem() const {
    const int index = m_table.CurrentIndex();
    return index >= 0 && index < kSlotCount ? index + 1 : kStandardItem + 1;
}

CCustomPaperCall::PickOutcome CCustomPaperCall::Pick(const Target& target, int item) {
    m_item = item >= 0 && item < kItemCount ? item : -1;
    if (m_item <= kStandardItem) {
        // The standard setting (or nothing): no slot's values.
        m_callEnabled = m_item == kStandardItem;
        m_rowsSlot = -1;
        return PickOutcome::Standard;
    }
    const int index = m_item - 1;
    m_table.SetCurrentIndex(index);
    m_callEnabled = m_table.IsRegistered(index);
    if (!m_callEnabled) {
        m_rowsSlot = -1;
        return PickOutcome::NotRegistered;
    }
    if (m_table.QuerySettings(target.link, target.printer, index) < 0 ||
        !m_table.LastQueryComplete()) {
        // The rows keep what they show only when it is this slot's: another
        // slot's values must not stand under this slot's name.
        if (m_rowsSlot != index) m_rowsSlot = -1;
        return PickOutcome::SettingsUnreadable;
    }
    m_rowsSlot = index;
    return PickOutcome::SettingsRead;
}

void CCustomPaperCall::Preview(int item) {
    m_item = item >= 0 && item < kItemCount ? item : -1;
    m_callEnabled = m_item == kStandardItem;
    m_rowsSlot = -1;
    if (m_item <= kStandardItem) return;
    m_table.SetCurrentIndex(m_item - 1);
    m_callEnabled = m_table.IsRegistered(m_item - 1);
    if (m_callEnabled) m_rowsSlot = m_item - 1;
}

CCustomPaperCall::CallOutcome CCustomPaperCall::Call(const Target& target,
                                                     ReadyWaitProgress* progress,
                                                     const ConfirmFn& confirm) {
    if (!target.review && target.link.WaitUntilReady(target.printer, progress) != 1)
        return CallOutcome::NotReady;
    if (!confirm || !confirm()) return CallOutcome::Declined;
    if (m_item < 0) return CallOutcome::NoSelection;
    if (m_item == kStandardItem)
        return m_table.CallStandard(target.printer) < 0 ? CallOutcome::NotSent
                                                        : CallOutcome::StandardCalled;
    return m_table.CallSlot(target.printer, m_item - 1) < 0 ? CallOutcome::NotSent
                                                            : CallOutcome::SlotCalled;
}
