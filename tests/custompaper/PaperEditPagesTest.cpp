// The registration page and the custom file page in the main window,
// headless: what they show when shown and when a slot or an entry is
// picked, the thickness typed with the keyboard, the placeholder media, the
// thickness pattern job, review mode, keyboard use and names, and the
// QZ-7100 build without the custom file page. The printer is the fake
// bidirectional library on the local channel, the spooler the recording
// one, the driver a scripted one.
#include "../shell/ShellFixture.h"
#include "FakeBidi.h"
#include "PaperEditFixture.h"
#include "RecordingSpooler.h"
#include "SlotReplies.h"
#include "app/ControlHelpers.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CCustomFilePage.h"
#include "custompaper/CCustomPaperRegPage.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CCutSuctionTab.h"
#include "custompaper/CDigitEdit.h"
#include "custompaper/CFeedDryTab.h"
#include "custompaper/CFileQualityTab.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CValuePair.h"
#include "maintenance/SelectedMediaDriver.h"
#include "platform/FileDialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <map>

namespace {

using Bytes = std::vector<std::uint8_t>;
const Bytes kReady{0x01, 0x01, 0x04};
const Bytes kBusy{0x01, 0x01, 0x03};
const std::string kDriver = "ORVEX Corvan Max 7100";

// Hands the pages the test's scripted driver.
class DriverView final : public MediaDriver {
public:
    explicit DriverView(ScriptedMediaDriver& d) : m_d(d) {}
    int DriverKind() override { return m_d.DriverKind(); }
    MediaTypeList::DriverMedia Media() override { return m_d.Media(); }
    int ApplyMedia(std::uint32_t id) override { return m_d.ApplyMedia(id); }
    std::string InkPatternText() override { return m_d.InkPatternText(); }

private:
    ScriptedMediaDriver& m_d;
};

class PaperPages : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
        shared.bidiLibrary->SetLibraryName(fake.Path());
        ASSERT_EQ(shared.bidiLibrary->Load("Room2", 1), 1);
        Rescript();
        spooler.AddPrinter("Room2", "socket://a:9100", kDriver);
        app->SetSelectedPrinter("Room2", QString::fromStdString(kDriver), "socket://a:9100");
        shared.customPaperTable =
            std::make_unique<CCustomPaperTable>(app->GetText(30110).toStdString());
        shared.mediaTable = std::make_unique<CMediaTable>(dir.write("Media.ini", kPaperEditMedia));
        SetSelectedMediaDriverSource([this] { return std::make_unique<DriverView>(driver); });
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        messages.Clear();
    }
    void TearDown() override {
        window.reset();
        SetSelectedMediaDriverSource(nullptr);
        shared.bidiLibrary.reset();
        shared.customPaperTable.reset();
        shared.mediaTable.reset();
        ShellTest::TearDown();
    }
    void Rescript() {
        fake.Reset();
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
    }
    void Names(const std::map<int, std::string>& registered) {
        for (int k : {1, 4, 7, 10}) {
            std::vector<Bytes> entries;
            for (int n = k; n <= std::min(k + 2, 10); ++n) {
                const auto it = registered.find(n);
                entries.push_back(
                    NameEntry(it != registered.end(), n, it != registered.end() ? it->second : ""));
            }
            fake.PushReceive(NamesReply(entries));
        }
    }
    CCustomPaperRegPage* Reg() const {
        return static_cast<CCustomPaperRegPage*>(window->Page(CCustomPaperRegPage::kPageIndex));
    }
    CCustomFilePage* File() const {
        return static_cast<CCustomFilePage*>(window->Page(CCustomFilePage::kPageIndex));
    }
    void ShowReg(const std::map<int, std::string>& registered) {
        fake.PushStatus(FakeBidi::StatusRecord(kReady));
        Names(registered);
        window->ShowPage(CCustomPaperRegPage::kPageIndex);
        ASSERT_EQ(window->CurrentIndex(), CCustomPaperRegPage::kPageIndex)
            << messages.Texts().join("|").toStdString();
    }
    // Picks an item as the operator does: list opened, item clicked.
    static void Pick(COwnerDrawCombo* box, int item) {
        box->showPopup();
        QApplication::processEvents();
        box->setCurrentIndex(item);
        emit box->activated(item);
        box->hidePopup();
    }
    // Types into the thickness field as the operator does.
    static void TypeThickness(CPaperEditPage* page, const QString& keys) {
        QLineEdit* edit = page->ThicknessEdit();
        edit->setFocus();
        edit->selectAll();
        if (keys.isEmpty())
            QTest::keyClick(edit, Qt::Key_Delete);
        else
            QTest::keyClicks(edit, keys);
    }
    static QStringList Items(QComboBox* box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }
    // The focus stops Tab visits from the page's first one, in order, until
    // it comes back.
    std::vector<QWidget*> TabWalk(CPage* page) {
        std::vector<QWidget*> seen;
        QApplication::setActiveWindow(window.get());
        QList<QWidget*> stops = page->TabStops();
        if (stops.isEmpty()) return seen;
        stops.first()->setFocus();
        QApplication::processEvents();
        QWidget* first = QApplication::focusWidget();
        for (int i = 0; i < 60; ++i) {
            QWidget* now = QApplication::focusWidget();
            if (!now || (i > 0 && now == first)) break;
            seen.push_back(now);
            QTest::keyClick(now, Qt::Key_Tab);
        }
        return seen;
    }
    static CustomPaperSlot Canvas() {
        CustomPaperSlot s;
        s.MediaCode = 14;
        s.Paperthick = 4;
        s.Platen = 1;
        s.Forward = -12;
        s.Drytime = 25;
        s.Paperdraw = -2;
        s.PaperCut = 3;
        s.Roller = 2;
        s.ThreeWay = 1;
        return s;
    }

    FakeBidi fake;
    RecordingSpooler spooler;
    ScriptedMediaDriver driver;
    std::unique_ptr<CMainWindow> window;
};

TEST_F(PaperPages, RegistrationShowsTheSlotsAndTheSlotPicked) {
    ShowReg({{4, "Canvas"}, {5, "Odd"}});
    EXPECT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
    CCustomPaperRegPage* page = Reg();
    const QString empty = app->GetText(30110);
    const QStringList slotItems = Items(page->NameSelector());
    ASSERT_EQ(slotItems.size(), 10);
    EXPECT_EQ(slotItems[0], "#1 " + empty);
    EXPECT_EQ(slotItems[3], "#4 Canvas");
    EXPECT_EQ(page->NameSelector()->currentIndex(), 0);
    EXPECT_EQ(Items(page->MediaList()), (QStringList{"Plain", "Canvas", "Board"}));
    EXPECT_EQ(page->ThicknessEdit()->text(), "3");

    // A registered slot: its settings fill the page and the tabs.
    fake.PushReceive(SettingsReply(SettingBytes(Canvas(), "Canvas", 4)));
    Pick(page->NameSelector(), 3);
    EXPECT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
    EXPECT_EQ(page->MediaList()->currentText(), "Canvas");
    EXPECT_EQ(page->ThicknessEdit()->text(), "4");
    EXPECT_EQ(Items(page->PlatenList()),
              (QStringList{app->GetText(30131), app->GetText(30132), app->GetText(30133)}));
    EXPECT_EQ(page->PlatenList()->currentIndex(), 0);
    EXPECT_EQ(page->FeedDryTab()->ForwardPair()->Edit()->text(), "-12");
    EXPECT_EQ(page->CutSuctionTab()->RollerBox()->currentIndex(), 2);
    EXPECT_TRUE(page->FeedDryTab()->DetailButton()->isEnabled());
    // Filling the controls wrote nothing else back.
    CustomPaperSlot& record = app->GetCustomPaperTable()->SlotAt(3);
    EXPECT_EQ(record.Forward, -12);
    EXPECT_EQ(record.Platen, 1);
    EXPECT_EQ(record.Paperdraw, -2);

    // A media the table does not know: the placeholder; a real one removes it.
    CustomPaperSlot odd = Canvas();
    odd.MediaCode = 200;
    fake.PushReceive(SettingsReply(SettingBytes(odd, "Odd", 5)));
    Pick(page->NameSelector(), 4);
    EXPECT_EQ(page->MediaList()->currentText(), app->GetText(30120));
    EXPECT_FALSE(page->FeedDryTab()->DetailButton()->isEnabled());
    Pick(page->MediaList(), 2);
    EXPECT_EQ(Items(page->MediaList()), (QStringList{"Plain", "Canvas", "Board"}));
    EXPECT_EQ(app->GetCustomPaperTable()->SlotAt(4).MediaCode, 20);
    EXPECT_EQ(page->ThicknessEdit()->text(), "12");
    EXPECT_EQ(page->PlatenList()->count(), 1);

    // An empty slot takes over what is on screen.
    Pick(page->NameSelector(), 7);
    const CustomPaperSlot& taken = app->GetCustomPaperTable()->SlotAt(7);
    EXPECT_EQ(taken.MediaId, 401);
    EXPECT_EQ(taken.Paperthick, 12);
    EXPECT_EQ(taken.Forward, -12);
    EXPECT_EQ(app->GetCustomPaperTable()->CurrentIndex(), 7);
}

TEST_F(PaperPages, ThicknessTypedOffersThePlatenGapsAndTheResetFlag) {
    ShowReg({});
    CCustomPaperRegPage* page = Reg();
    const CustomPaperSlot& record = app->GetCustomPaperTable()->SlotAt(0);
    TypeThickness(page, "9");
    EXPECT_EQ(page->PlatenList()->count(), 1);
    EXPECT_EQ(record.Paperthick, 9);
    EXPECT_EQ(record.Platen, 1);
    TypeThickness(page, "2");
    EXPECT_EQ(page->PlatenList()->count(), 4);
    QTest::keyClick(page->PlatenList(), Qt::Key_Down);
    EXPECT_EQ(record.Platen, 2);
    TypeThickness(page, "");
    EXPECT_FALSE(page->PlatenList()->isEnabled());
    EXPECT_EQ(record.Paperthick, 2) << "an empty field leaves the record";
    // The next thickness typed picks the third platen gap.
    QTest::keyClicks(page->ThicknessEdit(), "5");
    EXPECT_TRUE(page->PlatenList()->isEnabled());
    EXPECT_EQ(page->PlatenList()->currentIndex(), 2);
    EXPECT_EQ(record.Platen, 3);
    // Cleaned as typed: 99 becomes 16.
    TypeThickness(page, "99");
    EXPECT_EQ(page->ThicknessEdit()->text(), "16");
    EXPECT_EQ(record.Paperthick, 16);
}

TEST_F(PaperPages, RegistrationRefusedWhenThePrinterIsNotReady) {
    fake.PushStatus(FakeBidi::StatusRecord(kBusy));
    window->ShowPage(CCustomPaperRegPage::kPageIndex);
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(30901)});
}

TEST_F(PaperPages, ThicknessPatternSendsItsJob) {
    ShowReg({});
    fake.PushStatus(FakeBidi::StatusRecord(kReady));
    Reg()->PatternButton()->click();
    ASSERT_EQ(spooler.Documents().size(), 1u);
    const Bytes& job = spooler.Documents()[0].bytes;
    ASSERT_EQ(job.size(), 30u);
    EXPECT_EQ(Bytes(job.begin() + 15, job.begin() + 21), (Bytes{'S', 'S', 2, 0, 0, 3}));
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(30905)});

    // Not ready: 901, nothing sent.
    messages.Clear();
    Rescript();
    fake.PushStatus(FakeBidi::StatusRecord(kBusy));
    Reg()->PatternButton()->click();
    EXPECT_EQ(spooler.Documents().size(), 1u);
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(901)});
}

TEST_F(PaperPages, ReviewModeShowsEveryMessageOfBothPages) {
    app->SetMode(CPlotcareApp::kModeReview);
    window->ShowPage(CCustomPaperRegPage::kPageIndex);
    ASSERT_EQ(window->CurrentIndex(), CCustomPaperRegPage::kPageIndex);
    QStringList expected;
    for (int id : {30901, 30900, 30902, 30903, 30904, 50950, 50951, 50952, 50953, 50954, 30905})
        expected << app->GetText(id);
    EXPECT_EQ(messages.Texts(), expected);
    EXPECT_EQ(messages.Entries()[2].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.Entries()[3].icon, MessageIcon::Information);

    messages.Clear();
    window->ShowPage(CCustomFilePage::kPageIndex);
    ASSERT_EQ(window->CurrentIndex(), CCustomFilePage::kPageIndex);
    expected.clear();
    for (int id : {50901, 50900, 50902, 50903, 50950, 50951, 50952, 50953, 50954, 50904})
        expected << app->GetText(id);
    EXPECT_EQ(messages.Texts(), expected);
}

TEST_F(PaperPages, BothPagesAreUsableByKeyboardAndNamed) {
    ShowReg({});
    for (CPaperEditPage* page :
         {static_cast<CPaperEditPage*>(Reg()), static_cast<CPaperEditPage*>(File())}) {
        if (page == File()) {
            window->ShowPage(CCustomFilePage::kPageIndex);
            ASSERT_EQ(window->CurrentIndex(), CCustomFilePage::kPageIndex);
        }
        const std::vector<QWidget*> walk = TabWalk(page);
        ASSERT_FALSE(walk.empty());
        std::vector<QWidget*> expected{page->NameSelector(), page->MediaList(),
                                       page->ThicknessEdit(), page->PlatenList(),
                                       page->SaveButton()};
        if (page->BrowseButton()) expected.insert(expected.begin(), page->BrowseButton());
        auto at = walk.begin();
        for (QWidget* w : expected) {
            at = std::find(at, walk.end(), w);
            EXPECT_NE(at, walk.end()) << w->objectName().toStdString() << " not reached in order";
        }
        // The walk passes through the visible tab's controls.
        QWidget* tab = page->Tabs()->currentWidget();
        EXPECT_TRUE(std::any_of(walk.begin(), walk.end(),
                                [tab](QWidget* w) { return tab->isAncestorOf(w); }));
        for (QWidget* w : walk)
            EXPECT_FALSE(w->accessibleName().isEmpty())
                << w->metaObject()->className() << " without a name";
        // Every control inside the page and none over another.
        const auto children = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* a : children) {
            EXPECT_TRUE(page->rect().contains(a->geometry())) << ControlId(a);
            for (QWidget* b : children)
                if (a != b && a->isVisible() && b->isVisible()) {
                    EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                        << ControlId(a) << " " << ControlId(b);
                }
        }
    }
}

TEST_F(PaperPages, CustomFileBrowseListsEntriesAndRefusesThoseThatDoNotSuit) {
    window->ShowPage(CCustomFilePage::kPageIndex);
    ASSERT_EQ(window->CurrentIndex(), CCustomFilePage::kPageIndex);
    CCustomFilePage* page = File();
    EXPECT_EQ(Items(page->NameSelector()), QStringList{app->GetText(50110)});
    const auto entry = [](int k, const std::string& name, int id, int sid, const char* ink) {
        return "[Media0" + std::to_string(k) + "]\nCustomName=" + name +
               "\nID=" + std::to_string(id) +
               "\nMode=3\nHres=720\nVres=720\nMw=8\nDensity=-5\n"
               "Forward=12\nDrytime=7\nPaperthick=4\nPaperdraw=-1\nPaperCut=2\nInkMode=" +
               ink + "\nPlaten=2\nRoller=3\nSID=" + std::to_string(sid) + "\n";
    };
    const std::string path =
        dir.write("papers.ZMD", "[Base]\nVersion=2.00\nModel=Corvan Max 7100\nMediaCount=2\n" +
                                    entry(1, "Canvas matte", 3, 1, kInkA) +
                                    entry(2, "Other ink", 3, 1, kInkB));
    ScriptedFileDialogs dialogs;
    dialogs.Script(QString::fromStdString(path));
    page->BrowseButton()->click();
    EXPECT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
    EXPECT_EQ(page->FileNameText()->text(), "papers.ZMD");
    EXPECT_TRUE(page->FileNameText()->accessibleName().endsWith(": papers.ZMD"));
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    EXPECT_EQ(dialogs.Requests()[0].defaultExtension, "ZMD");
    EXPECT_EQ(Items(page->NameSelector()),
              (QStringList{app->GetText(50110), "Canvas matte", "Other ink"}));
    EXPECT_TRUE(page->NameSelector()->IsItemMarked(2));

    // The marked entry cannot be picked: the selector reverts.
    Pick(page->NameSelector(), 2);
    EXPECT_EQ(page->NameSelector()->Selection(), 0);
    Pick(page->NameSelector(), 1);
    EXPECT_EQ(page->NameSelector()->Selection(), 1);
    EXPECT_EQ(page->MediaList()->currentText(), "Canvas");
    EXPECT_EQ(page->ThicknessEdit()->text(), "4");
    EXPECT_EQ(page->PlatenList()->currentIndex(), 1);
    EXPECT_EQ(page->QualityTab()->DensityPair()->Edit()->text(), "-5");
    EXPECT_EQ(page->Logic()->Record().CustomName, "Canvas matte");

    // A file of another model is refused; the current file stays.
    const std::string other =
        dir.write("qz.ZMD", "[Base]\nVersion=2.00\nModel=QZ-7100\nMediaCount=0\n");
    dialogs.Script(QString::fromStdString(other));
    page->BrowseButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(50900)});
    EXPECT_EQ(page->FileNameText()->text(), "papers.ZMD");
    EXPECT_EQ(page->NameSelector()->count(), 3);
}

TEST_F(PaperPages, TheQzBuildHasNoCustomFilePage) {
    window.reset();
    MakeApp("QZ-7100");
    window = std::make_unique<CMainWindow>(false);
    ASSERT_TRUE(window->Initialize());
    EXPECT_EQ(window->Page(CCustomFilePage::kPageIndex), nullptr);
    window->ShowPage(0);
    window->ShowPage(CCustomFilePage::kPageIndex);
    EXPECT_NE(window->CurrentIndex(), CCustomFilePage::kPageIndex);
    EXPECT_NE(dynamic_cast<CCustomPaperRegPage*>(window->Page(CCustomPaperRegPage::kPageIndex)),
              nullptr);
}

} // namespace
