// The two manual alignment pages in the main window, headless: the fake
// clock, the message recorder, the spooler double, a scripted bidirectional
// library and a driver of the test's own.
#include "../shell/ShellFixture.h"
#include "FakeBidi.h"
#include "RecordingSpooler.h"
#include "app/CInkChipImages.h"
#include "app/ControlHelpers.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/CDigitEdit.h"
#include "custompaper/COwnerDrawCombo.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CManualAlignmentPage.h"
#include "maintenance/SelectedMediaDriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using MA = CManualAlignment;
using Bytes = std::vector<std::uint8_t>;

// Rows: id, file id, sub-id, code, variant, kind-2 excl., auto excl.,
// order, thickness, then Mw/Hres/Vres of modes 1..4.
const char* const kMedia =
    "[Media]\n"
    "MEDIA_NUM=2\n"
    "MEDIA01=101,1,1,7,0,0,1,30,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA02=102,1,2,9,1,1,0,30,8,2,360,720,4,720,720,8,1440,720,16,1440,1440\n";

// What the test's driver says, shared by every driver object the page makes.
struct DriverScript {
    int kind = 1;
    MediaTypeList::DriverMedia media = {{101, "Plain"}, {300, "Not in the table"}, {102, "Coated"}};
    std::vector<std::uint32_t> applied;
};

class ScriptedDriver : public MediaDriver {
public:
    explicit ScriptedDriver(DriverScript& script) : m_script(script) {}
    int DriverKind() override { return m_script.kind; }
    MediaTypeList::DriverMedia Media() override { return m_script.media; }
    int ApplyMedia(std::uint32_t id) override {
        m_script.applied.push_back(id);
        return id == 101 ? 3 : 8;
    }

private:
    DriverScript& m_script;
};

// A status reply: state field, then the ink field for 4 or 8 inks.
Bytes Status(int state, int inks) {
    Bytes fields = {0x01, 0x01, static_cast<std::uint8_t>(state)};
    const std::vector<int> colours =
        inks == 8 ? std::vector<int>{1, 2, 3, 6, 7, 4, 5, 8} : std::vector<int>{1, 2, 3, 4};
    fields.push_back(0x0F);
    fields.push_back(static_cast<std::uint8_t>(1 + 3 * colours.size()));
    fields.push_back(3);
    for (int c : colours)
        fields.insert(fields.end(), {0, static_cast<std::uint8_t>(c), 90});
    const std::string header = "@BDC ST2\r\n";
    Bytes reply(header.begin(), header.end());
    reply.push_back(static_cast<std::uint8_t>(fields.size()));
    reply.push_back(0);
    reply.insert(reply.end(), fields.begin(), fields.end());
    return reply;
}

class ManualAlignmentPageTest : public ShellTest {
public:
    void SetUp() override {
        ShellTest::SetUp();
        shared.mediaTable = std::make_unique<CMediaTable>(dir.write("Media.ini", kMedia));
        shared.inkChips = std::make_unique<CInkChipImages>();
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
        shared.bidiLibrary->SetLibraryName(fake.Path());
        ASSERT_EQ(shared.bidiLibrary->Load("Room2", 1), 1);
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        fake.PushStatus(Status(4, 8));
        spooler.AddPrinter("Room2");
        SetSelectedMediaDriverSource(
            [this] { return std::make_unique<ScriptedDriver>(driver); });
        MA::FirstFillFlag(MA::Direction::Bidirectional) = true;
        MA::FirstFillFlag(MA::Direction::Unidirectional) = true;
        app->SetSelectedPrinter("Room2", "ORVEX Corvan Max 7100", "socket://a:9100");
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        messages.Clear();
    }
    void TearDown() override {
        window.reset();
        SetSelectedMediaDriverSource({});
        shared.bidiLibrary.reset();
        ShellTest::TearDown();
    }
    CManualAlignmentPage* Show(int index) {
        window->ShowPage(index);
        return static_cast<CManualAlignmentPage*>(window->Page(index));
    }
    QStringList Texts(std::initializer_list<int> ids) {
        QStringList texts;
        for (int id : ids)
            texts << app->GetText(id);
        return texts;
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    std::vector<Bytes> Jobs() const {
        std::vector<Bytes> jobs;
        for (const auto& d : spooler.Documents())
            jobs.push_back(d.bytes);
        return jobs;
    }

    FakeBidi fake;
    RecordingSpooler spooler;
    DriverScript driver;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(ManualAlignmentPageTest, ActivationFillsTheMediaListUnderTheBusyDialog) {
    driver.kind = 2;
    bool busyUp = false;
    // The busy dialog is up (and the main window disabled) while the driver
    // is read.
    SetSelectedMediaDriverSource([&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == app->GetText(80000) && !window->isEnabled())
                busyUp = true;
        return std::make_unique<ScriptedDriver>(driver);
    });
    CManualAlignmentPage* page = Show(8);
    ASSERT_EQ(window->CurrentIndex(), 8);
    EXPECT_TRUE(busyUp);
    EXPECT_TRUE(window->isEnabled()) << "the busy dialog is gone";
    EXPECT_TRUE(messages.Entries().empty());

    QComboBox* media = page->MediaList();
    ASSERT_EQ(media->count(), 3) << "media outside the table are left out";
    EXPECT_EQ(media->itemText(0), app->GetText(80110));
    EXPECT_EQ(media->itemText(1), "Plain") << "the auto-adjust exclusion plays no part here";
    EXPECT_FALSE(page->Alignment().Media().MediaItems()[1].Unavailable());
    EXPECT_TRUE(page->Alignment().Media().MediaItems()[2].Unavailable()) << "kind 2 excludes 102";
    EXPECT_EQ(media->currentIndex(), 0);
    EXPECT_TRUE(page->ThicknessEdit()->text().isEmpty());
    EXPECT_FALSE(page->PlatenList()->isEnabled());
    EXPECT_FALSE(page->PrintButton()->isEnabled());
    EXPECT_FALSE(page->SaveButton()->isEnabled());

    // The same printer again: only the refresh (the driver is now kind 1).
    driver.kind = 1;
    window->ShowPage(0);
    Show(8);
    EXPECT_EQ(media->count(), 3);
    EXPECT_FALSE(page->Alignment().Media().MediaItems()[2].Unavailable());
}

TEST_F(ManualAlignmentPageTest, ColumnHeadersFollowTheInkCount) {
    struct Case {
        const char* what;
        int index;
        int inks; // 0: no channel
        std::vector<int> images;
    };
    const Case cases[] = {
        {"bi, 8 inks", 8, 8, {0, 1, 2, 3, 4, 5, 6, 7}},
        {"bi, 4 inks", 8, 4, {0, 1, 2, 3, 8, 9, 10, 11}},
        {"uni, 4 inks", 9, 4, {1, 2, 3, 8, 9, 10, 11}},
        {"uni, no channel", 9, 0, {1, 2, 3, 4, 5, 6, 7}},
    };
    auto* page8 = static_cast<CManualAlignmentPage*>(window->Page(8));
    EXPECT_EQ(page8->HeaderImages(), std::vector<int>(8, -1))
        << "nothing before the ink count is known";
    int printer = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.Reset();
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        if (c.inks)
            fake.PushStatus(Status(4, c.inks));
        else
            fake.SetOpenResult(-1);
        // The count is read when a page is shown for another printer.
        app->SetSelectedPrinter(QStringLiteral("P%1").arg(++printer), "ORVEX Corvan Max 7100",
                                "socket://a");
        EXPECT_EQ(Show(c.index)->HeaderImages(), c.images);
        window->ShowPage(0);
    }
}

TEST_F(ManualAlignmentPageTest, PrintSendsTheTypedValuesAndPutsTheGridBackToFive) {
    CManualAlignmentPage* page = Show(8);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c)
            EXPECT_FALSE(page->Cell(r, c)->isEnabled()) << r << c;
    Type(page->ThicknessEdit(), "3");
    page->RowCheck(0)->click();
    page->RowCheck(2)->click();
    EXPECT_TRUE(page->Cell(0, 7)->isEnabled());
    EXPECT_FALSE(page->Cell(1, 0)->isEnabled());
    ASSERT_TRUE(page->PrintButton()->isEnabled());
    ASSERT_TRUE(page->SaveButton()->isEnabled());
    Type(page->Cell(2, 1), "8");
    page->Cell(3, 3)->setText("2"); // a row that is not checked

    page->PrintButton()->click();
    EXPECT_EQ(messages.Texts(), Texts({80902}));
    EXPECT_EQ(messages.Entries()[0].icon, MessageIcon::Information);
    ASSERT_EQ(spooler.Documents().size(), 1u);
    const Bytes& job = spooler.Documents()[0].bytes;
    ASSERT_EQ(job.size(), 179u);
    // "PH" 3, "SN" 3 (the middle gap), row #3's second column 8, "DT" 83.
    EXPECT_EQ(job[20], 3);
    EXPECT_EQ(job[27], 3);
    EXPECT_EQ(Bytes(job.begin() + 28 + 64 + 8, job.begin() + 28 + 64 + 16),
              (Bytes{'D', 'A', 4, 0, 0, 0, 0x21, 8}));
    EXPECT_EQ(Bytes(job.begin() + 163, job.begin() + 170), (Bytes{'D', 'T', 3, 0, 0, 0, 0x83}));
    EXPECT_EQ(clock.Waits().back(), MA::kPauseAfterJobMs);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(page->Cell(r, c)->text(), "5") << r << c;
    EXPECT_TRUE(page->isEnabled());
}

TEST_F(ManualAlignmentPageTest, SaveOfTheUnidirectionalPage) {
    CManualAlignmentPage* page = Show(9);
    Type(page->ThicknessEdit(), "3");
    page->RowCheck(3)->click();
    page->SaveButton()->click();
    EXPECT_EQ(messages.Texts(), Texts({80903}));
    ASSERT_EQ(spooler.Documents().size(), 1u);
    const Bytes& job = spooler.Documents()[0].bytes;
    ASSERT_EQ(job.size(), 92u);
    EXPECT_EQ(Bytes(job.begin() + 28, job.begin() + 36), (Bytes{'D', 'A', 4, 0, 0, 0x10, 0x31, 5}));
    EXPECT_EQ(Bytes(job.end() - 8, job.end()), (Bytes{'S', 'V', 0, 0, 0x1B, 0, 0, 0}));
}

TEST_F(ManualAlignmentPageTest, FailuresEndInTheirMessage) {
    struct Case {
        const char* what;
        bool ready;
        std::function<void(ManualAlignmentPageTest&)> setUp;
        int text;
    };
    const Case cases[] = {
        {"not ready", false, [](auto&) {}, 901},
        {"SN level", true, [](auto& t) { t.fake.PushReceive("SN:012;"); }, 80900},
        {"job not sent", true,
         [](auto& t) {
             t.fake.PushReceive("SN:010;");
             t.spooler.Fail(RecordingSpooler::Step::Open);
         },
         903},
        {"automatic gap unanswered", true,
         [](auto& t) {
             t.spooler.Succeed(RecordingSpooler::Step::Open);
             t.fake.PushReceive("SN:010;");
             auto* page = static_cast<CManualAlignmentPage*>(t.window->Page(8));
             page->MediaList()->setFocus();
             QTest::keyClick(page->MediaList(), Qt::Key_Down);
             ASSERT_EQ(page->MediaList()->currentIndex(), 1);
         },
         901},
    };
    CManualAlignmentPage* page = Show(8);
    Type(page->ThicknessEdit(), "3");
    page->RowCheck(1)->click();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.Reset();
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        fake.PushStatus(Status(c.ready ? 4 : 3, 8));
        messages.Clear();
        c.setUp(*this);
        page->Cell(1, 4)->setText("9");
        page->PrintButton()->click();
        EXPECT_EQ(messages.Texts(), Texts({c.text}));
        ASSERT_FALSE(messages.Entries().empty());
        EXPECT_EQ(messages.Entries()[0].icon, MessageIcon::Warning);
        EXPECT_TRUE(spooler.Documents().empty());
        EXPECT_EQ(page->Cell(1, 4)->text(), "9") << "the typed values stay";
        EXPECT_TRUE(page->isEnabled());
    }
}

TEST_F(ManualAlignmentPageTest, LeavingRestoresTheKeptValuesExceptInReviewMode) {
    Show(9);
    window->ShowPage(8);
    window->ShowPage(0);
    const Bytes leave = {0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R',  'E',  'M', 'O',
                         'T',  'E',  '1',  'L',  'D',  0x00, 0x00, 0x1B, 0x00, 0x00, 0x00};
    EXPECT_EQ(Jobs(), (std::vector<Bytes>{leave, leave}));
    EXPECT_TRUE(messages.Entries().empty()) << "the leave job reports nothing";

    spooler.Clear();
    app->SetMode(CPlotcareApp::kModeReview);
    Show(8);
    EXPECT_EQ(messages.Texts(), Texts({80901, 80900, 80902, 80903}));
    std::vector<MessageIcon> icons;
    for (const auto& e : messages.Entries())
        icons.push_back(e.icon);
    EXPECT_EQ(icons,
              (std::vector<MessageIcon>{MessageIcon::Warning, MessageIcon::Warning,
                                        MessageIcon::Information, MessageIcon::Information}));
    window->ShowPage(9);
    window->ShowPage(0);
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(ManualAlignmentPageTest, ReviewModePrintsWithoutTheReadinessWait) {
    app->SetMode(CPlotcareApp::kModeReview);
    CManualAlignmentPage* page = Show(9);
    messages.Clear();
    fake.Reset();
    fake.PushReceive("SN:010;"); // no channel list: no status either
    Type(page->ThicknessEdit(), "2");
    page->RowCheck(0)->click();
    page->PrintButton()->click();
    EXPECT_EQ(messages.Texts(), Texts({80902}));
    EXPECT_EQ(fake.Calls("TQGetStatus"), 0);
}

TEST_F(ManualAlignmentPageTest, AnUnavailableMediaIsRefusedAndAChosenOneSetsThickness) {
    driver.kind = 2;
    CManualAlignmentPage* page = Show(8);
    QComboBox* media = page->MediaList();
    media->setFocus();
    QTest::keyClick(media, Qt::Key_Down);
    EXPECT_EQ(media->currentIndex(), 1);
    EXPECT_EQ(driver.applied, std::vector<std::uint32_t>{101});
    EXPECT_EQ(page->ThicknessEdit()->text(), "3");
    EXPECT_TRUE(page->ThicknessEdit()->isReadOnly());
    ASSERT_TRUE(page->PlatenList()->isEnabled());
    EXPECT_EQ(page->PlatenList()->currentText(), app->GetText(80130)) << "automatic gap";
    QTest::keyClick(media, Qt::Key_Down);
    EXPECT_EQ(media->currentIndex(), 1) << "102 cannot be chosen under kind 2";
    EXPECT_EQ(driver.applied.size(), 1u);
}

TEST_F(ManualAlignmentPageTest, KeyboardAloneReachesEveryControl) {
    CManualAlignmentPage* page = Show(9);
    QApplication::setActiveWindow(window.get());
    QComboBox* media = page->MediaList();
    media->setFocus();
    auto tab = [] {
        QWidget* focus = QApplication::focusWidget();
        if (focus) QTest::keyClick(focus, Qt::Key_Tab);
        return QApplication::focusWidget();
    };
    EXPECT_EQ(tab(), page->ThicknessEdit());
    QTest::keyClicks(page->ThicknessEdit(), "4");
    EXPECT_EQ(tab(), page->PlatenList());
    EXPECT_EQ(tab(), page->RowCheck(0));
    QTest::keyClick(page->RowCheck(0), Qt::Key_Space);
    EXPECT_TRUE(page->RowCheck(0)->isChecked());
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(tab(), page->Cell(0, c)) << c;
    QTest::keyClicks(page->Cell(0, 6), "7");
    EXPECT_EQ(page->Cell(0, 6)->text(), "7");
    // Emptied and left, the cell has its last value again.
    QTest::keyClick(page->Cell(0, 6), Qt::Key_Backspace);
    EXPECT_EQ(page->Cell(0, 6)->text(), "");
    EXPECT_EQ(tab(), page->RowCheck(1));
    EXPECT_EQ(page->Cell(0, 6)->text(), "7");
    for (int r = 2; r < 4; ++r)
        EXPECT_EQ(tab(), page->RowCheck(r)) << r;
    EXPECT_EQ(tab(), page->HelpButton());
    EXPECT_EQ(tab(), page->PrintButton());
    EXPECT_EQ(tab(), page->SaveButton());
    EXPECT_EQ(tab(), static_cast<QWidget*>(window.get())) << "Tab on the last stop leaves the page";

    fake.PushReceive("SN:010;");
    page->PrintButton()->setFocus();
    QTest::keyClick(page->PrintButton(), Qt::Key_Space);
    EXPECT_EQ(messages.Texts(), Texts({80902}));
    ASSERT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(spooler.Documents()[0].bytes[28 + 6 * 8 + 7], 7)
        << "the typed value of row #1, column 7";
}

TEST_F(ManualAlignmentPageTest, EveryControlCarriesTheNameOfItsText) {
    for (int index : {8, 9}) {
        SCOPED_TRACE(index);
        CManualAlignmentPage* page = Show(index);
        const int base = index * 10000;
        EXPECT_EQ(page->MediaList()->accessibleName(), app->GetText(base + 2).remove(':'));
        EXPECT_TRUE(
            page->ThicknessEdit()->accessibleName().startsWith(app->GetText(base + 3).remove(':')));
        EXPECT_EQ(page->PlatenList()->accessibleName(), app->GetText(base + 5).remove(':'));
        EXPECT_TRUE(page->RowCheck(2)->accessibleName().endsWith(app->GetText(base + 8)));
        EXPECT_TRUE(page->Cell(2, 3)->accessibleName().contains(app->GetText(base + 8)));
        EXPECT_NE(page->Cell(2, 3)->accessibleName(), page->Cell(2, 4)->accessibleName());
        EXPECT_EQ(page->PrintButton()->accessibleName(), app->GetText(base + 101));
        EXPECT_EQ(page->SaveButton()->text(), app->GetText(base + 102));
        for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->focusPolicy() & Qt::TabFocus) {
                EXPECT_FALSE(w->accessibleName().isEmpty()) << ControlId(w);
            }
        window->ShowPage(0);
    }
}

} // namespace
