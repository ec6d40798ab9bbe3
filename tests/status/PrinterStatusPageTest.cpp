// The printer status page in the main window, headless: its controls,
// keyboard use and names, the job text window (top-level, unowned, centred
// the first time, kept where it was put, hidden on leaving the page), the
// messages of each outcome, Cancel and the time-out of the busy dialog,
// review mode and Help. The printer is the fake bidirectional library, the
// spooler the recording one.
#include "../shell/ShellFixture.h"
#include "FakeBidi.h"
#include "JobRecordBytes.h"
#include "RecordingSpooler.h"
#include "app/CTextDisplayDialog.h"
#include "app/ControlHelpers.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "status/CPrinterStatusPage.h"

#include <QDesktopServices>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes StatusReply(int state) {
    const std::string header = "@BDC ST2\r\n";
    Bytes r(header.begin(), header.end());
    r.insert(r.end(), {0x03, 0x00, 0x01, 0x01, static_cast<std::uint8_t>(state)});
    return r;
}

std::string Job(int number) {
    JobBytes j;
    j.number = static_cast<std::uint8_t>(number);
    j.name = JobBytes::Text("Sheet " + std::to_string(number));
    return j.Reply();
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// What happens during the n-th receive of the fake library (1-based).
int g_receives = 0;
int g_actAt = -1;
std::function<void()> g_act;
void OnReceive(int, int) {
    if (++g_receives == g_actAt && g_act) g_act();
}

// The busy dialog of Display Job while it is up.
QDialog* BusyWindow(const QString& caption) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible() && d->windowTitle() == caption)
            return d;
    return nullptr;
}

class StatusPage : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
        shared.bidiLibrary->SetLibraryName(fake.Path());
        ASSERT_EQ(shared.bidiLibrary->Load("QZ", 1), 1);
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        g_receives = 0;
        g_actAt = -1;
        g_act = nullptr;
        fake.SetReceiveHook(OnReceive);
        spooler.AddPrinter("QZ", "socket://qz:9100", "ORVEX QZ-7100");
        app->SetSelectedPrinter("QZ", "ORVEX QZ-7100", "socket://qz:9100");
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        window->ShowPage(CPrinterStatusPage::kPageIndex);
        page = dynamic_cast<CPrinterStatusPage*>(window->Page(CPrinterStatusPage::kPageIndex));
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(window->CurrentIndex(), CPrinterStatusPage::kPageIndex);
        messages.Clear();
    }
    void TearDown() override {
        g_act = nullptr;
        window.reset();
        shared.bidiLibrary.reset();
        ShellTest::TearDown();
    }

public:
    void Ready(bool ready = true) { fake.PushStatus(StatusReply(ready ? 4 : 3)); }
    void Jobs(int count) {
        for (int k = 1; k <= 10; ++k)
            fake.PushReceive(k <= count ? Job(k) : std::string("JI;"));
    }
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const MessageRecorder::Entry& e : messages.Entries()) {
            std::string id = "?";
            for (int t : {901, 60900, 60901})
                if (e.text == app->GetText(t)) id = std::to_string(t);
            out.push_back(id + (e.icon == MessageIcon::Warning ? "/warning" : "/information"));
            EXPECT_EQ(e.caption, app->GetText(0));
            EXPECT_EQ(e.buttons, MessageButtons::Ok);
        }
        return out;
    }
    QString JobText() const { return page->JobWindow()->TextArea()->toPlainText(); }
    // The jobs in the job text window: the first lines of their reports.
    int JobsShown() const {
        const QRegularExpression first(
            QStringLiteral("^%1 \\d+ :$").arg(QRegularExpression::escape(app->GetText(60202))),
            QRegularExpression::MultilineOption);
        int n = 0;
        for (auto it = first.globalMatch(JobText()); it.hasNext(); it.next())
            ++n;
        return n;
    }

    FakeBidi fake;
    RecordingSpooler spooler;
    std::unique_ptr<CMainWindow> window;
    CPrinterStatusPage* page = nullptr;
};

TEST_F(StatusPage, ControlsCarryTheirTextsAndNames) {
    struct Row {
        int id;
        int text;
        int described; // the description of a button (0: none)
    };
    const Row rows[] = {
        {1042, 60002, 0}, {1043, 60101, 60003}, {1044, 60003, 0},     {1002, 60102, 60004},
        {1045, 60004, 0}, {1046, 60005, 0},     {1004, 60103, 60006}, {1048, 60006, 0},
        {1047, 60007, 0}, {1005, 60104, 60008}, {1049, 60008, 0},     {1003, 60100, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        QWidget* control = FindControl(page, r.id);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->isVisible());
        EXPECT_FALSE(app->GetText(r.text).isEmpty());
        EXPECT_EQ(ControlText(control), app->GetText(r.text));
        EXPECT_EQ(control->accessibleName(), app->GetText(r.text));
        EXPECT_EQ(control->font(), app->GetFont(r.text));
        if (r.described) {
            EXPECT_EQ(control->accessibleDescription(), app->GetText(r.described));
        }
        EXPECT_TRUE(page->rect().contains(control->geometry()));
        // A text fits its control.
        if (qobject_cast<QPushButton*>(control) || qobject_cast<QLabel*>(control)) {
            EXPECT_LE(control->fontMetrics().horizontalAdvance(ControlText(control)),
                      control->width());
        }
    }
    EXPECT_EQ(window->PageArea()->size(), QSize(600, 66 + CPrinterStatusPage::kHeight));
    // The job text window: made with the page, hidden, owned by no window.
    CTextDisplayDialog* jobs = page->JobWindow();
    ASSERT_NE(jobs, nullptr);
    EXPECT_TRUE(jobs->isWindow());
    EXPECT_EQ(jobs->parentWidget(), nullptr);
    EXPECT_FALSE(jobs->isVisible());
    EXPECT_EQ(jobs->windowTitle(), app->GetText(60200));
    EXPECT_FALSE(jobs->TextArea()->accessibleName().isEmpty());
    EXPECT_TRUE(messages.Entries().empty());
}

TEST_F(StatusPage, TheKeyboardReachesAndPressesEveryButtonInOrder) {
    QApplication::setActiveWindow(window.get());
    const QList<QWidget*> order{page->DisplayJobButton(), page->PrintJobButton(),
                                page->PrintCustomButton(), page->PrintStatusButton(),
                                page->HelpButton()};
    EXPECT_EQ(page->TabStops(), order);
    order[0]->setFocus();
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.get());
    order[0]->setFocus();
    QTest::keyClick(order[0], Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), window.get());

    // Space presses the focused button: Print Status sends its sheet's job.
    Ready();
    order[3]->setFocus();
    QTest::keyClick(order[3], Qt::Key_Space);
    EXPECT_EQ(Shown(), std::vector<std::string>{"60901/information"});
    ASSERT_EQ(spooler.Documents().size(), 1u);
    const Bytes& job = spooler.Documents()[0].bytes;
    ASSERT_EQ(job.size(), 30u);
    EXPECT_EQ(job[20], 0x01);
}

TEST_F(StatusPage, TheJobWindowIsCentredOnceThenStaysWhereItWasPut) {
    Ready();
    Jobs(3);
    page->DisplayJobButton()->click();
    EXPECT_TRUE(messages.Entries().empty());
    CTextDisplayDialog* jobs = page->JobWindow();
    ASSERT_TRUE(jobs->isVisible());
    EXPECT_TRUE(JobText().startsWith(app->GetText(60202) + " 1 :\n"));
    EXPECT_TRUE(JobText().contains(" " + app->GetText(60203) + " : Sheet 3\n"));
    EXPECT_FALSE(JobText().contains('\r'));
    EXPECT_EQ(JobsShown(), 3);
    const QPoint pageCentre = page->mapToGlobal(page->rect().center());
    EXPECT_LE((jobs->geometry().center() - pageCentre).manhattanLength(), 2);
    EXPECT_EQ(jobs->focusWidget(), jobs->TextArea());

    // The operator moves it; the next Display Job replaces the text only.
    jobs->move(jobs->pos() + QPoint(120, -40));
    const QPoint put = jobs->pos();
    Ready();
    Jobs(1);
    page->DisplayJobButton()->click();
    EXPECT_EQ(jobs->pos(), put);
    EXPECT_EQ(JobsShown(), 1);

    // Leaving the page hides it; shown again, it is where it was put.
    window->ShowPage(0);
    EXPECT_FALSE(jobs->isVisible());
    window->ShowPage(CPrinterStatusPage::kPageIndex);
    EXPECT_FALSE(jobs->isVisible());
    Ready();
    Jobs(0);
    page->DisplayJobButton()->click();
    EXPECT_TRUE(jobs->isVisible());
    EXPECT_EQ(jobs->pos(), put);
    EXPECT_EQ(JobText(), QString());
    EXPECT_EQ(fake.OpenChannels(), 0);
}

TEST_F(StatusPage, EachOutcomeShowsItsMessage) {
    struct Case {
        const char* name;
        std::function<void(StatusPage&)> setUp;
        std::function<void(CPrinterStatusPage*)> press;
        std::vector<std::string> shown;
        bool window;
        std::size_t documents;
    };
    const auto display = [](CPrinterStatusPage* p) { p->DisplayJobButton()->click(); };
    const auto printJob = [](CPrinterStatusPage* p) { p->PrintJobButton()->click(); };
    const Case cases[] = {
        {"display: not ready",
         [](StatusPage& t) { t.Ready(false); },
         display,
         {"901/warning"},
         false,
         0},
        {"display: a query fails",
         [](StatusPage& t) {
             t.Ready();
             t.fake.PushReceive(Job(1));
             t.fake.PushReceive("", TQ_CANCELLED);
         },
         display,
         {"60900/warning"},
         false,
         0},
        {"print: not ready",
         [](StatusPage& t) { t.Ready(false); },
         printJob,
         {"901/warning"},
         false,
         0},
        {"print: sent",
         [](StatusPage& t) { t.Ready(); },
         printJob,
         {"60901/information"},
         false,
         1},
        {"print: not sent",
         [](StatusPage& t) {
             t.Ready();
             t.spooler.Fail(RecordingSpooler::Step::StartDocument);
         },
         printJob,
         {},
         false,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.Reset();
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        spooler.Clear();
        spooler.Succeed(RecordingSpooler::Step::StartDocument);
        messages.Clear();
        c.setUp(*this);
        c.press(page);
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(page->JobWindow()->isVisible(), c.window);
        EXPECT_EQ(spooler.Documents().size(), c.documents);
        EXPECT_EQ(fake.OpenChannels(), 0);
    }
}

TEST_F(StatusPage, CancelInTheThirdQueryShowsNothing) {
    Ready();
    Jobs(10);
    g_actAt = 3;
    g_act = [this] {
        QDialog* busy = BusyWindow(app->GetText(60300));
        ASSERT_NE(busy, nullptr);
        EXPECT_FALSE(window->isEnabled());
        QPushButton* cancel = busy->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        cancel->click();
    };
    page->DisplayJobButton()->click();
    EXPECT_EQ(g_receives, 3);
    EXPECT_EQ(fake.Calls("TQSend"), 3);
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_FALSE(page->JobWindow()->isVisible());
    EXPECT_EQ(BusyWindow(app->GetText(60300)), nullptr);
    EXPECT_TRUE(window->isEnabled());
}

TEST_F(StatusPage, TheBusyTimeOutShowsWhatCame) {
    Ready();
    Jobs(10);
    g_actAt = 5;
    g_act = [this] { clock.Advance(1000000); };
    page->DisplayJobButton()->click();
    EXPECT_EQ(fake.Calls("TQSend"), 5);
    EXPECT_TRUE(messages.Entries().empty());
    ASSERT_TRUE(page->JobWindow()->isVisible());
    EXPECT_EQ(JobsShown(), 4);
    EXPECT_TRUE(JobText().contains(app->GetText(60202) + " 4 :"));
}

TEST_F(StatusPage, ReviewModeShowsEveryMessageAndTheWindowWithoutAPrinter) {
    app->SetMode(CPlotcareApp::kModeReview);
    window->ShowPage(0);
    messages.Clear();
    window->ShowPage(CPrinterStatusPage::kPageIndex);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"60900/warning", "60901/information"}));
    messages.Clear();
    fake.SetOpenResult(0);
    page->DisplayJobButton()->click();
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_TRUE(page->JobWindow()->isVisible());
    page->PrintCustomButton()->click();
    EXPECT_EQ(Shown(), std::vector<std::string>{"60901/information"});
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes[20], 0x04);
    EXPECT_EQ(fake.Calls("TQGetStatus"), 0);
}

TEST_F(StatusPage, HelpOpensThePagesManual) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    page->HelpButton()->click();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(app->GetManualPath(6, 0)));
    EXPECT_TRUE(catcher.urls[0].path().endsWith("printer-status.html"));
}

} // namespace

#include "PrinterStatusPageTest.moc"
