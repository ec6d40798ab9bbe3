#include "custompaper/CCustomFilePage.h"

#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "comm/CPrinterLink.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CFileCutTab.h"
#include "custompaper/CFileQualityTab.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CSaveCustomFileDialog.h"
#include "custompaper/CustomFileSavePath.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CBusyDialogIndicator.h"
#include "maintenance/SelectedMediaDriver.h"
#include "platform/FileDialogs.h"
#include "platform/MessagePresenter.h"
#include "sampleprint/CColorDensityDetailDialog.h"
#include "sampleprint/CMediaTypeDetailDialog.h"
#include "sampleprint/CPaperFeedDetailDialog.h"
#include "sampleprint/CPrintQualityDetailDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <optional>

namespace {

using Edit = CCustomFileEdit;

// Shared by every custom file page and true at program start.
bool g_platenReset = true;

constexpr CPaperEditPage::Texts kTexts{
    50002, 50101, 50003, 50004, 50102, 50005, 50006, 50103, 50007, 50008, 50009, 50107, 50100,
};

CCustomFilePage::Detail DetailOf(DetailKind kind) {
    switch (kind) {
    case DetailKind::PaperFeed:
        return CCustomFilePage::Detail::PaperFeed;
    case DetailKind::ColorDensity:
        return CCustomFilePage::Detail::ColorDensity;
    case DetailKind::PrintQuality:
        return CCustomFilePage::Detail::PrintQuality;
    }
    return CCustomFilePage::Detail::PaperFeed;
}

} // namespace

CCustomFilePage::CCustomFilePage(CMainWindow* mainWindow)
    : CPaperEditPage(kPageIndex, mainWindow, kTexts, new CFileQualityTab, new CFileCutTab) {
    m_quality = static_cast<CFileQualityTab*>(Tabs()->widget(0));
    m_cut = static_cast<CFileCutTab*>(Tabs()->widget(1));
    connect(m_quality, &CFileQualityTab::DetailRequested, this,
            [this](DetailKind kind) { OpenDetailDialog(DetailOf(kind)); });
    m_quality->EnableDetail(false);
    FileNameText()->setText(QString());
}

CCustomFilePage::~CCustomFilePage() = default;

bool CCustomFilePage::EnsureLogic() {
    const CPlotcareApp* app = CPlotcareApp::Current();
    const CMediaTable* media = app ? app->GetMediaTable() : nullptr;
    if (!media) return false;
    if (!m_logic) {
        m_logic = std::make_unique<Edit>(*media, g_platenReset,
                                         ShellApp::Text(Edit::kTextNewSetting).toStdString());
        m_quality->SetMediaTable(media);
        m_quality->Bind(&m_logic->Record(), false);
        m_cut->Bind(&m_logic->Record(), false);
    }
    return true;
}

bool CCustomFilePage::OnPageShow() {
    // Always accepted; without a media table there is nothing to edit.
    if (!EnsureLogic()) return true;
    std::optional<WaitCursorScope> cursor(std::in_place);
    CBusyDialogIndicator busy(MainWindow());
    busy.Begin(Edit::kTextBusyCaption, Edit::kShowTimeoutMs, false);
    busy.Poll();
    const auto driver = SelectedMediaDriver();
    const std::string printer = ShellApp::SelectedPrinter();
    const bool refill = m_logic->Choice().BuiltFor() != printer;
    m_logic->Show(printer, *driver);
    if (refill) m_quality->RebuildModes(m_logic->Record().MediaId);
    Mirror(refill, refill);
    busy.End();
    cursor.reset();
    if (ShellApp::Mode() == CPlotcareApp::kModeReview)
        for (const Edit::Message& message : Edit::kReviewMessages)
            ShowMessageOf(message);
    return true;
}

void CCustomFilePage::OnDriverSettingsChanged() {
    if (!m_logic) return;
    const auto driver = SelectedMediaDriver();
    m_logic->DriverSettingsChanged(*driver);
    Mirror(false, false);
}

void CCustomFilePage::OnBrowse() {
    if (!m_logic || m_running) return;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.filter = QString::fromLatin1(Edit::kFileFilter);
    request.defaultExtension = QString::fromLatin1(Edit::kExtension);
    request.initialFolder =
        QString::fromStdString(ReadSavePath(ShellApp::ModelName().toStdString()));
    const QString path = ChooseOpenFile(MainWindow(), request);
    if (!path.isEmpty()) OpenFile(path);
}

void CCustomFilePage::OpenFile(const QString& path) {
    if (!m_logic || m_running) return;
    RunningFlag running(m_running);
    Edit::OpenOutcome outcome;
    {
        const WaitCursorScope cursor;
        const auto driver = SelectedMediaDriver();
        outcome = m_logic->Open(path.toStdString(), ShellApp::SelectedDriver(), *driver);
    }
    if (outcome != Edit::OpenOutcome::OtherModel) {
        const QString name = QString::fromStdString(m_logic->FileName());
        FileNameText()->setText(name);
        FileNameText()->setAccessibleName(
            AccessibleNameFromLabel(ShellApp::Text(kTexts.fileLabel)) + QStringLiteral(": ") +
            name);
        FileNameText()->setAccessibleDescription(path);
        MirrorNames();
    }
    ShowMessageOf(Edit::MessageFor(outcome));
}

void CCustomFilePage::OnNamePicked(int index) {
    if (!m_logic || m_running) return;
    RunningFlag running(m_running);
    Edit::PickOutcome outcome;
    {
        const WaitCursorScope cursor;
        const auto driver = SelectedMediaDriver();
        outcome = m_logic->PickName(index, ShellApp::SelectedDriver(), *driver);
    }
    Mirror(false, true);
    ShowMessageOf(Edit::MessageFor(outcome));
}

void CCustomFilePage::OnMediaPicked(int index) {
    if (!m_logic) return;
    const auto driver = SelectedMediaDriver();
    m_logic->PickMedia(index, *driver);
    // The print modes the media offers.
    m_quality->RebuildModes(m_logic->Record().MediaId);
    Mirror(false, false);
}

void CCustomFilePage::OnThicknessTyped() {
    if (!m_logic) return;
    m_logic->TypeThickness(ThicknessEdit()->text().toStdString());
    MirrorThickness(m_logic->Choice());
}

void CCustomFilePage::OnPlatenPicked(int index) {
    if (m_logic) m_logic->PickPlaten(index);
}

void CCustomFilePage::OnMediaDetail() {
    OpenDetailDialog(Detail::MediaType);
}

void CCustomFilePage::OnPattern() {
    if (m_running) return;
    RunningFlag running(m_running);
    CPrinterLink link(ShellApp::BidiLibrary());
    CBusyDialog readyWait(ShellApp::Text(0), nullptr);
    Edit::PatternOutcome outcome;
    {
        const WaitCursorScope cursor;
        outcome = CPaperSettingsChoice::PrintThicknessPattern(link, ShellApp::SelectedPrinter(),
                                                              &readyWait);
    }
    ShowMessageOf(Edit::MessageFor(outcome));
}

void CCustomFilePage::OnSave() {
    if (!m_logic || m_running) return;
    RunningFlag running(m_running);
    const auto driver = SelectedMediaDriver();
    m_logic->CompleteForSave(*driver);
    CSaveCustomFileDialog dialog(QString::fromStdString(m_logic->Path()), &m_logic->Record(),
                                 MainWindow());
    if (dialog.exec() != QDialog::Accepted) return;
    {
        const WaitCursorScope cursor;
        m_logic->Saved(dialog.Path().toStdString(), ShellApp::SelectedDriver(), *driver);
    }
    MirrorNames();
    Mirror(false, true);
}

void CCustomFilePage::OpenDetailDialog(Detail which) {
    CPlotcareApp* app = CPlotcareApp::Current();
    if (!app || !m_logic || m_running) return;
    RunningFlag running(m_running);
    const CustomFileRecord* record = &m_logic->Record();
    switch (which) {
    case Detail::MediaType: {
        CMediaTypeDetailDialog dialog(MainWindow(), *app, record);
        dialog.exec();
        break;
    }
    case Detail::PaperFeed: {
        CPaperFeedDetailDialog dialog(MainWindow(), *app, record);
        dialog.exec();
        break;
    }
    case Detail::ColorDensity: {
        CColorDensityDetailDialog dialog(MainWindow(), *app, record);
        dialog.exec();
        break;
    }
    case Detail::PrintQuality: {
        CPrintQualityDetailDialog dialog(MainWindow(), *app, record);
        dialog.exec();
        break;
    }
    }
}

void CCustomFilePage::Mirror(bool refillMedia, bool loadTabs) {
    MirrorNames();
    MirrorChoice(m_logic->Choice(), refillMedia);
    if (loadTabs) {
        m_quality->Bind(&m_logic->Record(), true);
        m_cut->Bind(&m_logic->Record(), true);
    }
    m_quality->EnableDetail(m_logic->DetailEnabled());
}

void CCustomFilePage::MirrorNames() {
    QStringList texts;
    QList<std::uint32_t> data;
    for (const Edit::NameItem& item : m_logic->NameItems()) {
        texts << QString::fromStdString(item.text);
        data << item.data;
    }
    // The list is built anew: another file may hold as many entries.
    NameSelector()->ResetContent();
    SetNameItems(texts, data, m_logic->NameIndex());
}

void CCustomFilePage::ShowMessageOf(const CCustomFileEdit::Message& message) {
    if (message.text == 0) return;
    ShowMessage(ShellApp::Text(message.text),
                message.icon == Edit::Icon::Warning ? MessageIcon::Warning
                                                    : MessageIcon::Information,
                message.question ? MessageButtons::YesNo : MessageButtons::Ok, MainWindow());
}
