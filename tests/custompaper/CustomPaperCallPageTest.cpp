// The custom paper call page in the main window, headless: what it reads
// when shown and when a slot is picked, the rows, the buttons' states, Call
// with its confirmation, the failures and their messages, review mode, Edit
// and Help, keyboard use and names. The printer is the fake bidirectional
// library on the local channel, the spooler the recording one.
#include "../shell/ShellFixture.h"
#include "FakeBidi.h"
#include "RecordingSpooler.h"
#include "app/CPageSelector.h"
#include "app/ControlHelpers.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CCustomPaperCallPage.h"
#include "custompaper/CCustomPaperRegPage.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/COwnerDrawCombo.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <map>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kReady{0x01, 0x01, 0x04};
const Bytes kBusy{0x01, 0x01, 0x03};

std::string Hex(const Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// The printer's answer to the names query for slots k, k+1, k+2 (none above
// 10): flag, slot number, 00 00 and the 30-character name field.
std::string NamesReply(int k, const std::map<int, std::string>& names) {
    Bytes data;
    for (int slot = k; slot <= std::min(k + 2, 10); ++slot) {
        const auto it = names.find(slot);
        data.push_back(it != names.end() ? 1 : 0);
        data.push_back(static_cast<std::uint8_t>(slot));
        data.push_back(0);
        data.push_back(0);
        std::string field = it != names.end() ? it->second : "";
        field.resize(30, ' ');
        data.insert(data.end(), field.begin(), field.end());
    }
    return "EX:0000001D" + Hex(data) + ";";
}

// A slot's settings as the printer reports them: the bytes 9..106 of the
// packet that wrote them.
struct Settings {
    std::uint8_t platen = 3;
    std::uint8_t feed = 101 - 12;
    std::uint8_t suction = 26;       // -1
    std::uint8_t cut[2] = {1, 0x7E}; // thick paper (slow)
    std::uint8_t roller = 2;
    std::uint8_t thickness = 4;
    std::uint16_t drying = 2500;  // 25
    std::uint8_t threeWay = 0x30; // 2
    std::string name = "Matte 190";
};

std::string SettingsReply(int slot, const Settings& s) {
    Bytes d(98, 0xFF);
    d[0] = static_cast<std::uint8_t>(slot);
    d[1] = 0;
    d[19] = s.platen;
    d[22] = d[23] = s.feed;
    d[25] = s.suction;
    d[27] = s.cut[0];
    d[28] = s.cut[1];
    d[30] = s.roller;
    d[31] = s.thickness;
    d[36] = static_cast<std::uint8_t>(s.drying >> 8);
    d[37] = static_cast<std::uint8_t>(s.drying);
    d[41] = s.threeWay;
    d[44] = 0x21;
    d[65] = 1;
    d[66] = d[67] = 0;
    std::string field = s.name;
    field.resize(30, ' ');
    std::copy(field.begin(), field.end(), d.begin() + 68);
    return "EX:0000001B" + Hex(d) + ";";
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class CallPage : public ShellTest {
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
        shared.customPaperTable =
            std::make_unique<CCustomPaperTable>(app->GetText(30110).toStdString());
        table = app->GetCustomPaperTable();
        ASSERT_EQ(table, shared.customPaperTable.get());
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        page = dynamic_cast<CCustomPaperCallPage*>(window->Page(CCustomPaperCallPage::kPageIndex));
        ASSERT_NE(page, nullptr);
        messages.Clear();
    }
    void TearDown() override {
        window.reset();
        shared.bidiLibrary.reset();
        shared.customPaperTable.reset();
        ShellTest::TearDown();
    }

    void Ready() { fake.PushStatus(FakeBidi::StatusRecord(kReady)); }
    // From now on every status read gives this record (the fake keeps
    // answering with the last record of its script).
    void StatusFromNowOn(const Bytes& fields) {
        fake.Reset();
        Bytes channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        fake.PushStatus(FakeBidi::StatusRecord(fields));
    }
    // Scripts the four names replies.
    void Names(const std::map<int, std::string>& names) {
        for (int k : {1, 4, 7, 10})
            fake.PushReceive(NamesReply(k, names));
    }
    // Shows the page on a ready printer with these slots registered; the
    // current slot's settings reply follows the names when given.
    void ShowWith(const std::map<int, std::string>& names, const std::string& settings = {}) {
        Ready();
        Names(names);
        if (!settings.empty()) fake.PushReceive(settings);
        window->ShowPage(CCustomPaperCallPage::kPageIndex);
        ASSERT_EQ(window->CurrentIndex(), CCustomPaperCallPage::kPageIndex);
    }
    // Picks an item as the operator does: list opened, item clicked.
    void Pick(int item) {
        COwnerDrawCombo* box = page->Selector();
        box->showPopup();
        QApplication::processEvents();
        box->setCurrentIndex(item);
        emit box->activated(item);
        box->hidePopup();
    }

    std::vector<QString> Rows() const {
        std::vector<QString> out;
        for (int r = 0; r < CCustomPaperCall::kRowCount; ++r)
            out.push_back(page->RowValue(r)->text());
        return out;
    }
    std::vector<QString> SettingsRows() const {
        const auto t = [this](int id) { return app->GetText(id); };
        return {"4 " + t(40011),   t(40123),         t(40131), t(40142),
                "-12 " + t(40012), "25 " + t(40013), t(40151), t(40162)};
    }
    static std::vector<QString> EmptyRows() { return std::vector<QString>(8); }

    // The recorded boxes as "text id/kind".
    std::vector<std::string> Shown() const {
        std::vector<std::string> out;
        for (const MessageRecorder::Entry& e : messages.Entries()) {
            std::string id = "?";
            for (int t : {901, 40900, 40901, 40902, 40903, 40904})
                if (e.text == app->GetText(t)) id = std::to_string(t);
            const char* kind = e.buttons == MessageButtons::YesNo ? "question"
                               : e.icon == MessageIcon::Warning   ? "warning"
                                                                  : "information";
            if (e.buttons == MessageButtons::YesNo) {
                EXPECT_EQ(e.icon, MessageIcon::Information);
            }
            out.push_back(id + "/" + kind);
            EXPECT_EQ(e.caption, app->GetText(0));
        }
        return out;
    }
    // The call jobs the spooler took: the slot number of each.
    std::vector<int> CalledSlots() const {
        std::vector<int> out;
        for (const auto& doc : spooler.Documents()) {
            EXPECT_EQ(doc.bytes.size(), 34u);
            const std::string bytes(doc.bytes.begin(), doc.bytes.end());
            const auto at = bytes.find(std::string("EX\x07\x00\x00\x00\x00\x00\x1C", 9));
            out.push_back(at == std::string::npos ? -1 : static_cast<std::uint8_t>(bytes[at + 9]));
        }
        return out;
    }

    FakeBidi fake;
    RecordingSpooler spooler;
    std::unique_ptr<CMainWindow> window;
    CCustomPaperCallPage* page = nullptr;
    CCustomPaperTable* table = nullptr;
};

TEST_F(CallPage, ShowingReadsTheNamesAndTheLabelsFollowThem) {
    ShowWith({{4, "Matte 190"}, {10, "Last Roll"}});
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_EQ(fake.Calls("TQSend"), 4); // four names exchanges, nothing else
    EXPECT_EQ(fake.OpenChannels(), 0);
    COwnerDrawCombo* box = page->Selector();
    ASSERT_EQ(box->Count(), 11);
    const QString empty = app->GetText(30110);
    EXPECT_EQ(box->ItemText(0), app->GetText(40111));
    for (int k = 1; k <= 10; ++k) {
        const QString name = k == 4 ? "Matte 190" : k == 10 ? "Last Roll" : empty;
        EXPECT_EQ(box->ItemText(k), QString("#%1 %2").arg(k).arg(name)) << k;
    }
    // The table's current slot (the first) is empty: Call off, Edit on.
    EXPECT_EQ(box->Selection(), 1);
    EXPECT_FALSE(page->CallButton()->isEnabled());
    EXPECT_TRUE(page->EditButton()->isEnabled());
    EXPECT_EQ(Rows(), EmptyRows());

    // Shown again, the names are read again and the labels follow.
    window->ShowPage(0);
    Settings renamed;
    renamed.name = "Renamed";
    ShowWith({{1, "Renamed"}}, SettingsReply(1, renamed));
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_EQ(fake.Calls("TQSend"), 8 + 1); // and the first slot's settings
    EXPECT_EQ(Rows(), SettingsRows());
    EXPECT_TRUE(page->CallButton()->isEnabled());
    // (The settings reply gives the name with the blanks of its field.)
    EXPECT_EQ(box->ItemText(1).trimmed(), "#1 Renamed");
    EXPECT_EQ(box->ItemText(4), "#4 " + empty);
    EXPECT_EQ(box->currentText().trimmed(), "#1 Renamed");
}

TEST_F(CallPage, PickingARegisteredSlotReadsItsSettingsEveryTime) {
    ShowWith({{4, "Matte 190"}});
    fake.PushReceive(SettingsReply(4, Settings{}));
    Pick(4);
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_EQ(Rows(), SettingsRows());
    EXPECT_EQ(table->CurrentIndex(), 3);
    EXPECT_TRUE(page->CallButton()->isEnabled());
    EXPECT_TRUE(page->EditButton()->isEnabled());
    const Bytes sent = fake.LastSent();
    ASSERT_EQ(sent.size(), 11u);
    EXPECT_EQ(sent[8], 0x1B);
    EXPECT_EQ(sent[9], 0x83);

    // An empty slot: Call off, Edit on, rows empty, nothing read.
    const int sends = fake.Calls("TQSend");
    Pick(5);
    EXPECT_FALSE(page->CallButton()->isEnabled());
    EXPECT_TRUE(page->EditButton()->isEnabled());
    EXPECT_EQ(Rows(), EmptyRows());
    EXPECT_EQ(table->CurrentIndex(), 4);
    EXPECT_EQ(fake.Calls("TQSend"), sends);

    // Slot 4 again: read again, other values now.
    Settings other;
    other.platen = 5; // outside the row's range: empty
    other.threeWay = 0x00;
    fake.PushReceive(SettingsReply(4, other));
    Pick(4);
    EXPECT_EQ(fake.Calls("TQSend"), sends + 1);
    std::vector<QString> expected = SettingsRows();
    expected[1].clear();
    expected[7] = app->GetText(40160);
    EXPECT_EQ(Rows(), expected);
    EXPECT_EQ(page->RowValue(1)->accessibleName(), "Platen Gap");
    EXPECT_EQ(page->RowValue(7)->accessibleName(), "Feed Speed: " + app->GetText(40160));

    // The standard setting: Edit off, Call on, rows empty.
    Pick(0);
    EXPECT_TRUE(page->CallButton()->isEnabled());
    EXPECT_FALSE(page->EditButton()->isEnabled());
    EXPECT_EQ(Rows(), EmptyRows());
    EXPECT_EQ(table->CurrentIndex(), 3); // the standard setting is no slot
}

TEST_F(CallPage, UnreadableSettingsWarnAndNeverShowAnotherSlotsValues) {
    ShowWith({{2, "Gloss"}, {4, "Matte 190"}});
    fake.PushReceive(SettingsReply(4, Settings{}));
    Pick(4);
    ASSERT_EQ(Rows(), SettingsRows());
    // The same slot unreadable (picked again from the program): its values
    // stay, and so does Call.
    fake.PushReceive("garbage", -5);
    page->SelectItem(4);
    EXPECT_EQ(Shown(), std::vector<std::string>{"40900/warning"});
    EXPECT_EQ(Rows(), SettingsRows());
    EXPECT_TRUE(page->CallButton()->isEnabled());
    // An answer without the settings in it counts as unreadable, too.
    messages.Clear();
    fake.PushReceive("EX:0000001D00;");
    page->SelectItem(4);
    EXPECT_EQ(Shown(), std::vector<std::string>{"40900/warning"});
    EXPECT_EQ(Rows(), SettingsRows());
    // Another registered slot unreadable: the warning, and the rows do not
    // keep slot 4's values under slot 2's name.
    messages.Clear();
    Pick(2);
    EXPECT_EQ(Shown(), std::vector<std::string>{"40900/warning"});
    EXPECT_EQ(Rows(), EmptyRows());
    EXPECT_EQ(table->CurrentIndex(), 1);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

TEST_F(CallPage, ThePageRefusesWhenThePrinterIsNotReadyOrTheNamesCannotBeRead) {
    // Not ready at three status reads: no names query.
    for (int i = 0; i < 3; ++i)
        fake.PushStatus(FakeBidi::StatusRecord(kBusy));
    window->ShowPage(CCustomPaperCallPage::kPageIndex);
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_EQ(Shown(), std::vector<std::string>{"40900/warning"});
    EXPECT_EQ(fake.Calls("TQSend"), 0);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Ready, but the first names exchange fails: the loop ends there.
    messages.Clear();
    Ready();
    window->ShowPage(CCustomPaperCallPage::kPageIndex);
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_EQ(Shown(), std::vector<std::string>{"40900/warning"});
    EXPECT_EQ(fake.Calls("TQSend"), 1);
    EXPECT_EQ(fake.OpenChannels(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // An answer without the names in it: nothing was read, the page would
    // show old names as the printer's.
    messages.Clear();
    Ready();
    fake.PushReceive("EX:0000001C;");
    window->ShowPage(CCustomPaperCallPage::kPageIndex);
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_EQ(Shown(), std::vector<std::string>{"40900/warning"});
}

struct CallCase {
    const char* name;
    int item;             // picked before Call
    bool ready;           // the printer at Call
    MessageAnswer answer; // to the confirmation
    bool spoolerFails;
    std::vector<std::string> shown;
    std::vector<int> called; // slot numbers of the call jobs
};

void PrintTo(const CallCase& c, std::ostream* os) {
    *os << c.name;
}

class CallPageCall : public CallPage, public ::testing::WithParamInterface<CallCase> {};

TEST_P(CallPageCall, CallAsksFirstThenSendsAndSaysHowItWent) {
    const CallCase& c = GetParam();
    ShowWith({{4, "Matte 190"}});
    if (c.item == 4) fake.PushReceive(SettingsReply(4, Settings{}));
    Pick(c.item);
    ASSERT_TRUE(page->CallButton()->isEnabled());
    messages.Clear();
    StatusFromNowOn(c.ready ? kReady : kBusy);
    messages.Script({c.answer});
    if (c.spoolerFails) spooler.Fail(RecordingSpooler::Step::StartDocument);
    page->CallButton()->click();
    EXPECT_EQ(Shown(), c.shown);
    EXPECT_EQ(CalledSlots(), c.called);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(window->CurrentIndex(), CCustomPaperCallPage::kPageIndex);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, CallPageCall,
    ::testing::Values(
        CallCase{"slot_yes",
                 4,
                 true,
                 MessageAnswer::Yes,
                 false,
                 {"40901/question", "40902/information"},
                 {4}},
        CallCase{"slot_no", 4, true, MessageAnswer::No, false, {"40901/question"}, {}},
        CallCase{"standard_yes",
                 0,
                 true,
                 MessageAnswer::Yes,
                 false,
                 {"40901/question", "40903/information"},
                 {0}},
        CallCase{"standard_no", 0, true, MessageAnswer::No, false, {"40901/question"}, {}},
        CallCase{
            "not_ready_asks_nothing", 4, false, MessageAnswer::Yes, false, {"901/warning"}, {}},
        CallCase{"slot_not_sent",
                 4,
                 true,
                 MessageAnswer::Yes,
                 true,
                 {"40901/question", "40904/warning"},
                 {}},
        CallCase{"standard_not_sent",
                 0,
                 true,
                 MessageAnswer::Yes,
                 true,
                 {"40901/question", "40904/warning"},
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CallPage, ReviewModeOpensWithoutPrinterShowsEveryMessageAndCallsWithoutWaiting) {
    app->SetMode(CPlotcareApp::kModeReview);
    const std::vector<std::string> review{"40900/warning", "40901/question", "40903/information",
                                          "40902/information", "40904/warning"};
    // Not ready: the page opens all the same, with every message in turn.
    for (int i = 0; i < 3; ++i)
        fake.PushStatus(FakeBidi::StatusRecord(kBusy));
    window->ShowPage(CCustomPaperCallPage::kPageIndex);
    ASSERT_EQ(window->CurrentIndex(), CCustomPaperCallPage::kPageIndex);
    EXPECT_EQ(Shown(), review);
    // Ready with names: the same messages again; a failed settings read
    // shows none.
    window->ShowPage(0);
    messages.Clear();
    ShowWith({{3, "Review"}});
    EXPECT_EQ(Shown(), review);
    messages.Clear();
    Pick(3);
    EXPECT_TRUE(messages.Entries().empty());
    // Call asks and sends without a readiness wait.
    ASSERT_TRUE(page->CallButton()->isEnabled());
    const int statusReads = fake.Calls("TQGetStatus");
    messages.Script({MessageAnswer::Yes});
    page->CallButton()->click();
    EXPECT_EQ(fake.Calls("TQGetStatus"), statusReads);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"40901/question", "40902/information"}));
    EXPECT_EQ(CalledSlots(), std::vector<int>{3});
}

TEST_F(CallPage, EditOpensTheRegistrationPageOnTheSameSlotAndHelpThePagesManual) {
    ShowWith({{4, "Matte 190"}});
    Pick(6);
    // The registration page reads the names again when it is shown.
    shared.mediaTable = std::make_unique<CMediaTable>(dir.file("program/Settings/Media.ini"));
    Ready();
    Names({{4, "Matte 190"}});
    page->EditButton()->click();
    EXPECT_EQ(window->CurrentIndex(), CCustomPaperCallPage::kRegistrationPage);
    EXPECT_EQ(table->CurrentIndex(), 5);
    auto* registration = dynamic_cast<CCustomPaperRegPage*>(window->Page(3));
    ASSERT_NE(registration, nullptr);
    EXPECT_EQ(registration->NameSelector()->currentIndex(), 5);
    EXPECT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
    // Back on the call page, the selector stands on that slot again.
    ShowWith({{4, "Matte 190"}});
    EXPECT_EQ(page->Selector()->Selection(), 6);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    page->HelpButton()->click();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(app->GetManualPath(4, 0)));
}

TEST_F(CallPage, ControlsCarryTheirTextsNamesAndPlaces) {
    ShowWith({});
    struct Row {
        int id;
        int text;
    };
    std::vector<Row> rows{{1067, 40002}, {1050, 40101}, {1051, 40102}, {1003, 40100}};
    for (int r = 0; r < 8; ++r)
        rows.push_back({1070 + r, 40003 + r});
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        QWidget* control = FindControl(page, r.id);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->isVisible());
        EXPECT_EQ(ControlText(control), app->GetText(r.text));
        EXPECT_EQ(control->font(), app->GetFont(r.text));
        EXPECT_LE(control->sizeHint().width(), control->width()) << "text cut off";
    }
    EXPECT_EQ(page->Selector()->accessibleName(), "Custom Paper");
    EXPECT_EQ(page->CallButton()->accessibleName(), app->GetText(40101));
    EXPECT_EQ(page->EditButton()->accessibleName(), app->GetText(40102));
    EXPECT_EQ(page->HelpButton()->accessibleName(), app->GetText(40100));
    EXPECT_EQ(page->RowValue(0)->accessibleName(), "Paper Thickness");
    // Every control inside the page and none over another (the group frame
    // holds the rest); the window fits the page.
    const auto children = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* a : children) {
        EXPECT_TRUE(page->rect().contains(a->geometry())) << ControlId(a);
        for (QWidget* b : children)
            if (a != b && ControlId(a) != 1067 && ControlId(b) != 1067) {
                EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                    << ControlId(a) << " " << ControlId(b);
            }
    }
    EXPECT_EQ(window->PageArea()->size(), QSize(600, 66 + CCustomPaperCallPage::kHeight));
}

TEST_F(CallPage, TheKeyboardReachesEveryControlAndPicksAndCalls) {
    ShowWith({{2, "Gloss"}});
    QApplication::setActiveWindow(window.get());
    const QList<QWidget*> order{page->Selector(), page->CallButton(), page->EditButton(),
                                page->HelpButton()};
    // On an empty slot Call is off and no tab stop.
    EXPECT_EQ(page->TabStops(), (QList<QWidget*>{order[0], order[2], order[3]}));
    QTest::keyClick(window.get(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(window->PageSelector()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), order[0]);
    // The arrow keys pick: slot 2 is read and Call comes on.
    fake.PushReceive(SettingsReply(2, Settings{}));
    QTest::keyClick(order[0], Qt::Key_Down);
    EXPECT_EQ(page->Selector()->Selection(), 2);
    EXPECT_EQ(Rows(), SettingsRows());
    EXPECT_EQ(page->TabStops(), order);
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]);
    }
    // Past the last control the focus goes to the main window.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.get());
    order[0]->setFocus();
    QTest::keyClick(order[0], Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), window.get());
    // Space presses Call.
    Ready();
    messages.Script({MessageAnswer::Yes});
    page->CallButton()->setFocus();
    QTest::keyClick(page->CallButton(), Qt::Key_Space);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"40901/question", "40902/information"}));
    EXPECT_EQ(CalledSlots(), std::vector<int>{2});
}

} // namespace

#include "CustomPaperCallPageTest.moc"
