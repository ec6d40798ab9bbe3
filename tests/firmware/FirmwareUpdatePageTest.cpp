// The firmware update page in the main window, headless: its controls,
// keyboard use and names, the printer's version when shown, Browse with the
// remembered folder, the status text (red for an older file), Update with
// every message of its outcomes (the restart time-out with page 0), review
// mode and Help. The printer is the fake bidirectional library, the spooler
// the recording one, the clock the fake one.
#include "../shell/ShellFixture.h"
#include "FakeBidi.h"
#include "RecordingSpooler.h"
#include "UpgImages.h"
#include "app/CSettingsKey.h"
#include "app/ControlHelpers.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "firmware/CFirmwareUpdatePage.h"
#include "platform/FileDialogs.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kReady{0x01, 0x01, 0x04};
const Bytes kBusy{0x01, 0x01, 0x03};

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// The captions of the dialogs up while the library is asked for a reply.
QStringList g_captionsAtReceive;
void NoteCaptions(int, int) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QDialog*>(w) && w->isVisible()) g_captionsAtReceive << w->windowTitle();
}

class FirmwarePage : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
        shared.bidiLibrary->SetLibraryName(fake.Path());
        ASSERT_EQ(shared.bidiLibrary->Load("QZ", 1), 1);
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        spooler.AddPrinter("QZ", "socket://qz:9100", "ORVEX QZ-7100");
        app->SetSelectedPrinter("QZ", "ORVEX QZ-7100", "socket://qz:9100");
        env.Set("HOME", dir.file("home"));
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        page = dynamic_cast<CFirmwareUpdatePage*>(window->Page(CFirmwareUpdatePage::kPageIndex));
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override {
        fake.SetReceiveHook(nullptr);
        window.reset();
        shared.bidiLibrary.reset();
        ShellTest::TearDown();
    }
    void Show(const std::string& printerVersion) {
        if (!printerVersion.empty()) Version(printerVersion);
        window->ShowPage(CFirmwareUpdatePage::kPageIndex);
        ASSERT_EQ(window->CurrentIndex(), CFirmwareUpdatePage::kPageIndex);
    }
    void Version(const std::string& v) { fake.PushReceive("VI:00" + v + ";"); }
    void Status(const Bytes& fields) { fake.PushStatus(FakeBidi::StatusRecord(fields)); }
    std::string Image(const std::string& name, const std::string& bytes) {
        return dir.write(name, bytes);
    }
    void Choose(const std::string& path) {
        dialogs.Script(QString::fromStdString(path));
        page->BrowseButton()->click();
    }
    std::string Remembered() {
        CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
        return key.ReadString(app->ModelName().toStdString(), "FwPath", "<none>");
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const MessageRecorder::Entry& e : messages.Entries()) {
            std::string id = "?";
            for (int t : {901, 902, 70900, 70901, 70902, 70903, 70904, 70905, 70906})
                if (e.text == app->GetText(t)) id = std::to_string(t);
            const char* icon = e.icon == MessageIcon::Warning       ? "warning"
                               : e.icon == MessageIcon::Information ? "information"
                                                                    : "error";
            out.push_back(id + "/" + icon);
            EXPECT_EQ(e.caption, app->GetText(0));
            EXPECT_EQ(e.buttons, MessageButtons::Ok);
        }
        return out;
    }
    // Pixels of the status text's rectangle in pure-ish red.
    int RedPixels() {
        const QImage shot = page->grab().toImage();
        int red = 0;
        for (int y = 183; y < 200; ++y)
            for (int x = 60; x < 170; ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 90 && c.blue() < 90) ++red;
            }
        return red;
    }

    FakeBidi fake;
    RecordingSpooler spooler;
    ScriptedFileDialogs dialogs;
    std::unique_ptr<CMainWindow> window;
    CFirmwareUpdatePage* page = nullptr;
};

TEST_F(FirmwarePage, ControlsCarryTheirTextsFontsAndNames) {
    fake.SetReceiveHook(NoteCaptions);
    g_captionsAtReceive.clear();
    Show("I02010");
    // The version was read behind the busy dialog with the page's caption.
    EXPECT_TRUE(g_captionsAtReceive.contains(app->GetText(70000)));
    struct Row {
        int id;
        QRect rect;
        int text;
    };
    const Row rows[] = {
        {1059, QRect(22, 26, 106, 19), 70002},   {1060, QRect(137, 26, 293, 17), -1},
        {1001, QRect(455, 24, 92, 23), 70101},   {1061, QRect(53, 77, 377, 150), 70003},
        {1062, QRect(117, 100, 273, 14), 70004}, {1064, QRect(180, 124, 210, 14), -1},
        {1063, QRect(117, 161, 273, 14), 70005}, {1065, QRect(180, 185, 210, 14), -1},
        {1066, QRect(455, 153, 92, 21), 70102},  {1003, QRect(11, 245, 113, 22), 70100},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        QWidget* control = FindControl(page, r.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), r.rect);
        EXPECT_TRUE(control->isVisible());
        if (r.text >= 0) {
            EXPECT_EQ(ControlText(control), app->GetText(r.text));
            EXPECT_EQ(control->accessibleName(), app->GetText(r.text));
            EXPECT_EQ(control->font(), app->GetFont(r.text));
        }
    }
    // The value fields are named by their labels.
    EXPECT_EQ(page->FileNameField()->accessibleName(), app->GetText(70002));
    EXPECT_EQ(page->PrinterVersionField()->accessibleName(), app->GetText(70004));
    EXPECT_EQ(page->FileVersionField()->accessibleName(), app->GetText(70005));
    EXPECT_EQ(page->PrinterVersionField()->text(), "I02010");
    EXPECT_TRUE(page->FileVersionField()->text().isEmpty());
    EXPECT_FALSE(page->UpdateButton()->isEnabled());
    EXPECT_EQ(page->StatusText(), -1);
    EXPECT_EQ(window->PageArea()->size(), QSize(600, 66 + CFirmwareUpdatePage::kHeight));
    for (QWidget* w : page->findChildren<QWidget*>())
        EXPECT_TRUE(page->rect().contains(w->geometry())) << ControlId(w);
    EXPECT_TRUE(messages.Entries().empty());
}

TEST_F(FirmwarePage, AnUnreadablePrinterVersionIsReportedAndShownAsUnknown) {
    Show("");
    EXPECT_EQ(Shown(), std::vector<std::string>{"70900/warning"});
    EXPECT_EQ(page->PrinterVersionField()->text(), app->GetText(70009));
    // A good file still offers no update without the printer's version.
    messages.Clear();
    Choose(Image("fw/A.UPG", upg::Make("I03010", 50)));
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_EQ(page->FileVersionField()->text(), "I03010");
    EXPECT_EQ(page->StatusText(), -1);
    EXPECT_FALSE(page->UpdateButton()->isEnabled());
}

TEST_F(FirmwarePage, BrowseRemembersTheFolderAndShowsTheComparison) {
    Show("I00203");
    std::filesystem::create_directories(dir.file("home"));
    // The first Browse starts in the home folder.
    const std::string older = Image("fw/images/OLDER.UPG", upg::Make("I00302", 64));
    Choose(older);
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].initialFolder, QDir::homePath());
    EXPECT_EQ(QDir::homePath().toStdString(), dir.file("home"));
    EXPECT_EQ(dialogs.Requests()[0].filter, "UPG File(*.UPG)|*.UPG||");
    EXPECT_EQ(Remembered(), dir.file("fw/images"));
    EXPECT_EQ(page->FileNameField()->text(), "OLDER.UPG");
    EXPECT_EQ(page->FileVersionField()->text(), "I00302");
    // Printer 0203 against file 0302: 0x0302 > 0x0203, the printer's is newer.
    EXPECT_EQ(page->StatusText(), 70007);
    EXPECT_FALSE(page->UpdateButton()->isEnabled());
    EXPECT_GT(RedPixels(), 20);

    // The next Browse starts there; a newer file is offered, not in red.
    Choose(Image("fw/NEWER.UPG", upg::Make("I00303", 64)));
    EXPECT_EQ(dialogs.Requests()[1].initialFolder.toStdString(), dir.file("fw/images"));
    EXPECT_EQ(Remembered(), dir.file("fw"));
    EXPECT_EQ(page->StatusText(), 70006);
    EXPECT_TRUE(page->UpdateButton()->isEnabled());
    EXPECT_EQ(RedPixels(), 0);
    Choose(Image("fw/SAME.UPG", upg::Make("i00203", 64)));
    EXPECT_EQ(page->StatusText(), 70008);
    EXPECT_TRUE(page->UpdateButton()->isEnabled());

    // Cancel changes nothing.
    dialogs.Script(QString());
    page->BrowseButton()->click();
    EXPECT_EQ(page->FileNameField()->text(), "SAME.UPG");
    EXPECT_TRUE(messages.Entries().empty());
    // A file in the root folder remembers the root folder.
    EXPECT_EQ(CFirmwareUpdate::RememberedFolder("/FW.UPG"), "/");
    EXPECT_EQ(CFirmwareUpdate::RememberedFolder("/a/b/FW.UPG"), "/a/b");
}

TEST_F(FirmwarePage, ABadFileShowsItsMessageAndKeepsTheEarlierChoice) {
    Show("I02010");
    const std::string good = Image("fw/GOOD.UPG", upg::Make("I03010", 64));
    Choose(good);
    std::string off = upg::Make("I04000", 64);
    upg::PutLe32(off, 12, upg::Sum(off) + 1);
    Choose(Image("fw/OFF.UPG", off));
    Choose(Image("fw/MARK.UPG", upg::Make("Q04000", 64)));
    Choose(Image("fw/SHORT.UPG", std::string(31, 'I')));
    EXPECT_EQ(Shown(), (std::vector<std::string>{"70902/error", "70901/error", "70902/error"}));
    EXPECT_EQ(page->FileNameField()->text(), "GOOD.UPG");
    EXPECT_EQ(page->FileVersionField()->text(), "I03010");
    EXPECT_EQ(page->Logic().FilePath(), good);
    EXPECT_EQ(Remembered(), dir.file("fw"));
    EXPECT_EQ(page->StatusText(), 70006);
}

struct UpdateCase {
    const char* name;
    std::vector<Bytes> statuses; // after the readiness wait's
    const char* versionAfter;    // "" no answer
    std::vector<std::string> shown;
    int pageAfter;
    const char* fieldAfter;
};

void PrintTo(const UpdateCase& c, std::ostream* os) {
    *os << c.name;
}

class FirmwarePageUpdate : public FirmwarePage, public ::testing::WithParamInterface<UpdateCase> {};

TEST_P(FirmwarePageUpdate, EachOutcomeShowsItsMessages) {
    const UpdateCase& c = GetParam();
    Show("I02010");
    Choose(Image("fw/NEW.UPG", upg::Make("I03010", 64)));
    ASSERT_TRUE(page->UpdateButton()->isEnabled());
    messages.Clear();
    Status(kReady);
    for (const Bytes& s : c.statuses)
        Status(s);
    if (*c.versionAfter) Version(c.versionAfter);
    const std::int64_t start = clock.TickMs();
    page->UpdateButton()->click();
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(window->CurrentIndex(), c.pageAfter);
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes.size(), 16394u + 96u);
    EXPECT_GE(clock.TickMs() - start, 70000);
    EXPECT_EQ(page->PrinterVersionField()->text().toStdString(),
              *c.fieldAfter ? c.fieldAfter : app->GetText(70009).toStdString());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(fake.OpenChannels(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, FirmwarePageUpdate,
    ::testing::Values(
        UpdateCase{"updated", {kBusy, kReady}, "I03010", {"70903/information"}, 7, "I03010"},
        UpdateCase{"other_version", {kReady}, "I02010", {"70905/warning"}, 7, "I02010"},
        UpdateCase{"no_version_after", {kReady}, "", {"70905/warning"}, 7, ""},
        // Never back within 150 s and not ready afterwards: page 0.
        UpdateCase{
            "still_not_ready", {kBusy}, "", {"70904/warning", "70906/warning"}, 0, "I02010"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirmwarePage, ThePrinterBackAfterTheTimeOutStillGetsTheVersionCompared) {
    Show("I02010");
    Choose(Image("fw/NEW.UPG", upg::Make("I03010", 64)));
    messages.Clear();
    Status(kReady);
    Status(kBusy);
    messages.OnMessage([this](const MessageRecorder::Entry&) {
        Status(kReady);
        Version("I03010");
    });
    page->UpdateButton()->click();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"70904/warning", "70903/information"}));
    EXPECT_EQ(window->CurrentIndex(), CFirmwareUpdatePage::kPageIndex);
    EXPECT_EQ(page->StatusText(), 70008);
}

TEST_F(FirmwarePage, RefusalsBeforeTheJob) {
    Show("I02010");
    const std::string path = Image("fw/NEW.UPG", upg::Make("I03010", 64));
    Choose(path);
    messages.Clear();
    Status(kBusy);
    page->UpdateButton()->click();
    // The file changed after Browse: refused with the file's message.
    Status(kReady);
    std::string changed = upg::Make("I03010", 64);
    std::swap(changed[40], changed[50]);
    Image("fw/NEW.UPG", changed);
    page->UpdateButton()->click();
    spooler.Fail(RecordingSpooler::Step::StartDocument);
    Choose(path);
    page->UpdateButton()->click();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"901/warning", "70902/error", "901/warning"}));
    EXPECT_TRUE(spooler.Documents().empty());
    EXPECT_EQ(window->CurrentIndex(), CFirmwareUpdatePage::kPageIndex);
}

TEST_F(FirmwarePage, TheKeyboardReachesEveryButtonInOrder) {
    Show("I02010");
    Choose(Image("fw/NEW.UPG", upg::Make("I03010", 64)));
    QApplication::setActiveWindow(window.get());
    const QList<QWidget*> order{page->BrowseButton(), page->UpdateButton(), page->HelpButton()};
    EXPECT_EQ(page->TabStops(), order);
    EXPECT_TRUE(page->TabLeavesPage());
    order[0]->setFocus();
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.get());
    // Space presses Browse.
    dialogs.Script(QString());
    order[0]->setFocus();
    QTest::keyClick(order[0], Qt::Key_Space);
    EXPECT_EQ(dialogs.Requests().size(), 2u);
}

TEST_F(FirmwarePage, ReviewModeShowsEveryMessage) {
    app->SetMode(CPlotcareApp::kModeReview);
    Show("");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"70900/warning", "70902/error", "70901/error",
                                                 "70904/warning", "70906/warning",
                                                 "70903/information", "70905/warning"}));
    EXPECT_EQ(page->PrinterVersionField()->text(), app->GetText(70009));
}

TEST_F(FirmwarePage, HelpOpensThePagesManual) {
    Show("I02010");
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    page->HelpButton()->click();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(app->GetManualPath(7, 0)));
}

} // namespace

#include "FirmwareUpdatePageTest.moc"
