#include "status/CPrinterStatusPage.h"

#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/CTextDisplayDialog.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "comm/CPrinterLink.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CBusyDialogIndicator.h"
#include "platform/MessagePresenter.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using Sheet = CPrinterStatus::Sheet;
using Outcome = CPrinterStatus::Outcome;

// The page's controls: id, rectangle (left, top, right, bottom), text id
// (also the font id). Buttons and descriptions sit on their group boxes as
// siblings, so Tab visits the buttons in reading order.
const ControlRow kControls[] = {
    {CPrinterStatusPage::kJobGroup, {15, 10, 585, 114}, 60002},
    {CPrinterStatusPage::kDisplayJobButton, {32, 36, 212, 62}, 60101},
    {CPrinterStatusPage::kDisplayJobText, {228, 36, 570, 62}, 60003},
    {CPrinterStatusPage::kPrintJobButton, {32, 74, 212, 100}, 60102},
    {CPrinterStatusPage::kPrintJobText, {228, 74, 570, 100}, 60004},
    {CPrinterStatusPage::kCustomGroup, {15, 124, 585, 190}, 60005},
    {CPrinterStatusPage::kPrintCustomButton, {32, 150, 212, 176}, 60103},
    {CPrinterStatusPage::kPrintCustomText, {228, 150, 570, 176}, 60006},
    {CPrinterStatusPage::kStatusGroup, {15, 200, 585, 266}, 60007},
    {CPrinterStatusPage::kPrintStatusButton, {32, 226, 212, 252}, 60104},
    {CPrinterStatusPage::kPrintStatusText, {228, 226, 570, 252}, 60008},
    {CPrinterStatusPage::kHelpButton, {11, 284, 124, 306}, 60100},
};
constexpr int kControlCount = sizeof(kControls) / sizeof(kControls[0]);

QPushButton* MakeButton(QWidget* parent, int id) {
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeDescription(QWidget* parent, int id, QPushButton* button) {
    auto* label = new QLabel(parent);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(true);
    label->setBuddy(button);
    return label;
}

QGroupBox* MakeGroup(QWidget* parent, int id) {
    auto* group = new QGroupBox(parent);
    SetControlId(group, id);
    return group;
}

bool ReviewMode() {
    return ShellApp::Mode() == CPlotcareApp::kModeReview;
}

} // namespace

CPrinterStatusPage::CPrinterStatusPage(CMainWindow* mainWindow) : CPage(kPageIndex, mainWindow) {
    resize(kWidth, kHeight);
    setFont(ShellApp::BaseFont());

    // Created in focus order: the four actions, then Help.
    QGroupBox* groups[] = {MakeGroup(this, kJobGroup), MakeGroup(this, kCustomGroup),
                           MakeGroup(this, kStatusGroup)};
    m_displayJob = MakeButton(this, kDisplayJobButton);
    QLabel* displayText = MakeDescription(this, kDisplayJobText, m_displayJob);
    m_printJob = MakeButton(this, kPrintJobButton);
    QLabel* printJobText = MakeDescription(this, kPrintJobText, m_printJob);
    m_printCustom = MakeButton(this, kPrintCustomButton);
    QLabel* customText = MakeDescription(this, kPrintCustomText, m_printCustom);
    m_printStatus = MakeButton(this, kPrintStatusButton);
    QLabel* statusText = MakeDescription(this, kPrintStatusText, m_printStatus);
    m_help = MakeButton(this, kHelpButton);

    ApplyControlRows(this, kControls, kControlCount);

    // Names for assistive technology: each button by its text, described by
    // the sentence beside it.
    for (QGroupBox* group : groups)
        group->setAccessibleName(group->title());
    const std::pair<QPushButton*, QLabel*> pairs[] = {{m_displayJob, displayText},
                                                      {m_printJob, printJobText},
                                                      {m_printCustom, customText},
                                                      {m_printStatus, statusText}};
    for (const auto& [button, label] : pairs) {
        button->setAccessibleName(button->text());
        button->setAccessibleDescription(label->text());
        label->setAccessibleName(label->text());
    }
    m_help->setAccessibleName(m_help->text());

    setTabOrder(m_displayJob, m_printJob);
    setTabOrder(m_printJob, m_printCustom);
    setTabOrder(m_printCustom, m_printStatus);
    setTabOrder(m_printStatus, m_help);

    // The job text window belongs to no other window, so it can stay open
    // beside the main window and is not minimised or raised with it.
    m_jobWindow = std::make_unique<CTextDisplayDialog>(nullptr);
    m_jobWindow->resize(kJobWindowSize);
    m_jobWindow->setAccessibleName(m_jobWindow->windowTitle());
    m_jobWindow->TextArea()->setAccessibleName(m_jobWindow->Heading()->text());

    connect(m_displayJob, &QPushButton::clicked, this, [this] { RunDisplayJob(); });
    connect(m_printJob, &QPushButton::clicked, this, [this] { RunPrintSheet(Sheet::Jobs); });
    connect(m_printCustom, &QPushButton::clicked, this,
            [this] { RunPrintSheet(Sheet::CustomConfig); });
    connect(m_printStatus, &QPushButton::clicked, this, [this] { RunPrintSheet(Sheet::Status); });
    connect(m_help, &QPushButton::clicked, this,
            [this] { ShellApp::OpenManual(MainWindow(), kPageIndex, kHelpTopic); });
}

CPrinterStatusPage::~CPrinterStatusPage() = default;

bool CPrinterStatusPage::OnPageShow() {
    if (ReviewMode())
        for (const CPrinterStatus::Message& message : CPrinterStatus::kReviewMessages)
            ShowMessageOf(message);
    return true;
}

void CPrinterStatusPage::OnPageLeave() {
    if (m_jobWindow) m_jobWindow->hide();
}

void CPrinterStatusPage::RunDisplayJob() {
    if (m_running) return;
    RunningFlag running(m_running);
    CPrinterLink link(ShellApp::BidiLibrary());
    const bool review = ReviewMode();
    CPrinterStatus status(link, ShellApp::SelectedPrinter(), !review);
    CBusyDialog ready(ShellApp::Text(0), MainWindow());
    CBusyDialogIndicator busy(MainWindow());
    const Outcome outcome = status.DisplayJob(&ready, busy);
    if (CPrinterStatus::ShowsReport(outcome, review))
        ShowReport(QString::fromStdString(status.Report()));
    else
        ShowMessageOf(CPrinterStatus::MessageFor(outcome));
}

void CPrinterStatusPage::RunPrintSheet(Sheet sheet) {
    if (m_running) return;
    RunningFlag running(m_running);
    CPrinterLink link(ShellApp::BidiLibrary());
    CPrinterStatus status(link, ShellApp::SelectedPrinter(), !ReviewMode());
    CBusyDialog ready(ShellApp::Text(0), MainWindow());
    ShowMessageOf(CPrinterStatus::MessageFor(status.PrintSheet(sheet, &ready, ShowWaitCursor)));
}

void CPrinterStatusPage::ShowReport(const QString& report) {
    QString text = report;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_jobWindow->SetReport(text);
    if (!m_jobWindowPlaced) {
        m_jobWindowPlaced = true;
        const QPoint centre = mapToGlobal(rect().center());
        m_jobWindow->move(centre - QPoint(m_jobWindow->width() / 2, m_jobWindow->height() / 2));
    }
    m_jobWindow->show();
    m_jobWindow->raise();
    m_jobWindow->activateWindow();
    m_jobWindow->TextArea()->setFocus();
}

void CPrinterStatusPage::ShowMessageOf(const CPrinterStatus::Message& message) {
    if (message.text < 0) return;
    ShowMessage(ShellApp::Text(message.text),
                message.warning ? MessageIcon::Warning : MessageIcon::Information,
                MessageButtons::Ok, MainWindow());
}
