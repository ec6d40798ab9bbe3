#include "custompaper/CCustomPaperRegPage.h"

#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/CSharedObjects.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "comm/CPrinterLink.h"
#include "comm/ReadyWaitProgress.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CCutSuctionTab.h"
#include "custompaper/CFeedDryTab.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CRegisterSlotDialog.h"
#include "custompaper/CValuePair.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CBusyDialogIndicator.h"
#include "maintenance/SelectedMediaDriver.h"
#include "platform/MessagePresenter.h"
#include "sampleprint/CMediaTypeDetailDialog.h"
#include "sampleprint/CPaperFeedDetailDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <optional>

namespace {

using Reg = CCustomPaperReg;

// Shared by every registration page and true at program start.
bool g_platenReset = true;

constexpr CPaperEditPage::Texts kTexts{
    -1, -1, 30002, 30003, 30101, 30004, 30005, 30102, 30006, 30007, 30008, 30104, 30100,
};

// Keeps the windows alive while the readiness wait of the page's showing
// runs under the page's own busy dialog; never ends the wait early.
class KeepAlive final : public ReadyWaitProgress {
public:
    void ReadyWaitBegin(const std::string&, int) override {}
    bool ReadyWaitPoll(std::int64_t) override { return false; }
    void ReadyWaitEnd(bool) override {}
};

} // namespace

CCustomPaperRegPage::CCustomPaperRegPage(CMainWindow* mainWindow)
    : CPaperEditPage(kPageIndex, mainWindow, kTexts, new CFeedDryTab, new CCutSuctionTab) {
    m_feedDry = static_cast<CFeedDryTab*>(Tabs()->widget(0));
    m_cutSuction = static_cast<CCutSuctionTab*>(Tabs()->widget(1));
    // The feed tab's Detail asks first whether a real media is selected.
    m_feedDry->SetMediaCheck([this] { return m_logic && m_logic->DetailMediaChosen(); });
    connect(m_feedDry, &CFeedDryTab::DetailRequested, this,
            [this](DetailKind) { OpenDetailDialog(Detail::PaperFeed); });
    m_feedDry->EnableDetail(false);
    SaveButton()->setEnabled(false);
}

CCustomPaperRegPage::~CCustomPaperRegPage() = default;

bool CCustomPaperRegPage::EnsureLogic() {
    const CPlotcareApp* app = CPlotcareApp::Current();
    CCustomPaperTable* table = app ? app->GetCustomPaperTable() : nullptr;
    const CMediaTable* media = app ? app->GetMediaTable() : nullptr;
    if (!table || !media) return false;
    if (!m_logic || &m_logic->Table() != table)
        m_logic = std::make_unique<Reg>(*table, *media, g_platenReset,
                                        ShellApp::Text(Reg::kTextUnknownMedia).toStdString());
    return true;
}

CCustomPaperReg::Target CCustomPaperRegPage::MakeTarget(CPrinterLink& link) const {
    return {link, ShellApp::SelectedPrinter(), ShellApp::Mode() == CPlotcareApp::kModeReview};
}

bool CCustomPaperRegPage::OnPageShow() {
    if (!EnsureLogic()) return false;
    // Taken away before any message.
    std::optional<WaitCursorScope> cursor(std::in_place);
    CBusyDialogIndicator busy(MainWindow());
    busy.Begin(Reg::kTextBusyCaption, Reg::kShowTimeoutMs, false);
    busy.Poll();
    CPrinterLink link(ShellApp::BidiLibrary());
    const Reg::Target target = MakeTarget(link);
    KeepAlive pump;
    const auto driver = SelectedMediaDriver();
    const bool refill = m_logic->Choice().BuiltFor() != target.printer;
    const Reg::ShowOutcome outcome = m_logic->Show(target, &pump, *driver, {});
    if (Reg::Refuses(target, outcome)) {
        busy.End();
        cursor.reset();
        ShowMessageOf(Reg::MessageFor(outcome));
        return false;
    }
    Mirror(refill, true);
    busy.End();
    cursor.reset();
    ShowMessageOf(Reg::MessageFor(m_logic->ShownPick()));
    if (target.review)
        for (const Reg::Message& message : Reg::kReviewMessages)
            ShowMessageOf(message);
    return true;
}

void CCustomPaperRegPage::OnDriverSettingsChanged() {
    if (!m_logic) return;
    const auto driver = SelectedMediaDriver();
    m_logic->DriverSettingsChanged(*driver);
    Mirror(false, false);
}

void CCustomPaperRegPage::Preview(int slot) {
    if (!EnsureLogic()) return;
    const auto driver = SelectedMediaDriver();
    const bool refill = m_logic->Choice().BuiltFor() != ShellApp::SelectedPrinter();
    if (refill) {
        m_logic->Choice().SetBuiltFor(ShellApp::SelectedPrinter());
        m_logic->Choice().FillMedia(*CPlotcareApp::Current()->GetMediaTable(), driver->Media(),
                                    driver->DriverKind());
    }
    m_logic->PreviewSlot(slot, *driver);
    Mirror(true, true);
}

void CCustomPaperRegPage::OnNamePicked(int index) {
    if (!m_logic || m_running) return;
    RunningFlag running(m_running);
    // What the tabs show: an empty slot takes it over.
    Reg::ScreenValues screen;
    screen.forward = m_feedDry->ForwardPair()->Value();
    screen.drytime = m_feedDry->DrytimePair()->Value();
    if (m_cutSuction->CutBox()->currentIndex() >= 0)
        screen.paperCut = m_cutSuction->CutBox()->currentIndex();
    if (m_cutSuction->RollerBox()->currentIndex() >= 0)
        screen.roller = m_cutSuction->RollerBox()->currentIndex();
    if (m_cutSuction->ThreeWayBox()->currentIndex() >= 0)
        screen.threeWay = m_cutSuction->ThreeWayBox()->currentIndex();
    screen.paperdraw = -m_cutSuction->SuctionSlider()->value();

    Reg::PickOutcome outcome;
    {
        const WaitCursorScope cursor;
        CPrinterLink link(ShellApp::BidiLibrary());
        const auto driver = SelectedMediaDriver();
        outcome = m_logic->PickSlot(MakeTarget(link), index, *driver, screen);
    }
    AfterPick(outcome);
}

void CCustomPaperRegPage::AfterPick(CCustomPaperReg::PickOutcome outcome) {
    // An empty slot keeps what the tabs show; a registered one loads them.
    Mirror(false, outcome != Reg::PickOutcome::TookOverScreen);
    ShowMessageOf(Reg::MessageFor(outcome));
}

void CCustomPaperRegPage::OnMediaPicked(int index) {
    if (!m_logic) return;
    const auto driver = SelectedMediaDriver();
    m_logic->PickMedia(index, *driver);
    Mirror(false, false);
}

void CCustomPaperRegPage::OnThicknessTyped() {
    if (!m_logic) return;
    m_logic->TypeThickness(ThicknessEdit()->text().toStdString());
    MirrorThickness(m_logic->Choice());
}

void CCustomPaperRegPage::OnPlatenPicked(int index) {
    if (m_logic) m_logic->PickPlaten(index);
}

void CCustomPaperRegPage::OnMediaDetail() {
    OpenDetailDialog(Detail::MediaType);
}

void CCustomPaperRegPage::OnPattern() {
    if (m_running) return;
    RunningFlag running(m_running);
    CPrinterLink link(ShellApp::BidiLibrary());
    // The readiness wait's busy dialog has no owner of the page's choosing.
    CBusyDialog readyWait(ShellApp::Text(0), nullptr);
    Reg::PatternOutcome outcome;
    {
        const WaitCursorScope cursor;
        outcome = CPaperSettingsChoice::PrintThicknessPattern(link, ShellApp::SelectedPrinter(),
                                                              &readyWait);
    }
    ShowMessageOf(Reg::MessageFor(outcome));
}

void CCustomPaperRegPage::OnSave() {
    if (!m_logic || m_running || !m_logic->Record()) return;
    RunningFlag running(m_running);
    CRegisterSlotDialog dialog(m_logic->Table(), MainWindow());
    if (dialog.exec() != QDialog::Accepted || dialog.WrittenIndex() < 0) return;
    const WaitCursorScope cursor;
    CPrinterLink link(ShellApp::BidiLibrary());
    // The written slot's name is read; the edited slot stays selected.
    if (m_logic->Registered(MakeTarget(link), dialog.WrittenIndex(),
                            dialog.NameBox()->text().toStdString()))
        MirrorSlots();
}

void CCustomPaperRegPage::OpenDetailDialog(Detail which) {
    CPlotcareApp* app = CPlotcareApp::Current();
    if (!app || !m_logic || !m_logic->Record() || m_running) return;
    RunningFlag running(m_running);
    const CustomPaperSlot* record = m_logic->Record();
    if (which == Detail::MediaType) {
        CMediaTypeDetailDialog dialog(MainWindow(), *app, record);
        dialog.exec();
    } else {
        CPaperFeedDetailDialog dialog(MainWindow(), *app, record);
        dialog.exec();
    }
}

void CCustomPaperRegPage::Mirror(bool refillMedia, bool loadTabs) {
    MirrorSlots();
    MirrorChoice(m_logic->Choice(), refillMedia);
    CustomPaperSlot* record = m_logic->Record();
    m_feedDry->Bind(record, loadTabs);
    m_cutSuction->Bind(record, loadTabs);
    m_feedDry->EnableDetail(m_logic->DetailEnabled());
    SaveButton()->setEnabled(record != nullptr);
}

void CCustomPaperRegPage::MirrorSlots() {
    QStringList texts;
    QList<std::uint32_t> data;
    for (const std::string& item : m_logic->SlotItems()) {
        data << static_cast<std::uint32_t>(texts.size());
        texts << QString::fromStdString(item);
    }
    SetNameItems(texts, data, m_logic->Table().CurrentIndex());
}

void CCustomPaperRegPage::ShowMessageOf(const CCustomPaperReg::Message& message) {
    if (message.text == 0) return;
    ShowMessage(ShellApp::Text(message.text),
                message.icon == Reg::Icon::Warning ? MessageIcon::Warning
                                                   : MessageIcon::Information,
                message.question ? MessageButtons::YesNo : MessageButtons::Ok, MainWindow());
}
