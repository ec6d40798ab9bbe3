#include "ShellFixture.h"

#include "app/CPageSelector.h"
#include "app/CInkChipImages.h"
#include "app/CSplashDialog.h"
#include "maintenance/CBusyDialog.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>

#include <algorithm>

namespace {

using Note = std::pair<int, int>;
constexpr int kShow = CPage::kMsgShow;
constexpr int kLeave = CPage::kMsgLeave;

class MainWindowTest : public ShellTest {
protected:
    std::unique_ptr<CMainWindow> Open(bool customFilePage = true) {
        auto window = std::make_unique<CMainWindow>(customFilePage, RecordingFactory(log));
        opened = window->Initialize();
        if (opened) window->show();
        return window;
    }
    RecordingPage* Page(CMainWindow& w, int k) { return static_cast<RecordingPage*>(w.Page(k)); }
    int VisiblePages(CMainWindow& w) {
        int n = 0;
        for (int k = 0; k < CMainWindow::kPageCount; ++k)
            if (w.Page(k) && w.Page(k)->isVisible()) ++n;
        return n;
    }

    NoteLog log;
    bool opened = false;
};

TEST_F(MainWindowTest, OpensOnTheMainMenuAfterTheSplashMinimum) {
    auto w = Open();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(messages.Entries().empty());
    // Start-up takes no time on the fake clock, so the whole minimum is waited.
    ASSERT_FALSE(clock.Waits().empty());
    EXPECT_EQ(clock.Waits().back(), CMainWindow::kSplashMinimumMs);
    EXPECT_EQ(w->CurrentIndex(), 0);
    // The first switch also tells the current page (0) that it is left.
    EXPECT_EQ(log, (NoteLog{{0, kLeave}, {0, kShow}}));
    EXPECT_EQ(w->windowTitle(), "plotcare");
    EXPECT_FALSE(w->PageSelector()->isVisible());
    EXPECT_FALSE(w->DriverSettingsAction()->isEnabled());
    EXPECT_EQ(w->property(CMainWindow::kInstanceProperty).toInt(), 1);
    EXPECT_EQ(CBusyDialog::DefaultOwner(), w.get());
    // Client area: the header's width, the header and the page's height high.
    EXPECT_EQ(w->PageArea()->size(), QSize(600, 66 + 393));
    EXPECT_EQ(w->PageArea()->size(), w->Page(0)->size() + QSize(0, 66));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
}

TEST_F(MainWindowTest, SwitchingPagesKeepsTitleHeaderAndMenuInStep) {
    auto w = Open();
    app->SetSelectedPrinter("Room2", "ORVEX Corvan Max 7100", "socket://a");
    struct Case {
        int page;
        bool driverSettings;
    };
    for (const Case c : {Case{1, true}, Case{2, false}, Case{3, true}, Case{4, false}, Case{5, true},
                         Case{6, false}, Case{7, false}, Case{8, true}, Case{9, true}}) {
        SCOPED_TRACE(c.page);
        w->ShowPage(c.page);
        EXPECT_EQ(w->CurrentIndex(), c.page);
        EXPECT_EQ(w->windowTitle(), "plotcare - Room2");
        EXPECT_EQ(w->DriverSettingsAction()->isEnabled(), c.driverSettings);
        EXPECT_TRUE(w->PageSelector()->isVisible());
        EXPECT_EQ(w->PageSelector()->CurrentPage(), c.page);
        EXPECT_EQ(w->CurrentPageName(), app->GetText(c.page * 10000));
        EXPECT_EQ(w->HeaderSecondLine(), app->GetText(c.page * 10000 + 1));
        EXPECT_TRUE(w->Page(c.page)->isVisible());
        EXPECT_EQ(VisiblePages(*w), 1);
        EXPECT_EQ(w->PageArea()->height(), 66 + 300);
    }
    w->ShowPage(0);
    EXPECT_EQ(w->windowTitle(), "plotcare");
    EXPECT_EQ(w->PageArea()->height(), 66 + 393);
}

TEST_F(MainWindowTest, RefusalFromTheMainMenuReturnsToIt) {
    auto w = Open();
    Page(*w, 3)->refuse = true;
    log.clear();
    w->ShowPage(3);
    EXPECT_EQ(w->CurrentIndex(), 0);
    EXPECT_EQ(log, (NoteLog{{0, kLeave}, {3, kShow}, {0, kLeave}, {0, kShow}}));
    EXPECT_TRUE(w->Page(0)->isVisible());
    EXPECT_EQ(VisiblePages(*w), 1);
    EXPECT_EQ(w->windowTitle(), "plotcare");
}

TEST_F(MainWindowTest, RefusalFromAFunctionPageStaysOnIt) {
    auto w = Open();
    w->ShowPage(2);
    Page(*w, 6)->refuse = true;
    log.clear();
    // The operator picks page 6 in the selector.
    w->PageSelector()->setCurrentIndex(w->PageSelector()->FindPage(6));
    EXPECT_EQ(log, (NoteLog{{2, kLeave}, {6, kShow}}));
    EXPECT_EQ(w->CurrentIndex(), 2);
    EXPECT_EQ(w->PageSelector()->CurrentPage(), 2);
    EXPECT_TRUE(w->Page(2)->isVisible());
    EXPECT_EQ(VisiblePages(*w), 1);
}

TEST_F(MainWindowTest, APageWithoutANameIsLeftOutOfTheSelector) {
    WriteSettingsFile("Localize.ini", "00000000=plotcare\n00010000=One\n00030000=Three\n");
    WriteSettingsFile("L_Const.ini", "");
    auto w = Open();
    ASSERT_TRUE(opened);
    EXPECT_EQ(w->PageSelector()->count(), 3);
    EXPECT_EQ(w->PageSelector()->FindPage(5), -1);
    log.clear();
    w->ShowPage(5); // no entry: nothing happens
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(w->CurrentIndex(), 0);
    w->ShowPage(3);
    EXPECT_EQ(w->CurrentIndex(), 3);
}

TEST_F(MainWindowTest, QzBuildHasNoCustomFilePage) {
    auto w = Open(false);
    ASSERT_TRUE(opened);
    EXPECT_EQ(w->Page(5), nullptr);
    EXPECT_EQ(w->PageSelector()->FindPage(5), -1);
    w->ShowPage(5);
    EXPECT_EQ(w->CurrentIndex(), 0);
}

TEST_F(MainWindowTest, StartUpRefusals) {
    struct Case {
        const char* name;
        int mode;
        bool printers;
        bool failPage;
        QStringList texts;
    };
    for (const Case& c : {Case{"no printer", 0, false, false, {app->GetText(904)}},
                          Case{"no printer, mode 1", 1, false, false, {app->GetText(904)}},
                          Case{"no printer, mode 2 opens", 2, false, false, {}},
                          Case{"page 7 fails", 0, true, true, {app->GetText(902)}}}) {
        SCOPED_TRACE(c.name);
        messages.Clear();
        app->SetMode(c.mode);
        if (!c.printers) SetPrinters({});
        else SetPrinters({{"Room2", "socket://a", "ORVEX Corvan Max 7100"}});
        auto factory = [&](int index, CMainWindow* owner) -> CPage* {
            if (c.failPage && index == 7) return nullptr;
            return RecordingFactory(log)(index, owner);
        };
        CMainWindow w(true, factory);
        const bool ok = w.Initialize();
        EXPECT_EQ(ok, c.texts.isEmpty());
        // Mode 2 shows the main menu's review messages; only refusals count here.
        QStringList texts = messages.Texts();
        if (c.mode == 2) texts.clear();
        EXPECT_EQ(texts, c.texts);
        for (const auto& e : messages.Entries()) {
            if (c.mode == 2) break;
            EXPECT_EQ(e.icon, MessageIcon::Error);
            EXPECT_EQ(e.caption, "plotcare");
        }
    }
}

TEST_F(MainWindowTest, CloseAsksFirstAndCancelKeepsTheWindow) {
    auto w = Open();
    messages.Script({MessageAnswer::Cancel});
    w->close();
    ASSERT_EQ(messages.Texts(), QStringList{app->GetText(900)});
    EXPECT_EQ(messages.Entries()[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(messages.Entries()[0].icon, MessageIcon::Information);
    EXPECT_TRUE(w->isVisible());

    messages.Script({MessageAnswer::Ok});
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->property(CMainWindow::kInstanceProperty).isValid());
}

TEST_F(MainWindowTest, EnterAndEscapeDoNothing) {
    auto w = Open();
    for (QWidget* target : {static_cast<QWidget*>(w.get()), static_cast<QWidget*>(w->Page(0))}) {
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(target, key);
            EXPECT_TRUE(w->isVisible());
        }
    }
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_EQ(w->CurrentIndex(), 0);
}

TEST_F(MainWindowTest, TabAtThePageEdgeWrapsOrGoesToTheWindow) {
    auto w = Open();
    for (bool leaves : {false, true}) {
        SCOPED_TRACE(leaves);
        RecordingPage* page = Page(*w, 6);
        page->tabLeaves = leaves;
        auto* first = new QLineEdit(page);
        auto* last = new QLineEdit(page);
        first->show();
        last->show();
        w->ShowPage(6);
        QApplication::setActiveWindow(w.get());
        last->setFocus();
        QTest::keyClick(last, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), leaves ? static_cast<QWidget*>(w.get()) : first);
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Backtab);
        EXPECT_EQ(QApplication::focusWidget(), leaves ? static_cast<QWidget*>(w.get()) : last);
        // Inside the page Tab moves on as usual.
        first->setFocus();
        QTest::keyClick(first, Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), last);
        delete first;
        delete last;
    }
}

TEST_F(MainWindowTest, DestroyingTheWindowTellsTheCurrentPage) {
    auto w = Open();
    w->ShowPage(4);
    log.clear();
    w.reset();
    EXPECT_EQ(log, (NoteLog{{4, kLeave}}));
}

TEST(SplashDialog, VersionIsMajorDotMinorPatch) {
    EXPECT_EQ(CSplashDialog::VersionText(2, 1, 0), "2.10");
    EXPECT_EQ(CSplashDialog::VersionText(3, 12, 4), "3.124");
    EXPECT_EQ(CSplashDialog::ProgramVersionText(), "2.10");
}

TEST_F(MainWindowTest, SplashAndAboutTakeTheirPictureSizeAndCloseOnAClick) {
    for (auto form : {CSplashDialog::Form::Splash, CSplashDialog::Form::About}) {
        CSplashDialog d(form);
        d.show();
        EXPECT_EQ(d.size(), QSize(485, 250));
        QTest::mouseClick(&d, Qt::LeftButton, {}, QPoint(40, 40));
        EXPECT_FALSE(d.isVisible());
    }
}

} // namespace

namespace {

TEST(InkChipImages, ColumnsTakeTheirChipByInkCount) {
    EnsureApp();
    CInkChipImages chips;
    EXPECT_EQ(chips.ImageSize(), QSize(38, 22));
    struct Case {
        int inks;
        int column;
        int image;
    };
    for (const Case c : {Case{0, 0, -1}, Case{3, 2, -1}, Case{8, 0, 0}, Case{8, 7, 7}, Case{4, 3, 3},
                         Case{4, 4, 8}, Case{4, 7, 11}, Case{5, 6, 6}}) {
        chips.SetInkCount(c.inks);
        EXPECT_EQ(chips.ImageIndexForColumn(c.column), c.image) << c.inks << " inks, column " << c.column;
    }
}

} // namespace
