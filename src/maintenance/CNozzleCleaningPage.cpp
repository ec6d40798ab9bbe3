#include "maintenance/CNozzleCleaningPage.h"

#include "app/Artwork.h"
#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "comm/CPrinterLink.h"
#include "maintenance/CBusyDialog.h"
#include "platform/MessagePresenter.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

using Action = CNozzleCleaning::Action;
using Outcome = CNozzleCleaning::Outcome;

// The page's controls: id, rectangle (left, top, right, bottom), text id
// (also the font id; -1: none, base font). Buttons and descriptions sit on
// their group boxes as siblings, so Tab visits the buttons in reading order.
constexpr int kNozzleTitle = 20004;
constexpr int kCleaningTitle = 20005;

const ControlRow kControls[] = {
    {CNozzleCleaningPage::kNozzleGroup, {15, 10, 585, 104}, kNozzleTitle},
    {CNozzleCleaningPage::kNozzleButton, {32, 38, 80, 86}, -1},
    {CNozzleCleaningPage::kNozzleText, {96, 38, 570, 86}, 20002},
    {CNozzleCleaningPage::kCleaningGroup, {15, 116, 585, 210}, kCleaningTitle},
    {CNozzleCleaningPage::kCleaningButton, {32, 144, 80, 192}, -1},
    {CNozzleCleaningPage::kCleaningText, {96, 144, 570, 192}, 20003},
    {CNozzleCleaningPage::kHelpButton, {11, 226, 124, 248}, 20100},
};
constexpr int kControlCount = sizeof(kControls) / sizeof(kControls[0]);

QPushButton* MakePictureButton(QWidget* parent, int id, const QPixmap& picture) {
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(Artwork::kButtonPictureSize, Artwork::kButtonPictureSize));
    button->setAutoDefault(false);
    return button;
}

QLabel* MakeDescription(QWidget* parent, int id) {
    auto* label = new QLabel(parent);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setWordWrap(true);
    return label;
}

} // namespace

CNozzleCleaningPage::CNozzleCleaningPage(CMainWindow* mainWindow) : CPage(kPageIndex, mainWindow) {
    resize(kWidth, kHeight);
    setFont(ShellApp::BaseFont());

    // Created in focus order: nozzle check, head cleaning, Help.
    auto* nozzleGroup = new QGroupBox(this);
    SetControlId(nozzleGroup, kNozzleGroup);
    auto* cleaningGroup = new QGroupBox(this);
    SetControlId(cleaningGroup, kCleaningGroup);
    m_nozzleButton = MakePictureButton(this, kNozzleButton, Artwork::NozzleCheckPicture());
    QLabel* nozzleText = MakeDescription(this, kNozzleText);
    m_cleaningButton = MakePictureButton(this, kCleaningButton, Artwork::HeadCleaningPicture());
    QLabel* cleaningText = MakeDescription(this, kCleaningText);
    m_help = new QPushButton(this);
    SetControlId(m_help, kHelpButton);
    m_help->setAutoDefault(false);

    ApplyControlRows(this, kControls, kControlCount);

    // Names for assistive technology: the picture buttons are named by their
    // group's title and described by the text beside them.
    nozzleGroup->setAccessibleName(nozzleGroup->title());
    cleaningGroup->setAccessibleName(cleaningGroup->title());
    m_nozzleButton->setAccessibleName(nozzleGroup->title());
    m_nozzleButton->setAccessibleDescription(nozzleText->text());
    m_cleaningButton->setAccessibleName(cleaningGroup->title());
    m_cleaningButton->setAccessibleDescription(cleaningText->text());
    nozzleText->setAccessibleName(nozzleText->text());
    cleaningText->setAccessibleName(cleaningText->text());
    m_help->setAccessibleName(m_help->text());
    // The descriptions name their buttons for screen readers, too.
    nozzleText->setBuddy(m_nozzleButton);
    cleaningText->setBuddy(m_cleaningButton);

    setTabOrder(m_nozzleButton, m_cleaningButton);
    setTabOrder(m_cleaningButton, m_help);

    connect(m_nozzleButton, &QPushButton::clicked, this, [this] { RunNozzleCheck(); });
    connect(m_cleaningButton, &QPushButton::clicked, this, [this] { RunHeadCleaning(); });
    connect(m_help, &QPushButton::clicked, this,
            [this] { ShellApp::OpenManual(MainWindow(), kPageIndex, kHelpTopic); });
}

bool CNozzleCleaningPage::OnPageShow() {
    // Review mode lets a translator see every message of the page.
    if (ShellApp::Mode() == CPlotcareApp::kModeReview)
        for (const CNozzleCleaning::Message& message : CNozzleCleaning::kReviewMessages)
            ShowMessageOf(message);
    return true;
}

void CNozzleCleaningPage::RunNozzleCheck() {
    if (m_running) return;
    RunningFlag running(m_running);
    CPrinterLink link(ShellApp::BidiLibrary());
    CNozzleCleaning action(link, ShellApp::SelectedPrinter(),
                           ShellApp::Mode() != CPlotcareApp::kModeReview);
    CBusyDialog busy(ShellApp::Text(0), MainWindow());
    ShowOutcome(Action::NozzleCheck, action.NozzleCheck(&busy, ShowWaitCursor));
}

void CNozzleCleaningPage::RunHeadCleaning() {
    if (m_running) return;
    RunningFlag running(m_running);
    CPrinterLink link(ShellApp::BidiLibrary());
    CNozzleCleaning action(link, ShellApp::SelectedPrinter(),
                           ShellApp::Mode() != CPlotcareApp::kModeReview);
    CBusyDialog busy(ShellApp::Text(0), MainWindow());
    ShowOutcome(Action::HeadCleaning, action.HeadCleaning(&busy));
}

void CNozzleCleaningPage::ShowOutcome(Action action, Outcome outcome) {
    ShowMessageOf(CNozzleCleaning::MessageFor(action, outcome));
}

void CNozzleCleaningPage::ShowMessageOf(const CNozzleCleaning::Message& message) {
    ShowMessage(ShellApp::Text(message.text),
                message.warning ? MessageIcon::Warning : MessageIcon::Information,
                MessageButtons::Ok, MainWindow());
}
