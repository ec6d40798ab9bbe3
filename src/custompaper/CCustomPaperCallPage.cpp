#include "custompaper/CCustomPaperCallPage.h"

#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "comm/CPrinterLink.h"
#include "comm/ReadyWaitProgress.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CSeparatedItemDelegate.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CBusyDialogIndicator.h"
#include "platform/MessagePresenter.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <optional>
#include <vector>

namespace {

using Call = CCustomPaperCall;
using Page = CCustomPaperCallPage;

constexpr int kGroupTitle = 40002;
constexpr int kCallText = 40101;
constexpr int kEditText = 40102;
constexpr int kHelpText = 40100;

// Rows: 20 pixels apart under the selector; label, ":" and value columns.
constexpr int kFirstRowTop = 70;
constexpr int kRowStep = 20;
constexpr int kRowHeight = 16;

std::vector<ControlRow> ControlRows() {
    std::vector<ControlRow> rows = {
        {Page::kGroup, {15, 10, 585, 234}, kGroupTitle},
        {Page::kSelector, {30, 34, 366, 56}, -1},
        {Page::kCallButton, {378, 34, 472, 56}, kCallText},
        {Page::kEditButton, {480, 34, 570, 56}, kEditText},
        {Page::kHelpButton, {11, 246, 124, 268}, kHelpText},
    };
    for (int r = 0; r < Call::kRowCount; ++r) {
        const int top = kFirstRowTop + r * kRowStep;
        rows.push_back(
            {Page::kRowLabelBase + r, {40, top, 214, top + kRowHeight}, Call::kRowLabels[r]});
        rows.push_back({Page::kRowColonBase + r, {216, top, 224, top + kRowHeight}, -1});
        rows.push_back({Page::kRowValueBase + r, {230, top, 570, top + kRowHeight}, -1});
    }
    return rows;
}

QLabel* MakeLabel(QWidget* parent, int id, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QPushButton* MakeButton(QWidget* parent, int id) {
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

// Keeps the windows alive while the readiness wait of the page's showing
// runs under the page's own busy dialog; never ends the wait early.
class KeepAlive final : public ReadyWaitProgress {
public:
    void ReadyWaitBegin(const std::string&, int) override {}
    bool ReadyWaitPoll(std::int64_t) override { return false; }
    void ReadyWaitEnd(bool) override {}
};

} // namespace

CCustomPaperCallPage::CCustomPaperCallPage(CMainWindow* mainWindow)
    : CPage(kPageIndex, mainWindow) {
    resize(kWidth, kHeight);
    setFont(ShellApp::BaseFont());

    // Created in focus order: selector, Call, Edit, Help.
    auto* group = new QGroupBox(this);
    SetControlId(group, kGroup);
    m_selector = new COwnerDrawCombo(this);
    SetControlId(m_selector, kSelector);
    m_selector->setItemDelegate(
        new CSeparatedItemDelegate(COwnerDrawCombo::kItemHeight, 1, m_selector));
    m_call = MakeButton(this, kCallButton);
    m_edit = MakeButton(this, kEditButton);
    m_help = MakeButton(this, kHelpButton);
    for (int r = 0; r < Call::kRowCount; ++r) {
        const auto at = static_cast<std::size_t>(r);
        m_rowLabels[at] = MakeLabel(this, kRowLabelBase + r);
        MakeLabel(this, kRowColonBase + r, QStringLiteral(":"));
        m_rowValues[at] = MakeLabel(this, kRowValueBase + r);
    }

    const std::vector<ControlRow> rows = ControlRows();
    ApplyControlRows(this, rows.data(), static_cast<int>(rows.size()));

    // Names for assistive technology: the selector after the group's title,
    // the buttons after their texts; each value after its row (FillRows).
    group->setAccessibleName(AccessibleNameFromLabel(group->title()));
    m_selector->SetAccessibleLabel(group->title());
    for (QPushButton* button : {m_call, m_edit, m_help})
        button->setAccessibleName(AccessibleNameFromLabel(button->text()));

    // Item 0 is the standard setting, items 1..10 the slots; their labels
    // are read when drawn, so names read later show without a rebuild.
    for (int item = 0; item < Call::kItemCount; ++item)
        m_selector->AddItem(QString(), static_cast<std::uint32_t>(item));
    m_selector->SetLabelSource([this](int item) { return ItemLabel(item); });

    setTabOrder(m_selector, m_call);
    setTabOrder(m_call, m_edit);
    setTabOrder(m_edit, m_help);

    connect(m_selector, &COwnerDrawCombo::SelectionPicked, this,
            [this](int item) { SelectItem(item); });
    connect(m_call, &QPushButton::clicked, this, [this] { RunCall(); });
    connect(m_edit, &QPushButton::clicked, this, [this] { RunEdit(); });
    connect(m_help, &QPushButton::clicked, this,
            [this] { ShellApp::OpenManual(MainWindow(), kPageIndex, kHelpTopic); });

    m_selector->SetSelection(Call::kStandardItem);
    if (Logic())
        ApplyPick(Call::kStandardItem);
    else
        EnableButtons();
}

CCustomPaperCallPage::~CCustomPaperCallPage() = default;

CCustomPaperCall* CCustomPaperCallPage::Logic() {
    const CPlotcareApp* app = CPlotcareApp::Current();
    CCustomPaperTable* table = app ? app->GetCustomPaperTable() : nullptr;
    if (!table) return nullptr;
    if (!m_logic || &m_logic->Table() != table)
        m_logic = std::make_unique<CCustomPaperCall>(*table);
    return m_logic.get();
}

CCustomPaperCall::Target CCustomPaperCallPage::MakeTarget(CPrinterLink& link) const {
    return {link, ShellApp::SelectedPrinter(), ShellApp::Mode() == CPlotcareApp::kModeReview};
}

QString CCustomPaperCallPage::ItemLabel(int item) const {
    if (item <= Call::kStandardItem) return ShellApp::Text(Call::kTextStandard);
    const QString name = m_logic ? QString::fromStdString(m_logic->Table().SlotLabel(item - 1))
                                 : ShellApp::Text(CCustomPaperTable::kTextNotRegistered);
    return QStringLiteral("#%1 %2").arg(item).arg(name);
}

bool CCustomPaperCallPage::OnPageShow() {
    if (!Logic()) return false;
    // Taken away before any message.
    std::optional<WaitCursorScope> cursor(std::in_place);
    CBusyDialogIndicator busy(MainWindow());
    busy.Begin(Call::kTextBusyCaption, Call::kShowTimeoutMs, false);
    busy.Poll();
    CPrinterLink link(ShellApp::BidiLibrary());
    const Call::Target target = MakeTarget(link);
    KeepAlive pump;
    const Call::ShowOutcome outcome = m_logic->Show(target, &pump);
    if (Call::Refuses(target, outcome)) {
        busy.End();
        cursor.reset();
        ShowMessageOf(Call::MessageFor(outcome));
        return false;
    }
    // The names may have changed: the labels are drawn anew.
    m_selector->LabelsChanged();
    const int item = m_logic->CurrentItem();
    m_selector->SetSelection(item);
    const Call::PickOutcome picked = ApplyPick(item);
    busy.End();
    cursor.reset();
    ShowMessageOf(Call::PickMessage(target, picked));
    if (target.review)
        for (const Call::Message& message : Call::kReviewMessages)
            ShowMessageOf(message);
    return true;
}

void CCustomPaperCallPage::SelectItem(int item) {
    if (!Logic()) return;
    const Call::PickOutcome outcome = ApplyPick(item);
    CPrinterLink link(ShellApp::BidiLibrary());
    ShowMessageOf(Call::PickMessage(MakeTarget(link), outcome));
}

void CCustomPaperCallPage::PreviewItem(int item) {
    if (!Logic()) return;
    m_selector->LabelsChanged();
    m_selector->SetSelection(item);
    m_logic->Preview(item);
    EnableButtons();
    FillRows();
}

CCustomPaperCall::PickOutcome CCustomPaperCallPage::ApplyPick(int item) {
    const WaitCursorScope cursor;
    CPrinterLink link(ShellApp::BidiLibrary());
    const Call::PickOutcome outcome = m_logic->Pick(MakeTarget(link), item);
    EnableButtons();
    FillRows();
    return outcome;
}

void CCustomPaperCallPage::FillRows() {
    const int slot = m_logic ? m_logic->RowsSlot() : -1;
    for (int r = 0; r < Call::kRowCount; ++r) {
        const auto at = static_cast<std::size_t>(r);
        QString value;
        if (slot >= 0)
            value = QString::fromStdString(
                Call::RowText(Call::RowValueOf(r, m_logic->Table().SlotAt(slot)),
                              [](int id) { return ShellApp::Text(id).toStdString(); }));
        m_rowValues[at]->setText(value);
        const QString label = AccessibleNameFromLabel(m_rowLabels[at]->text());
        m_rowValues[at]->setAccessibleName(value.isEmpty() ? label
                                                           : label + QStringLiteral(": ") + value);
    }
}

void CCustomPaperCallPage::EnableButtons() {
    m_edit->setEnabled(m_logic && m_logic->EditEnabled());
    m_call->setEnabled(m_logic && m_logic->CallEnabled());
}

void CCustomPaperCallPage::RunCall() {
    if (m_running || !Logic()) return;
    RunningFlag running(m_running);
    CPrinterLink link(ShellApp::BidiLibrary());
    const Call::Target target = MakeTarget(link);
    // The readiness wait's busy dialog has no owner of the page's choosing.
    CBusyDialog busy(ShellApp::Text(0), nullptr);
    const Call::CallOutcome outcome = m_logic->Call(target, &busy, [this] {
        return ShowMessage(ShellApp::Text(Call::kConfirmMessage.text), MessageIcon::Information,
                           MessageButtons::YesNo, MainWindow()) == MessageAnswer::Yes;
    });
    ShowMessageOf(Call::MessageFor(outcome));
}

void CCustomPaperCallPage::RunEdit() {
    if (m_running) return;
    // The registration page opens on the table's current slot, which the
    // selector set.
    MainWindow()->ShowPage(kRegistrationPage);
}

void CCustomPaperCallPage::ShowMessageOf(const CCustomPaperCall::Message& message) {
    if (message.text == 0) return;
    ShowMessage(ShellApp::Text(message.text),
                message.icon == Call::Icon::Warning ? MessageIcon::Warning
                                                    : MessageIcon::Information,
                message.question ? MessageButtons::YesNo : MessageButtons::Ok, MainWindow());
}
