// The automatic adjustment page headless: what it shows, what the keyboard
// reaches, and the message each Start ends in, on the fake clock with the
// message recorder, the spooler double and a scripted bidirectional library.
#include "../shell/ShellFixture.h"

#include "app/ControlHelpers.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/COwnerDrawCombo.h"
#include "maintenance/CAutoAdjustmentPage.h"
#include "maintenance/SelectedMediaDriver.h"

#include "AutoAdjustTestSupport.h"
#include "FakeBidi.h"
#include "RecordingSpooler.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using Dir = CAutoAdjustment::Direction;

std::vector<std::uint8_t> StatusBytes(int state) {
    const std::string header = "@BDC ST2\r\n";
    std::vector<std::uint8_t> r(header.begin(), header.end());
    for (std::uint8_t b : {3, 0, 1, 1, state}) r.push_back(static_cast<std::uint8_t>(b));
    return r;
}

// The page's driver: the test's table driver behind the selected-printer seam.
class Forward final : public MediaDriver {
public:
    explicit Forward(TableDriver& d) : m_d(d) {}
    int DriverKind() override { return m_d.DriverKind(); }
    MediaTypeList::DriverMedia Media() override { return m_d.Media(); }
    int ApplyMedia(std::uint32_t id) override { return m_d.ApplyMedia(id); }

private:
    TableDriver& m_d;
};

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class AutoAdjustmentPageTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        shared.mediaTable = std::make_unique<CMediaTable>(dir.write("Media.ini", kAutoAdjustMedia));
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
        shared.bidiLibrary->SetLibraryName(fake.Path());
        ASSERT_EQ(shared.bidiLibrary->Load("qz", 1), 1);
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        spooler.AddPrinter("qz", "socket://127.0.0.1:9", "ORVEX QZ-7100");
        SetSelectedMediaDriverSource([this] { return std::make_unique<Forward>(driver); });
        app->SetSelectedPrinter("qz", "ORVEX QZ-7100", "socket://127.0.0.1:9");
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        page = static_cast<CAutoAdjustmentPage*>(window->Page(1));
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override {
        clock.SetOnAdvance(nullptr);
        window.reset();
        SetSelectedMediaDriverSource(nullptr);
        shared.bidiLibrary.reset();
        shared.mediaTable.reset();
        ShellTest::TearDown();
    }
    void Show() {
        window->ShowPage(1);
        ASSERT_EQ(window->CurrentIndex(), 1);
        QApplication::setActiveWindow(window.get());
        messages.Clear();
    }
    void Status(int state) { fake.PushStatus(StatusBytes(state)); }
    // The status the printer reports from `afterMs` on (from now).
    void StatusFrom(std::int64_t afterMs, int state) {
        const std::int64_t at = clock.TickMs() + afterMs;
        clock.SetOnAdvance([this, at, state, done = false](std::int64_t now) mutable {
            if (!done && now >= at) {
                done = true;
                Status(state);
            }
        });
    }
    void Type(const QString& text) {
        page->ThicknessEdit()->setFocus();
        page->ThicknessEdit()->selectAll();
        QTest::keyClicks(page->ThicknessEdit(), text);
    }
    QStringList Expected(std::initializer_list<int> ids) {
        QStringList texts;
        for (int id : ids) texts << app->GetText(id);
        return texts;
    }
    QStringList PlatenTexts() {
        QStringList texts;
        for (int i = 0; i < page->PlatenList()->count(); ++i) texts << page->PlatenList()->itemText(i);
        return texts;
    }

    FakeBidi fake;
    RecordingSpooler spooler;
    TableDriver driver;
    std::unique_ptr<CMainWindow> window;
    CAutoAdjustmentPage* page = nullptr;
};

TEST_F(AutoAdjustmentPageTest, ShowsTheDriversMediaWithTheUnavailableOnesGreyed) {
    driver.kind = 2;
    Show();
    COwnerDrawCombo* media = page->MediaList();
    ASSERT_EQ(media->Count(), 5);
    EXPECT_EQ(media->ItemText(0), app->GetText(10140));
    EXPECT_EQ(media->ItemText(1), "Plain");
    // 102 greyed for driver kind 2, 103 on this page.
    EXPECT_EQ((std::vector<bool>{media->IsItemMarked(0), media->IsItemMarked(1), media->IsItemMarked(2),
                                 media->IsItemMarked(3), media->IsItemMarked(4)}),
              (std::vector<bool>{false, false, true, true, false}));
    EXPECT_EQ(media->Selection(), 0);
    EXPECT_TRUE(page->ThicknessEdit()->text().isEmpty());
    EXPECT_FALSE(page->PlatenList()->isEnabled());
    EXPECT_TRUE(window->isEnabled()) << "the busy dialog of the filling is gone";
    EXPECT_TRUE(messages.Entries().empty());

    // The driver settings change to kind 1: only the page's own exclusion stays.
    driver.kind = 1;
    page->SendPageMessage(CPage::kMsgDriverSettingsChanged);
    EXPECT_FALSE(media->IsItemMarked(2));
    EXPECT_TRUE(media->IsItemMarked(3));
    EXPECT_EQ(driver.mediaReads, 1) << "the list is read once per printer";
}

TEST_F(AutoAdjustmentPageTest, ThicknessTypingAndThePlatenGapList) {
    Show();
    struct Case {
        const char* typed;
        const char* shown;
        std::vector<int> platen; // item texts
        int selected;            // text of the selected item
    };
    // Without a media: no automatic item; the first list after an empty
    // thickness picks "Standard", later lists keep the index where they can.
    const Case cases[] = {
        {"0", "1", {10151, 10152, 10153, 10154}, 10153},
        {"25", "16", {10151}, 10151},
        {"3", "3", {10151, 10152, 10153}, 10151},
        {"a4b", "4", {10151, 10152, 10153}, 10153}, // "a" emptied it
        {"2", "2", {10151, 10152, 10153, 10154}, 10153},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Type(c.typed);
        EXPECT_EQ(page->ThicknessEdit()->text(), c.shown);
        QStringList want;
        for (int id : c.platen) want << app->GetText(id);
        EXPECT_EQ(PlatenTexts(), want);
        EXPECT_EQ(page->PlatenList()->currentText(), app->GetText(c.selected));
        EXPECT_TRUE(page->PlatenList()->isEnabled());
    }
    Type("");
    QTest::keyClick(page->ThicknessEdit(), Qt::Key_Backspace);
    EXPECT_FALSE(page->PlatenList()->isEnabled());

    // A media brings its thickness, read-only, and the automatic gap.
    page->MediaList()->setFocus();
    QTest::keyClick(page->MediaList(), Qt::Key_Down);
    EXPECT_EQ(page->MediaList()->Selection(), 1);
    EXPECT_EQ(driver.applied, (std::vector<std::uint32_t>{101}));
    EXPECT_EQ(page->ThicknessEdit()->text(), "3");
    EXPECT_TRUE(page->ThicknessEdit()->isReadOnly());
    EXPECT_EQ(page->PlatenList()->currentText(), app->GetText(10150));
}

TEST_F(AutoAdjustmentPageTest, StartFollowsTheChecksAndTheThickness) {
    Show();
    QPushButton* bi = page->StartButton(Dir::Bidirectional);
    QPushButton* uni = page->StartButton(Dir::Unidirectional);
    EXPECT_FALSE(bi->isEnabled());
    EXPECT_FALSE(uni->isEnabled());
    EXPECT_TRUE(page->NozzleCheckButton()->isEnabled());
    page->PatternBox(Dir::Unidirectional, 3)->click();
    EXPECT_FALSE(uni->isEnabled()) << "no thickness yet";
    Type("5");
    EXPECT_TRUE(uni->isEnabled());
    EXPECT_FALSE(bi->isEnabled());
    page->PatternBox(Dir::Unidirectional, 3)->click();
    EXPECT_FALSE(uni->isEnabled());
}

struct StartCase {
    const char* what;
    int before;           // status at the Start
    const char* sn;       // SN reply (nullptr none)
    const char* thickness;
    int during;           // status from 1 s after the Start on
    bool cancelAt40s;
    bool failWrite;
    int message;
    MessageIcon icon;
};

class AutoAdjustmentPageStart : public AutoAdjustmentPageTest,
                                public ::testing::WithParamInterface<StartCase> {};

TEST_P(AutoAdjustmentPageStart, EndsInItsMessage) {
    const StartCase& c = GetParam();
    Show();
    page->PatternBox(Dir::Unidirectional, 4)->click();
    if (*c.thickness) Type(c.thickness);
    Status(c.before);
    if (c.sn) fake.PushReceive(c.sn);
    if (c.failWrite) spooler.Fail(RecordingSpooler::Step::Write);
    StatusFrom(1000, c.during);
    int cancelTimer = 0;
    if (c.cancelAt40s) {
        // The operator presses the busy dialog's Cancel.
        const std::int64_t at = clock.TickMs() + 40000;
        cancelTimer = clock.StartTimer(40000, [at, this] {
            if (clock.TickMs() < at) return;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QDialog*>(w);
                if (!dialog || dialog == window.get() || !dialog->isVisible()) continue;
                for (QPushButton* b : dialog->findChildren<QPushButton*>())
                    if (b->isVisible()) b->click();
            }
        });
    }
    std::vector<bool> enabledDuringMessage;
    messages.OnMessage([&](const MessageRecorder::Entry&) { enabledDuringMessage.push_back(window->isEnabled()); });
    page->StartAlignment(Dir::Unidirectional);
    if (cancelTimer) clock.StopTimer(cancelTimer);
    ASSERT_EQ(messages.Entries().size(), 1u) << messages.Texts().join("|").toStdString();
    EXPECT_EQ(messages.Texts(), Expected({c.message}));
    EXPECT_EQ(messages.Entries()[0].icon, c.icon);
    EXPECT_EQ(messages.Entries()[0].caption, app->GetText(0));
    EXPECT_EQ(messages.Entries()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(enabledDuringMessage, std::vector<bool>{true}) << "the busy dialog is closed first";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AutoAdjustmentPageStart,
    ::testing::Values(
        StartCase{"not_ready", 3, nullptr, "3", 3, false, false, 901, MessageIcon::Warning},
        StartCase{"empty_thickness", 4, nullptr, "", 4, false, false, 80901, MessageIcon::Warning},
        StartCase{"sn_level_not_0", 4, "SN:011;", "3", 4, false, false, 80900, MessageIcon::Warning},
        StartCase{"finished", 4, "SN:010;", "3", 4, false, false, 10900, MessageIcon::Information},
        StartCase{"cancelled", 4, "SN:010;", "3", 3, true, false, 10902, MessageIcon::Warning},
        StartCase{"timed_out", 4, "SN:010;", "3", 3, false, false, 10902, MessageIcon::Warning},
        StartCase{"printer_error", 4, "SN:010;", "3", 0, false, false, 10901, MessageIcon::Error},
        StartCase{"job_not_sent", 4, "SN:010;", "3", 4, false, true, 10901, MessageIcon::Error}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(AutoAdjustmentPageTest, AutomaticPlatenGapNotObtainedIsNotReady) {
    Show();
    page->MediaList()->setFocus();
    QTest::keyClick(page->MediaList(), Qt::Key_Down); // Plain: automatic gap
    page->PatternBox(Dir::Bidirectional, 1)->click();
    Status(4);
    fake.PushReceive(SNReply(0));
    fake.PushReceive("XX:NA;");
    page->StartButton(Dir::Bidirectional)->click();
    EXPECT_EQ(messages.Texts(), Expected({901}));
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(AutoAdjustmentPageTest, NozzleCheckAndItsBytes) {
    Show();
    Status(4);
    page->NozzleCheckButton()->click();
    EXPECT_EQ(messages.Texts(), Expected({10900}));
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes.size(), 30u);
}

TEST_F(AutoAdjustmentPageTest, ReviewModeShowsTheThreeResultsAndSkipsTheReadinessWait) {
    app->SetMode(CPlotcareApp::kModeReview);
    window->ShowPage(1);
    EXPECT_EQ(messages.Texts(), Expected({10900, 10902, 10901}));
    ASSERT_EQ(messages.Entries().size(), 3u);
    EXPECT_EQ(messages.Entries()[0].icon, MessageIcon::Information);
    EXPECT_EQ(messages.Entries()[1].icon, MessageIcon::Warning);
    EXPECT_EQ(messages.Entries()[2].icon, MessageIcon::Error);

    messages.Clear();
    Status(3); // busy, but not asked
    fake.PushReceive(SNReply(1));
    Type("3");
    page->PatternBox(Dir::Bidirectional, 2)->click();
    page->StartButton(Dir::Bidirectional)->click();
    EXPECT_EQ(messages.Texts(), Expected({80900}));
    EXPECT_EQ(fake.Calls("TQGetStatus"), 0);
}

TEST_F(AutoAdjustmentPageTest, KeyboardReachesEveryControlInVisualOrder) {
    Show();
    Type("4");
    page->PatternBox(Dir::Bidirectional, 1)->setChecked(true);
    page->PatternBox(Dir::Unidirectional, 1)->setChecked(true);
    const QList<QWidget*> want = {
        page->MediaList(),
        page->ThicknessEdit(),
        page->PlatenList(),
        page->PatternBox(Dir::Bidirectional, 1),
        page->PatternBox(Dir::Bidirectional, 2),
        page->PatternBox(Dir::Bidirectional, 3),
        page->PatternBox(Dir::Bidirectional, 4),
        page->StartButton(Dir::Bidirectional),
        page->PatternBox(Dir::Unidirectional, 1),
        page->PatternBox(Dir::Unidirectional, 2),
        page->PatternBox(Dir::Unidirectional, 3),
        page->PatternBox(Dir::Unidirectional, 4),
        page->StartButton(Dir::Unidirectional),
        page->NozzleCheckButton(),
        page->HelpButton(),
    };
    EXPECT_EQ(page->TabStops(), want);

    // Tab walks them; past the last one the main window takes the focus.
    want.front()->setFocus();
    for (int i = 1; i < want.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), want[i]) << i;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.get());

    // Space ticks a pattern and presses a button.
    page->PatternBox(Dir::Unidirectional, 2)->setFocus();
    QTest::keyClick(page->PatternBox(Dir::Unidirectional, 2), Qt::Key_Space);
    EXPECT_TRUE(page->Logic().Pattern(Dir::Unidirectional, 2));
    Status(3);
    page->NozzleCheckButton()->setFocus();
    QTest::keyClick(page->NozzleCheckButton(), Qt::Key_Space);
    EXPECT_EQ(messages.Texts(), Expected({901}));

    // Arrow keys pass over greyed media: from Coated (kind 1) past Film.
    page->MediaList()->setFocus();
    QTest::keyClick(page->MediaList(), Qt::Key_Down);
    QTest::keyClick(page->MediaList(), Qt::Key_Down);
    QTest::keyClick(page->MediaList(), Qt::Key_Down);
    EXPECT_EQ(page->MediaList()->ItemText(page->MediaList()->Selection()), "Canvas");
}

TEST_F(AutoAdjustmentPageTest, EveryControlHasANameFromItsText) {
    Show();
    QStringList names;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->parentWidget() != page) continue;
        SCOPED_TRACE(ControlId(w));
        EXPECT_FALSE(w->accessibleName().isEmpty());
        names << w->accessibleName();
    }
    EXPECT_EQ(names.size(), 15);
    EXPECT_EQ(names.removeDuplicates(), 0) << names.join("|").toStdString();
    EXPECT_EQ(page->MediaList()->accessibleName(), "Media Type");
    EXPECT_EQ(page->PatternBox(Dir::Unidirectional, 3)->accessibleName(), "Unidirectional Alignment #3");
    EXPECT_EQ(page->StartButton(Dir::Bidirectional)->accessibleName(), "Bidirectional Alignment Start");
}

TEST_F(AutoAdjustmentPageTest, HelpOpensThePagesManual) {
    Show();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    page->HelpButton()->click();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_TRUE(catcher.urls[0].path().endsWith("/Settings/manual/auto-adjustment.html"));
}

TEST_F(AutoAdjustmentPageTest, GreyFrameAroundTheControls) {
    Show();
    const QImage image = page->grab().toImage();
    const QRgb grey = qRgb(128, 128, 128);
    for (const QPoint p : {QPoint(8, 17), QPoint(591, 17), QPoint(8, 274), QPoint(591, 274), QPoint(300, 17),
                           QPoint(8, 150)})
        EXPECT_EQ(image.pixel(p), grey) << p.x() << "," << p.y();
    EXPECT_NE(image.pixel(QPoint(592, 17)), grey);
    EXPECT_NE(image.pixel(QPoint(300, 275)), grey);
}

} // namespace

#include "AutoAdjustmentPageTest.moc"
