// The nozzle check and head cleaning page in the main window, headless: its
// controls, keyboard use and names, the messages each outcome shows, the
// busy dialog and the wait cursor, review mode and Help. The printer is the
// fake bidirectional library, the spooler the recording one.
#include "../shell/ShellFixture.h"
#include "FakeBidi.h"
#include "RecordingSpooler.h"
#include "app/CPageSelector.h"
#include "app/ControlHelpers.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CNozzleCleaningPage.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kReady{0x01, 0x01, 0x04};
const Bytes kBusy{0x01, 0x01, 0x03};
const Bytes kInkLow{0x0F, 0x07, 0x03, 0x00, 0x01, 90, 0x00, 0x02, 25};
const Bytes k0DLow{0x0D, 0x01, 12};

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class NozzlePage : public ShellTest {
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
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        window->ShowPage(CNozzleCleaningPage::kPageIndex);
        page = dynamic_cast<CNozzleCleaningPage*>(window->Page(CNozzleCleaningPage::kPageIndex));
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(window->CurrentIndex(), CNozzleCleaningPage::kPageIndex);
        messages.Clear();
    }
    void TearDown() override {
        window.reset();
        shared.bidiLibrary.reset();
        ShellTest::TearDown();
    }
    void Status(const Bytes& fields) { fake.PushStatus(FakeBidi::StatusRecord(fields)); }
    // The recorded boxes as "text id/icon", the ids found by their texts.
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const MessageRecorder::Entry& e : messages.Entries()) {
            std::string id = "?";
            for (int t : {901, 903, 20900, 20901, 20902, 20903, 20904})
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

    FakeBidi fake;
    RecordingSpooler spooler;
    std::unique_ptr<CMainWindow> window;
    CNozzleCleaningPage* page = nullptr;
};

TEST_F(NozzlePage, ControlsCarryTheirTextsPicturesAndNames) {
    struct Row {
        int id;
        QRect rect;
        int text;
    };
    const Row rows[] = {
        {1160, QRect(15, 10, 570, 94), 20004},  {1038, QRect(32, 38, 48, 48), -1},
        {1040, QRect(96, 38, 474, 48), 20002},  {1161, QRect(15, 116, 570, 94), 20005},
        {1039, QRect(32, 144, 48, 48), -1},     {1041, QRect(96, 144, 474, 48), 20003},
        {1003, QRect(11, 226, 113, 22), 20100},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        QWidget* control = FindControl(page, r.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), r.rect);
        EXPECT_TRUE(control->isVisible());
        if (r.text >= 0) {
            EXPECT_FALSE(app->GetText(r.text).isEmpty());
            EXPECT_EQ(ControlText(control), app->GetText(r.text));
            EXPECT_EQ(control->accessibleName(), app->GetText(r.text));
            EXPECT_EQ(control->font(), app->GetFont(r.text));
        }
    }
    // The picture buttons: their 32 x 32 pictures, named by their groups and
    // described by the texts beside them.
    for (QPushButton* button : {page->NozzleCheckButton(), page->HeadCleaningButton()}) {
        EXPECT_EQ(button->iconSize(), QSize(32, 32));
        EXPECT_FALSE(button->icon().isNull());
        EXPECT_TRUE(button->text().isEmpty());
    }
    EXPECT_NE(page->NozzleCheckButton()->icon().pixmap(32).toImage(),
              page->HeadCleaningButton()->icon().pixmap(32).toImage());
    EXPECT_EQ(page->NozzleCheckButton()->accessibleName(), app->GetText(20004));
    EXPECT_EQ(page->NozzleCheckButton()->accessibleDescription(), app->GetText(20002));
    EXPECT_EQ(page->HeadCleaningButton()->accessibleName(), app->GetText(20005));
    EXPECT_EQ(page->HeadCleaningButton()->accessibleDescription(), app->GetText(20003));
    // Every control lies inside the page, and the window fits the page.
    for (QWidget* w : page->findChildren<QWidget*>())
        EXPECT_TRUE(page->rect().contains(w->geometry())) << ControlId(w);
    EXPECT_EQ(window->PageArea()->size(), QSize(600, 66 + CNozzleCleaningPage::kHeight));
    // Shown, the page answers yes and shows nothing.
    EXPECT_TRUE(messages.Entries().empty());
}

TEST_F(NozzlePage, TheKeyboardReachesAndPressesEveryButtonInOrder) {
    QApplication::setActiveWindow(window.get());
    const QList<QWidget*> order{page->NozzleCheckButton(), page->HeadCleaningButton(),
                                page->HelpButton()};
    EXPECT_EQ(page->TabStops(), order);
    // The page switch leaves the focus on the window; Tab goes from there to
    // the page selector in the header, then into the page.
    EXPECT_EQ(QApplication::focusWidget(), window.get());
    QTest::keyClick(window.get(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(window->PageSelector()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), order[0]);
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]);
    }
    // Past the last one the focus goes to the main window, not round the page.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.get());
    order[0]->setFocus();
    QTest::keyClick(order[0], Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), window.get());

    // Space presses the focused picture button.
    Status(kReady);
    order[1]->setFocus();
    QTest::keyClick(order[1], Qt::Key_Space);
    EXPECT_EQ(Shown(), std::vector<std::string>{"20900/information"});
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes.size(), 25u);
}

struct MessageCase {
    const char* name;
    bool cleaning;
    Bytes status;
    bool spoolerFails;
    const char* shown;
    std::size_t jobBytes; // 0: no job
};

void PrintTo(const MessageCase& c, std::ostream* os) {
    *os << c.name;
}

class NozzlePageMessages : public NozzlePage, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(NozzlePageMessages, EachOutcomeShowsItsMessage) {
    const MessageCase& c = GetParam();
    Status(c.status);
    if (c.spoolerFails) spooler.Fail(RecordingSpooler::Step::StartDocument);
    (c.cleaning ? page->HeadCleaningButton() : page->NozzleCheckButton())->click();
    EXPECT_EQ(Shown(), std::vector<std::string>{c.shown});
    if (c.jobBytes && !c.spoolerFails) {
        ASSERT_EQ(spooler.Documents().size(), 1u);
        EXPECT_EQ(spooler.Documents()[0].bytes.size(), c.jobBytes);
    } else {
        EXPECT_TRUE(spooler.Documents().empty());
    }
    EXPECT_EQ(fake.OpenChannels(), 0);
    EXPECT_TRUE(window->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, NozzlePageMessages,
    ::testing::Values(
        MessageCase{"nozzle_check_sent", false, kReady, false, "20902/information", 36},
        MessageCase{"nozzle_check_not_ready", false, kBusy, false, "901/warning", 0},
        MessageCase{"nozzle_check_not_sent", false, kReady, true, "903/warning", 36},
        // The nozzle check does not look at ink or field 0D.
        MessageCase{"nozzle_check_with_low_ink", false, Cat({kReady, kInkLow, k0DLow}), false,
                    "20902/information", 36},
        MessageCase{"cleaning_sent", true, kReady, false, "20900/information", 25},
        MessageCase{"cleaning_not_ready", true, kBusy, false, "901/warning", 0},
        MessageCase{"cleaning_ink_low", true, Cat({kReady, kInkLow}), false, "20903/warning", 0},
        MessageCase{"cleaning_0D_low", true, Cat({kReady, k0DLow}), false, "20904/warning", 0},
        MessageCase{"cleaning_both_low", true, Cat({kReady, k0DLow, kInkLow}), false,
                    "20903/warning", 0},
        MessageCase{"cleaning_not_sent", true, kReady, true, "20901/warning", 25}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NozzlePage, TheReadinessWaitShowsTheBusyDialogOverTheDisabledWindow) {
    Status(kBusy);
    fake.PushStatus(FakeBidi::StatusRecord(kBusy));
    fake.PushStatus(FakeBidi::StatusRecord(kReady));
    bool dialogSeen = false;
    clock.SetOnAdvance([&](std::int64_t) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(w);
            if (dialog && dialog != window.get() && dialog->isVisible() &&
                dialog->windowTitle() == app->GetText(0)) {
                dialogSeen = true;
                EXPECT_FALSE(window->isEnabled());
            }
        }
    });
    page->HeadCleaningButton()->click();
    clock.SetOnAdvance(nullptr);
    EXPECT_TRUE(dialogSeen);
    EXPECT_EQ(Shown(), std::vector<std::string>{"20900/information"});
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(fake.Calls("TQGetStatus"), 4); // three for the wait, one for the guards
}

TEST_F(NozzlePage, TheNozzleCheckPausesBehindTheWaitCursorAndIgnoresPresses) {
    Status(kReady);
    std::vector<int> cursorsDuringPause;
    clock.SetOnAdvance([&](std::int64_t) {
        const QCursor* cursor = QApplication::overrideCursor();
        cursorsDuringPause.push_back(cursor ? cursor->shape() : -1);
        if (cursorsDuringPause.size() > 1) return;
        // Presses while the page pauses do nothing.
        page->NozzleCheckButton()->click();
        page->HeadCleaningButton()->click();
        EXPECT_TRUE(messages.Entries().empty()) << "the message comes after the pause";
    });
    const std::int64_t start = clock.TickMs();
    page->NozzleCheckButton()->click();
    clock.SetOnAdvance(nullptr);
    EXPECT_EQ(clock.TickMs() - start, 3000);
    ASSERT_FALSE(cursorsDuringPause.empty());
    for (int shape : cursorsDuringPause)
        EXPECT_EQ(shape, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(Shown(), std::vector<std::string>{"20902/information"});
}

TEST_F(NozzlePage, ReviewModeShowsEveryMessageAndSendsWithoutTheChannel) {
    app->SetMode(CPlotcareApp::kModeReview);
    window->ShowPage(0);
    messages.Clear();
    window->ShowPage(CNozzleCleaningPage::kPageIndex);
    EXPECT_EQ(Shown(),
              (std::vector<std::string>{"20900/information", "20901/warning", "20902/information",
                                        "20903/warning", "20904/warning"}));
    messages.Clear();
    Status(Cat({kBusy, kInkLow, k0DLow}));
    page->HeadCleaningButton()->click();
    page->NozzleCheckButton()->click();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"20900/information", "20902/information"}));
    ASSERT_EQ(spooler.Documents().size(), 2u);
    EXPECT_EQ(spooler.Documents()[0].bytes.size(), 25u);
    EXPECT_EQ(spooler.Documents()[1].bytes.size(), 36u);
    for (const char* entry : {"TQGetAvailableChannel", "TQOpenChannel", "TQGetStatus"})
        EXPECT_EQ(fake.Calls(entry), 0) << entry;
}

TEST_F(NozzlePage, HelpOpensThePagesManual) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    page->HelpButton()->click();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(app->GetManualPath(2, 0)));
    EXPECT_TRUE(catcher.urls[0].path().endsWith("nozzle-check-cleaning.html"));
}

} // namespace

#include "NozzleCleaningPageTest.moc"
