// The four setting tabs, headless: the value pairs' rules as the operator
// types, slides and leaves a box; the choice boxes and the suction slider;
// loading from a record; the print mode list of a media; the Detail
// buttons' requests; keyboard order and accessible names.
#include "../shell/ShellFixture.h"
#include "TestFiles.h"
#include "custompaper/CCutSuctionTab.h"
#include "custompaper/CDigitEdit.h"
#include "custompaper/CFeedDryTab.h"
#include "custompaper/CFileCutTab.h"
#include "custompaper/CFileQualityTab.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CValuePair.h"
#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Media 105 offers print modes 1 and 3 only; media 101 all four.
const char* const kMedia =
    "[Media]\n"
    "MEDIA_NUM=2\n"
    "MEDIA01=101,1,1,1,0,0,0,30,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA02=105,1,3,3,0,0,0,10,2,2,360,720,-1,-1,-1,8,1440,720,-1,-1,-1\n";

// A shown window with the tab under test and an edit the focus can move to.
class Tabs : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        window = std::make_unique<QWidget>();
        layout = new QVBoxLayout(window.get());
        other = new QLineEdit(window.get());
        other->setObjectName("other");
        layout->addWidget(other);
    }
    void TearDown() override {
        window.reset();
        ShellTest::TearDown();
    }
    template <typename T> T* Add(T* tab) {
        tab->setFixedSize(T::kWidth, T::kHeight);
        layout->insertWidget(0, tab);
        window->show();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
        return tab;
    }
    // Empties the box as the operator does, then types `keys`.
    static void Retype(QLineEdit* edit, const char* keys) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, keys);
    }

    std::unique_ptr<QWidget> window;
    QVBoxLayout* layout = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(Tabs, ValueBoxesCleanWhatIsTypedAndStoreIt) {
    CustomPaperSlot slot;
    auto* tab = Add(new CFeedDryTab);
    tab->Bind(&slot, true);
    CustomFileRecord record;
    auto* quality = Add(new CFileQualityTab);
    quality->Bind(&record, true);

    struct Case {
        const char* what;
        CValuePair* pair;
        std::int32_t* field;
        const char* typed;
        const char* shown;
        int slider;
        int stored; // the field before typing is 33: 33 means unchanged
    };
    const Case cases[] = {
        {"12 then a minus", tab->ForwardPair(), &slot.Forward, "12-", "-12", -12, -12},
        {"two minus signs before 12", tab->ForwardPair(), &slot.Forward, "--12", "12", 12, 12},
        {"a minus alone", tab->ForwardPair(), &slot.Forward, "-", "-", 0, 0},
        {"letters alone", tab->ForwardPair(), &slot.Forward, "ab", "", 0, 33},
        {"beyond the range", tab->ForwardPair(), &slot.Forward, "-99", "-70", -70, -70},
        {"drying time 99", tab->DrytimePair(), &slot.Drytime, "99", "50", 50, 50},
        {"no sign in drying time", tab->DrytimePair(), &slot.Drytime, "-7", "7", 7, 7},
        {"density minus zero", quality->DensityPair(), &record.Density, "-0", "-0", 0, 0},
        {"density 51", quality->DensityPair(), &record.Density, "51", "50", 50, 50},
        {"file drying time", quality->DrytimePair(), &record.Drytime, "12", "12", 12, 12},
    };
    for (const Case& c : cases) {
        *c.field = 33;
        Retype(c.pair->Edit(), c.typed);
        EXPECT_EQ(c.pair->Edit()->text(), QString(c.shown)) << c.what;
        EXPECT_EQ(c.pair->Slider()->value(), c.slider) << c.what;
        EXPECT_EQ(*c.field, c.stored) << c.what;
    }
}

TEST_F(Tabs, AnEmptyBoxLeftGetsZeroAndStoresIt) {
    CustomPaperSlot slot;
    slot.Drytime = 20;
    auto* tab = Add(new CFeedDryTab);
    tab->Bind(&slot, true);
    CDigitEdit* edit = tab->DrytimePair()->Edit();
    Retype(edit, "");
    EXPECT_EQ(edit->text(), QString());
    EXPECT_EQ(tab->DrytimePair()->Slider()->value(), 0);
    EXPECT_EQ(slot.Drytime, 20); // empty: the record keeps its value
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(edit->text(), QString("0"));
    EXPECT_EQ(slot.Drytime, 0);
}

TEST_F(Tabs, MovingASliderWritesTheBoxAndTheRecord) {
    CustomPaperSlot slot;
    auto* tab = Add(new CFeedDryTab);
    tab->Bind(&slot, true);
    QSignalSpy changed(tab, &CFeedDryTab::Changed);
    QSlider* slider = tab->ForwardPair()->Slider();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_EQ(tab->ForwardPair()->Edit()->text(), QString("-2"));
    EXPECT_EQ(slot.Forward, -2);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(tab->ForwardPair()->Edit()->text(), QString("70"));
    EXPECT_EQ(slot.Forward, 70);
    EXPECT_GE(changed.count(), 3);

    // Without a record the controls still work and nothing is written.
    tab->Bind(nullptr, false);
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(tab->ForwardPair()->Edit()->text(), QString("-70"));
    EXPECT_EQ(slot.Forward, 70);
}

TEST_F(Tabs, ChoiceBoxesStoreTheirItemAndSuctionIsTakenWhenLetGo) {
    CustomPaperSlot slot;
    auto* tab = Add(new CCutSuctionTab);
    tab->Bind(&slot, true);
    // The cut box lists 30140, 30143, 30141, 30142: item index = value.
    EXPECT_EQ(tab->CutBox()->itemText(1), app->GetText(30143));
    tab->CutBox()->setCurrentIndex(2);
    tab->RollerBox()->setCurrentIndex(3);
    tab->ThreeWayBox()->setCurrentIndex(1);
    EXPECT_EQ(slot.PaperCut, 2);
    EXPECT_EQ(slot.Roller, 3);
    EXPECT_EQ(slot.ThreeWay, 1);

    // Dragged: nothing until the operator lets go.
    QSlider* suction = tab->SuctionSlider();
    suction->setSliderDown(true);
    suction->setSliderPosition(3);
    EXPECT_EQ(slot.Paperdraw, 0);
    suction->setSliderDown(false); // sends the release
    EXPECT_EQ(slot.Paperdraw, -3);
    // By key: taken at once.
    suction->setFocus();
    QTest::keyClick(suction, Qt::Key_Left);
    EXPECT_EQ(slot.Paperdraw, -2);
}

TEST_F(Tabs, LoadingShowsTheRecordAndTakesBackOnlyWhatTheControlsCannotShow) {
    struct Case {
        const char* what;
        CustomPaperSlot slot;
        CustomPaperSlot after;
        int suctionPosition;
    };
    const auto slot = [](int cut, int roller, int draw, int three) {
        CustomPaperSlot s;
        s.Forward = -12;
        s.Drytime = 25;
        s.PaperCut = cut;
        s.Roller = roller;
        s.Paperdraw = draw;
        s.ThreeWay = three;
        return s;
    };
    const Case cases[] = {
        {"values in range stay", slot(3, 2, -1, 2), slot(3, 2, -1, 2), 1},
        {"a suction level below -4 becomes -4", slot(1, 1, -9, 1), slot(1, 1, -4, 1), 4},
        {"negative choices become the first item", slot(-2, -1, 0, -5), slot(0, 0, 0, 0), 0},
        {"a positive suction level shows standard", slot(0, 0, 3, 0), slot(0, 0, 0, 0), 0},
    };
    auto* feed = Add(new CFeedDryTab);
    auto* cut = Add(new CCutSuctionTab);
    QSignalSpy feedChanged(feed, &CFeedDryTab::Changed);
    QSignalSpy cutChanged(cut, &CCutSuctionTab::Changed);
    for (const Case& c : cases) {
        CustomPaperSlot record = c.slot;
        feed->Bind(&record, true);
        cut->Bind(&record, true);
        EXPECT_EQ(record, c.after) << c.what;
        EXPECT_EQ(feed->ForwardPair()->Edit()->text(), QString("-12")) << c.what;
        EXPECT_EQ(feed->ForwardPair()->Slider()->value(), -12) << c.what;
        EXPECT_EQ(feed->DrytimePair()->Slider()->value(), 25) << c.what;
        EXPECT_EQ(cut->SuctionSlider()->value(), c.suctionPosition) << c.what;
        EXPECT_EQ(cut->CutBox()->currentIndex(), c.after.PaperCut) << c.what;
        EXPECT_EQ(cut->ThreeWayBox()->currentIndex(), c.after.ThreeWay) << c.what;
    }
    EXPECT_EQ(feedChanged.count(), 0);
    EXPECT_EQ(cutChanged.count(), 0);

    // Binding without loading leaves the controls and the record alone.
    CustomPaperSlot untouched = slot(2, 2, -2, 2);
    const CustomPaperSlot copy = untouched;
    feed->Bind(&untouched, false);
    cut->Bind(&untouched, false);
    EXPECT_EQ(untouched, copy);
    EXPECT_EQ(feed->ForwardPair()->Edit()->text(), QString("-12"));
}

TEST_F(Tabs, FileCutTabLoadsAndStoresLikeTheSlotTab) {
    CustomFileRecord record;
    record.PaperCut = 2;
    record.Roller = -1;
    record.Paperdraw = -7;
    auto* tab = Add(new CFileCutTab);
    tab->Bind(&record, true);
    EXPECT_EQ(record.Roller, 0);
    EXPECT_EQ(record.Paperdraw, -4);
    EXPECT_EQ(tab->CutBox()->currentIndex(), 2);
    EXPECT_EQ(tab->RollerBox()->itemText(3), app->GetText(50153));
    tab->RollerBox()->setCurrentIndex(3);
    EXPECT_EQ(record.Roller, 3);
}

TEST_F(Tabs, ModeListOffersTheMediasModesWithTheirNumbers) {
    CMediaTable media(dir.write("Media.ini", kMedia));
    ASSERT_TRUE(media.IsComplete());
    auto* tab = Add(new CFileQualityTab);
    tab->SetMediaTable(&media);
    COwnerDrawCombo* box = tab->ModeBox();
    EXPECT_EQ(box->Count(), 4); // all four at first

    CustomFileRecord record;
    record.Mode = 4;
    tab->Bind(&record, false);
    tab->RebuildModes(105);
    ASSERT_EQ(box->Count(), 2);
    EXPECT_EQ(box->ItemValue(0), 1);
    EXPECT_EQ(box->ItemValue(1), 3);
    EXPECT_EQ(box->ItemText(1), app->GetText(50162));
    EXPECT_EQ(box->Selection(), 0);
    EXPECT_EQ(record.Mode, 4); // the record keeps its mode

    tab->RebuildModes(101);
    EXPECT_EQ(box->Count(), 4);
    EXPECT_EQ(box->SelectedValue(), 2);
    tab->RebuildModes(0);
    EXPECT_EQ(box->Count(), 0);

    // Loading selects the record's mode, else the first, and stores it.
    record.MediaId = 105;
    record.Mode = 3;
    record.Density = -5;
    tab->Bind(&record, true);
    EXPECT_EQ(box->SelectedValue(), 3);
    EXPECT_EQ(tab->DensityPair()->Edit()->text(), QString("-5"));
    record.Mode = 2;
    tab->Load();
    EXPECT_EQ(box->SelectedValue(), 1);
    EXPECT_EQ(record.Mode, 1);

    // The operator's pick stores the item's mode number.
    box->setCurrentIndex(1);
    emit box->SelectionPicked(1);
    EXPECT_EQ(record.Mode, 3);
}

TEST_F(Tabs, DetailButtonsAskThePageForTheirDialog) {
    auto* feed = Add(new CFeedDryTab);
    auto* quality = Add(new CFileQualityTab);
    QSignalSpy feedDetail(feed, &CFeedDryTab::DetailRequested);
    QSignalSpy qualityDetail(quality, &CFileQualityTab::DetailRequested);

    for (DetailKind kind : {DetailKind::PrintQuality, DetailKind::ColorDensity, DetailKind::PaperFeed})
        quality->DetailButton(kind)->click();
    ASSERT_EQ(qualityDetail.count(), 3);
    EXPECT_EQ(qualityDetail.at(0).at(0).value<DetailKind>(), DetailKind::PrintQuality);
    EXPECT_EQ(qualityDetail.at(1).at(0).value<DetailKind>(), DetailKind::ColorDensity);
    EXPECT_EQ(qualityDetail.at(2).at(0).value<DetailKind>(), DetailKind::PaperFeed);

    // The registration page's media check comes first.
    bool mediaSelected = false;
    feed->SetMediaCheck([&] { return mediaSelected; });
    feed->DetailButton()->click();
    EXPECT_EQ(feedDetail.count(), 0);
    ASSERT_EQ(messages.Entries().size(), 1u);
    EXPECT_EQ(messages.Entries()[0].text, app->GetText(30900));
    EXPECT_EQ(messages.Entries()[0].icon, MessageIcon::Warning);
    mediaSelected = true;
    feed->DetailButton()->click();
    ASSERT_EQ(feedDetail.count(), 1);
    EXPECT_EQ(feedDetail.at(0).at(0).value<DetailKind>(), DetailKind::PaperFeed);

    feed->EnableDetail(false);
    quality->EnableDetail(false);
    EXPECT_FALSE(feed->DetailButton()->isEnabled());
    for (DetailKind kind : {DetailKind::PrintQuality, DetailKind::ColorDensity, DetailKind::PaperFeed})
        EXPECT_FALSE(quality->DetailButton(kind)->isEnabled());
    quality->EnableDetail(true);
    EXPECT_TRUE(quality->DetailButton(DetailKind::ColorDensity)->isEnabled());
}

// Tab from the first control visits every control of the tab in visual
// order, each named for assistive technology.
void ExpectKeyboardWalk(QWidget* tab, QWidget* first, QWidget* last, int stops) {
    first->setFocus();
    QApplication::processEvents();
    std::vector<QWidget*> visited{first};
    for (int i = 0; i < stops + 2 && QApplication::focusWidget() != last; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(static_cast<int>(visited.size()), stops);
    int previousTop = -1;
    for (QWidget* w : visited) {
        ASSERT_TRUE(w && tab->isAncestorOf(w)) << (w ? w->metaObject()->className() : "none");
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
        EXPECT_GE(w->geometry().top() + 4, previousTop) << w->accessibleName().toStdString();
        previousTop = w->geometry().top();
    }
    // Every control that takes the focus is among them.
    for (QWidget* w : tab->findChildren<QWidget*>()) {
        if (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(tab) ||
            w->inherits("QAbstractItemView"))
            continue;
        EXPECT_NE(std::find(visited.begin(), visited.end(), w), visited.end())
                << w->metaObject()->className() << " " << w->accessibleName().toStdString();
    }
}

TEST_F(Tabs, EveryControlIsReachedByTabAndNamed) {
    auto* feed = Add(new CFeedDryTab);
    ExpectKeyboardWalk(feed, feed->FirstStop(), feed->LastStop(), 5);
    EXPECT_EQ(feed->DetailButton()->accessibleName().toStdString(), "Paper Feed Adjustment Detail...");
    auto* cut = Add(new CCutSuctionTab);
    ExpectKeyboardWalk(cut, cut->FirstStop(), cut->LastStop(), 4);
    auto* quality = Add(new CFileQualityTab);
    ExpectKeyboardWalk(quality, quality->FirstStop(), quality->LastStop(), 10);
    auto* fileCut = Add(new CFileCutTab);
    ExpectKeyboardWalk(fileCut, fileCut->FirstStop(), fileCut->LastStop(), 3);
}

} // namespace
