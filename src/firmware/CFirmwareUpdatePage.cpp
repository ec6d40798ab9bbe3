#include "firmware/CFirmwareUpdatePage.h"

#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/CSettingsKey.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "comm/CPrinterLink.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CBusyDialogIndicator.h"
#include "platform/FileDialogs.h"
#include "platform/MessagePresenter.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

using Page = CFirmwareUpdatePage;

const ControlRow kControls[] = {
    {Page::kFileNameLabel, {22, 26, 128, 45}, 70002},
    {Page::kFileName, {137, 26, 430, 43}, -1},
    {Page::kBrowseButton, {455, 24, 547, 47}, 70101},
    {Page::kVersionGroup, {53, 77, 430, 227}, 70003},
    {Page::kPrinterVersionLabel, {117, 100, 390, 114}, 70004},
    // The version fields are as tall as their font.
    {Page::kPrinterVersion, {180, 124, 390, 138}, -1},
    {Page::kFileVersionLabel, {117, 161, 390, 175}, 70005},
    {Page::kFileVersion, {180, 185, 390, 199}, -1},
    {Page::kUpdateButton, {455, 153, 547, 174}, 70102},
    {Page::kHelpButton, {11, 245, 124, 267}, 70100},
};
constexpr int kControlCount = sizeof(kControls) / sizeof(kControls[0]);

QLabel* MakeLabel(QWidget* parent, int id) {
    auto* label = new QLabel(parent);
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

MessageIcon IconOf(CFirmwareUpdate::Icon icon) {
    switch (icon) {
    case CFirmwareUpdate::Icon::Warning:
        return MessageIcon::Warning;
    case CFirmwareUpdate::Icon::Error:
        return MessageIcon::Error;
    case CFirmwareUpdate::Icon::Information:
        break;
    }
    return MessageIcon::Information;
}

std::string ModelKey() {
    return ShellApp::ModelName().toStdString();
}

} // namespace

CFirmwareUpdatePage::CFirmwareUpdatePage(CMainWindow* mainWindow) : CPage(kPageIndex, mainWindow) {
    resize(kWidth, kHeight);
    setFont(ShellApp::BaseFont());

    // Created in reading order; Tab visits Browse, Update, help.
    QLabel* fileNameLabel = MakeLabel(this, kFileNameLabel);
    m_fileName = MakeLabel(this, kFileName);
    m_browse = MakeButton(this, kBrowseButton);
    auto* group = new QGroupBox(this);
    SetControlId(group, kVersionGroup);
    QLabel* printerLabel = MakeLabel(this, kPrinterVersionLabel);
    m_printerVersion = MakeLabel(this, kPrinterVersion);
    QLabel* fileLabel = MakeLabel(this, kFileVersionLabel);
    m_fileVersion = MakeLabel(this, kFileVersion);
    m_update = MakeButton(this, kUpdateButton);
    m_help = MakeButton(this, kHelpButton);

    ApplyControlRows(this, kControls, kControlCount);
    // The status text is drawn over the group box's area: keep it visible.
    group->lower();

    // The value fields are named by their labels for assistive technology.
    for (QWidget* w : std::initializer_list<QWidget*>{fileNameLabel, group, printerLabel, fileLabel,
                                                      m_browse, m_update, m_help})
        w->setAccessibleName(ControlText(w));
    m_fileName->setAccessibleName(fileNameLabel->text());
    m_printerVersion->setAccessibleName(printerLabel->text());
    m_fileVersion->setAccessibleName(fileLabel->text());
    fileNameLabel->setBuddy(m_browse);

    setTabOrder(m_browse, m_update);
    setTabOrder(m_update, m_help);
    m_update->setEnabled(false);

    connect(m_browse, &QPushButton::clicked, this, [this] { Browse(); });
    connect(m_update, &QPushButton::clicked, this, [this] { RunUpdate(); });
    connect(m_help, &QPushButton::clicked, this,
            [this] { ShellApp::OpenManual(MainWindow(), kPageIndex, kHelpTopic); });
}

bool CFirmwareUpdatePage::OnPageShow() {
    const bool review = ShellApp::Mode() == CPlotcareApp::kModeReview;
    {
        WaitCursorScope cursor;
        CBusyDialogIndicator busy;
        busy.Begin(CFirmwareUpdate::kTextBusyCaption, CFirmwareUpdate::kVersionBusyTimeoutMs,
                   false);
        busy.Poll();
        CPrinterLink link(ShellApp::BidiLibrary());
        m_logic.ReadPrinterVersion(link, ShellApp::SelectedPrinter());
        busy.End();
    }
    if (m_logic.PrinterVersion().empty() && !review)
        ShowMessageOf({CFirmwareUpdate::kTextNoPrinterVersion, CFirmwareUpdate::Icon::Warning});
    ShowVersions();

    // Review mode lets a translator see every message of the page.
    if (review)
        for (const CFirmwareUpdate::Message& message : CFirmwareUpdate::kReviewMessages)
            ShowMessageOf(message);
    return true;
}

void CFirmwareUpdatePage::ShowVersions() {
    const std::string& version = m_logic.PrinterVersion();
    m_printerVersion->setText(version.empty()
                                  ? ShellApp::Text(CFirmwareUpdate::kTextUnknownVersion)
                                  : QString::fromLatin1(version.data(), qsizetype(version.size())));
    ApplyDecision();
}

void CFirmwareUpdatePage::ApplyDecision() {
    const VersionDecision decision = m_logic.Decision();
    m_status = decision.status;
    m_update->setEnabled(decision.updateEnabled);
    update();
}

void CFirmwareUpdatePage::Browse() {
    if (m_running) return;
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    QString folder = QString::fromStdString(key.ReadString(ModelKey(), kFolderValue, ""));
    if (folder.isEmpty()) folder = QDir::homePath();

    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.filter = QString::fromLatin1(kFileFilter);
    request.defaultExtension = QStringLiteral("UPG");
    request.initialFolder = folder;
    const QString path = ChooseOpenFile(MainWindow(), request);
    if (path.isEmpty() || !OpenFile(path)) return;
    // The chosen file's folder; the root folder when the file lies there.
    key.WriteString(
        ModelKey(), kFolderValue,
        CFirmwareUpdate::RememberedFolder(QFileInfo(path).absoluteFilePath().toStdString()));
}

bool CFirmwareUpdatePage::OpenFile(const QString& path) {
    int result;
    {
        WaitCursorScope cursor;
        result = m_logic.ChooseFile(path.toStdString());
    }
    if (result != kUpgValid) {
        ShowMessageOf(CFirmwareUpdate::MessageForCheck(result));
        return false;
    }
    const std::string& version = m_logic.FileVersion();
    m_fileVersion->setText(QString::fromLatin1(version.data(), qsizetype(version.size())));
    m_fileName->setText(QFileInfo(path).fileName());
    ApplyDecision();
    return true;
}

void CFirmwareUpdatePage::ShowPrinterVersion(const std::string& version) {
    m_logic.SetPrinterVersion(version);
    ShowVersions();
}

void CFirmwareUpdatePage::RunUpdate() {
    if (m_running || !m_logic.HasFile()) return;
    RunningFlag running(m_running);
    CPrinterLink link(ShellApp::BidiLibrary());
    CBusyDialog ready(ShellApp::Text(0), nullptr);
    CBusyDialogIndicator busy;
    CFirmwareUpdate::UpdateWaits waits;
    waits.ready = &ready;
    waits.busy = &busy;
    waits.restartTimedOut = [this] {
        ShowMessageOf({CFirmwareUpdate::kTextNoRestart, CFirmwareUpdate::Icon::Warning});
    };
    const CFirmwareUpdate::Outcome outcome = m_logic.Update(
        link, ShellApp::SelectedPrinter(), ShellApp::Mode() != CPlotcareApp::kModeReview, waits);

    using Outcome = CFirmwareUpdate::Outcome;
    if (outcome == Outcome::Updated || outcome == Outcome::VersionDiffers) ShowVersions();
    const CFirmwareUpdate::Message message = CFirmwareUpdate::MessageFor(outcome);
    if (message.text) ShowMessageOf(message);
    if (outcome == Outcome::StillNotReady && MainWindow()) MainWindow()->ShowPage(0);
}

void CFirmwareUpdatePage::ShowMessageOf(const CFirmwareUpdate::Message& message) {
    ShowMessage(ShellApp::Text(message.text), IconOf(message.icon), MessageButtons::Ok,
                MainWindow());
}

namespace {

QRect StatusRect() {
    return QRect(
        QPoint(CFirmwareUpdatePage::kStatusLeft, CFirmwareUpdatePage::kStatusTop),
        QPoint(CFirmwareUpdatePage::kStatusRight - 1, CFirmwareUpdatePage::kStatusBottom - 1));
}

constexpr int kStatusFlags = Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine;

} // namespace

QList<CPaintedTexts::Text> CFirmwareUpdatePage::PaintedTexts() const {
    QList<Text> texts;
    for (int status : {kStatusFileNewer, kStatusPrinterNewer, kStatusSameVersion})
        texts.append({ShellApp::Text(status), StatusRect(), ShellApp::Font(status), kStatusFlags,
                      QStringLiteral("status %1").arg(status)});
    return texts;
}

void CFirmwareUpdatePage::paintEvent(QPaintEvent* event) {
    CPage::paintEvent(event);
    if (m_status < 0) return;
    QPainter painter(this);
    painter.setFont(ShellApp::Font(m_status));
    painter.setPen(m_status == kStatusPrinterNewer ? QColor(Qt::red)
                                                   : palette().color(QPalette::WindowText));
    painter.drawText(StatusRect(), kStatusFlags, ShellApp::Text(m_status));
}
