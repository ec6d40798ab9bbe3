#include "ControlsFixture.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CSeparatedItemDelegate.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <vector>

namespace {

constexpr std::uint32_t kMark = COwnerDrawCombo::kUnavailableMark;

// A media list: item 0 stands for no media; Beta and Charlie are unavailable.
class OwnerDrawComboTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        box = Add(new COwnerDrawCombo);
        box->AddItem("No media", 0);
        box->AddItem("Alpha", 101);
        box->AddItem("Beta", 102 | kMark);
        box->AddItem("Bravo", 103);
        box->AddItem("Charlie", 104 | kMark);
        box->AddItem("Delta", 105);
        box->SetSelection(0);
        Show();
        box->setFocus();
    }

    std::vector<int> Picks(const QSignalSpy& spy) {
        std::vector<int> picks;
        for (const QList<QVariant>& args : spy)
            picks.push_back(args.at(0).toInt());
        return picks;
    }

    void Wheel(int delta) {
        const QPointF at = QRectF(box->rect()).center();
        QWheelEvent wheel(at, box->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
    }

    void OpenList() {
        box->showPopup();
        QApplication::processEvents();
        ASSERT_TRUE(box->view()->isVisible());
    }

    QRect RowRect(int row) { return box->view()->visualRect(box->model()->index(row, 0)); }

    COwnerDrawCombo* box = nullptr;
};

TEST_F(OwnerDrawComboTest, ItemDataKeepsValueAndMarkApart) {
    EXPECT_EQ(box->ItemValue(2), 102);
    EXPECT_TRUE(box->IsItemMarked(2));
    EXPECT_EQ(box->ItemData(2), 102u | kMark);

    // Clearing the mark keeps the value; setting it keeps the value too.
    EXPECT_EQ(box->SetItemMark(2, 0), 0);
    EXPECT_EQ(box->ItemData(2), 102u);
    EXPECT_FALSE(box->IsItemMarked(2));
    EXPECT_EQ(box->SetItemMark(1, kMark), 0);
    EXPECT_EQ(box->ItemData(1), 101u | kMark);
    EXPECT_EQ(box->ItemValue(1), 101);
    // Only the top bit of a mark counts.
    EXPECT_EQ(box->SetItemMark(1, 0xFFFFFFFFu), 0);
    EXPECT_EQ(box->ItemData(1), 101u | kMark);

    EXPECT_EQ(box->FindValue(104), 4) << "marked items are found";
    EXPECT_EQ(box->FindValue(101, 2), COwnerDrawCombo::kError);
    EXPECT_EQ(box->InsertItem(-1, "Echo", 106), 6);
    EXPECT_EQ(box->InsertItem(1, "Aa", 100), 1);
    EXPECT_EQ(box->ItemText(2), "Alpha");
    EXPECT_EQ(box->DeleteItem(1), 7);
}

TEST_F(OwnerDrawComboTest, IndexesWithoutItemAnswerTheErrorValues) {
    for (const int index : {-1, 6, 1000}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(box->ItemData(index), COwnerDrawCombo::kNoData);
        EXPECT_EQ(box->ItemValue(index), COwnerDrawCombo::kError);
        EXPECT_EQ(box->SetItemData(index, 1), COwnerDrawCombo::kError);
        EXPECT_EQ(box->SetItemMark(index, kMark), COwnerDrawCombo::kError);
        EXPECT_FALSE(box->IsItemMarked(index));
        EXPECT_EQ(box->ItemText(index), QString());
        EXPECT_EQ(box->DeleteItem(index), COwnerDrawCombo::kError);
    }
    EXPECT_EQ(box->SetSelection(6), COwnerDrawCombo::kError);
    EXPECT_EQ(box->Selection(), COwnerDrawCombo::kError);
    EXPECT_EQ(box->SelectedValue(), COwnerDrawCombo::kError);
    box->ResetContent();
    EXPECT_EQ(box->Count(), 0);
    EXPECT_EQ(box->RememberedIndex(), 0);
}

TEST_F(OwnerDrawComboTest, KeysWheelAndTypingPassOverUnavailableItems) {
    QSignalSpy picked(box, &COwnerDrawCombo::SelectionPicked);
    struct Step {
        const char* what;
        std::function<void()> act;
        int selection;
    };
    const Step steps[] = {
        {"down", [&] { QTest::keyClick(box, Qt::Key_Down); }, 1},
        {"down over Beta", [&] { QTest::keyClick(box, Qt::Key_Down); }, 3},
        {"down over Charlie", [&] { QTest::keyClick(box, Qt::Key_Down); }, 5},
        {"down at the end", [&] { QTest::keyClick(box, Qt::Key_Down); }, 5},
        {"up over Charlie", [&] { QTest::keyClick(box, Qt::Key_Up); }, 3},
        {"page up over Beta", [&] { QTest::keyClick(box, Qt::Key_PageUp); }, 1},
        {"typing b finds Bravo, not Beta", [&] { QTest::keyClicks(box, "b"); }, 3},
        {"home", [&] { QTest::keyClick(box, Qt::Key_Home); }, 0},
        {"end", [&] { QTest::keyClick(box, Qt::Key_End); }, 5},
        {"wheel up over Charlie", [&] { Wheel(120); }, 3},
        {"wheel down over Charlie", [&] { Wheel(-120); }, 5},
        {"typing c finds only Charlie",
         [&] {
             QTest::qWait(QApplication::keyboardInputInterval() + 50); // a fresh search
             QTest::keyClicks(box, "c");
         },
         5},
    };
    std::vector<int> expected;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const int before = box->Selection();
        step.act();
        EXPECT_EQ(box->Selection(), step.selection);
        if (step.selection != before) expected.push_back(step.selection);
    }
    EXPECT_EQ(Picks(picked), expected);
}

TEST_F(OwnerDrawComboTest, MarksSetThroughTheInheritedFunctionsCountToo) {
    box->addItem("Foxtrot", QVariant::fromValue<uint>(107 | kMark));
    box->setItemData(5, QVariant::fromValue<uint>(105 | kMark));
    box->SetSelection(3);
    QTest::keyClick(box, Qt::Key_End);
    EXPECT_EQ(box->Selection(), 3) << "Delta and Foxtrot are both unavailable now";
    box->setItemData(6, QVariant::fromValue<uint>(107));
    QTest::keyClick(box, Qt::Key_End);
    EXPECT_EQ(box->Selection(), 6);
}

TEST_F(OwnerDrawComboTest, AClickOnAnUnavailableItemInTheOpenListDoesNothing) {
    QSignalSpy picked(box, &COwnerDrawCombo::SelectionPicked);
    box->SetSelection(1);
    OpenList();
    // Move the list's highlight to Bravo with a key, as an operator might,
    // then click Beta: the list must not take Bravo (the highlighted item)
    // for the click.
    QTest::keyClick(box->view(), Qt::Key_Down);
    EXPECT_EQ(box->view()->currentIndex().row(), 3);
    QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {}, RowRect(2).center());
    QTest::mouseDClick(box->view()->viewport(), Qt::LeftButton, {}, RowRect(4).center());
    EXPECT_TRUE(box->view()->isVisible());
    EXPECT_EQ(box->Selection(), 1);
    EXPECT_TRUE(picked.isEmpty());

    QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {}, RowRect(5).center());
    QApplication::processEvents();
    EXPECT_FALSE(box->view()->isVisible());
    EXPECT_EQ(box->Selection(), 5);
    EXPECT_EQ(Picks(picked), std::vector<int>{5});

    // Picking the same item again is no change.
    OpenList();
    QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, {}, RowRect(5).center());
    EXPECT_EQ(Picks(picked), std::vector<int>{5});
}

TEST_F(OwnerDrawComboTest, AConfirmedUnavailableItemGivesBackTheItemSelectedAtOpening) {
    // Should a toolkit path confirm a marked item after all, the page still
    // sees the item that was selected when the list opened, and no pick.
    QSignalSpy picked(box, &COwnerDrawCombo::SelectionPicked);
    QSignalSpy changed(box, &QComboBox::currentIndexChanged);
    box->SetSelection(3);
    OpenList();
    EXPECT_EQ(box->RememberedIndex(), 3);
    box->setCurrentIndex(4); // what a list does before it reports the choice
    emit box->activated(4);
    box->hidePopup();
    EXPECT_EQ(box->Selection(), 3);
    EXPECT_TRUE(picked.isEmpty());
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_EQ(changed.last().at(0).toInt(), 3) << "the last change reported is the restored item";
}

TEST_F(OwnerDrawComboTest, TheProgramMaySelectAnUnavailableItem) {
    QSignalSpy picked(box, &COwnerDrawCombo::SelectionPicked);
    EXPECT_EQ(box->SetSelection(2), 2);
    EXPECT_EQ(box->Selection(), 2);
    EXPECT_EQ(box->SelectedValue(), 102);
    EXPECT_TRUE(picked.isEmpty());
    // From there the keys still go to available items only.
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->Selection(), 3);
}

TEST_F(OwnerDrawComboTest, UnavailableItemsAreDrawnInTheDisabledTextColour) {
    const QColor grey = box->palette().color(QPalette::Disabled, QPalette::Text);
    const QColor text = box->palette().color(QPalette::Active, QPalette::Text);
    const QColor highlight = box->palette().color(QPalette::Active, QPalette::Highlight);
    ASSERT_FALSE(Near(grey, text));

    // The selection field: grey text for a marked item, normal text otherwise.
    QStyleOptionComboBox option;
    option.initFrom(box);
    const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, box);
    box->SetSelection(2);
    QImage image = box->grab().toImage();
    KeepPicture(image, "combo-field-marked");
    EXPECT_TRUE(Near(Darkest(image, field), grey)) << Darkest(image, field).name().toStdString();
    box->SetSelection(3);
    image = box->grab().toImage();
    KeepPicture(image, "combo-field");
    EXPECT_TRUE(Near(Darkest(image, field), text));

    // The open list: the highlighted row in the highlight colour, a marked
    // row grey on the base colour even under the highlight.
    OpenList();
    QTest::keyClick(box->view(), Qt::Key_Down);
    QTest::mouseMove(box->view()->viewport(), RowRect(2).center());
    const QImage list = box->view()->viewport()->grab().toImage();
    KeepPicture(list, "combo-list");
    EXPECT_GT(CountColour(list, RowRect(5), highlight), 20);
    for (const int marked : {2, 4}) {
        SCOPED_TRACE(marked);
        EXPECT_TRUE(Near(Darkest(list, RowRect(marked)), grey));
        EXPECT_EQ(CountColour(list, RowRect(marked), highlight), 0);
    }
    for (const int plain : {0, 1}) {
        SCOPED_TRACE(plain);
        EXPECT_TRUE(Near(Darkest(list, RowRect(plain)), text));
        EXPECT_EQ(CountColour(list, RowRect(plain), highlight), 0);
    }
}

TEST_F(OwnerDrawComboTest, ItemsAreFifteenPixelsHighUnlessTheFontNeedsMore) {
    QFont small = box->font();
    small.setPixelSize(10);
    box->setFont(small);
    box->view()->setFont(small);
    EXPECT_EQ(box->view()->sizeHintForRow(0), COwnerDrawCombo::kItemHeight);
    QFont large = small;
    large.setPixelSize(30);
    box->view()->setFont(large);
    EXPECT_GE(box->view()->sizeHintForRow(0), QFontMetrics(large).height());
}

TEST_F(OwnerDrawComboTest, IsNamedAndLabelledByItsLabel) {
    box->SetAccessibleLabel("Media Type:");
    EXPECT_EQ(box->accessibleName(), "Media Type");

    auto* label = Add(new QLabel("&Media Type:"));
    box->SetAccessibleLabel(label);
    EXPECT_EQ(box->accessibleName(), "Media Type");
    EXPECT_EQ(label->buddy(), box);
    // Screen readers on Linux name a combo box by its current item and find
    // its label through this relation.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(accessible, nullptr);
    const auto labels = accessible->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.first().first->object(), label);
    // Its mnemonic reaches the box.
    other->setFocus();
    QTest::keyClick(other, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(box->hasFocus());
}

TEST_F(OwnerDrawComboTest, LabelsComeFromTheSourceWhenTheyAreNeeded) {
    // Names the source learns later show without rebuilding the list: in
    // the selection field, the open list, and for assistive technology.
    QStringList names{"first", "second", "third", "fourth", "fifth", "sixth"};
    box->SetLabelSource([&names](int index) { return QString("#%1 %2").arg(index).arg(names[index]); });
    box->SetSelection(3);
    EXPECT_EQ(box->currentText(), "#3 fourth");
    EXPECT_EQ(box->ItemText(1), "#1 second");
    names[3] = "renamed";
    box->LabelsChanged();
    EXPECT_EQ(box->currentText(), "#3 renamed");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Value), "#3 renamed");
    // The values, the marks and the keyboard rules stay the items' own.
    EXPECT_EQ(box->ItemValue(3), 103);
    QTest::keyClick(box, Qt::Key_Up);
    EXPECT_EQ(box->Selection(), 1);
    // Without a source the items' own texts come back.
    box->SetLabelSource(nullptr);
    EXPECT_EQ(box->currentText(), "Alpha");
}

TEST_F(OwnerDrawComboTest, TheSeparatedItemCarriesADottedLineInTheOpenListOnly) {
    box->setItemDelegate(new CSeparatedItemDelegate(COwnerDrawCombo::kItemHeight, 1, box));
    box->SetSelection(3);
    const QColor text = box->palette().color(QPalette::Active, QPalette::Text);
    OpenList();
    const QImage list = box->view()->viewport()->grab().toImage();
    KeepPicture(list, "combo-list-separated");
    // Along the top edge of item 1: dots in the text colour with gaps
    // between them; no other item has such an edge.
    auto dotsOnTopEdge = [&](int row) {
        const QRect r = RowRect(row);
        int dots = 0;
        for (int x = r.left() + 1; x < r.right() - 1; ++x)
            dots += Near(list.pixelColor(x, r.top()), text, 40) ? 1 : 0;
        return std::pair{dots, r.width()};
    };
    const auto [dots, width] = dotsOnTopEdge(1);
    EXPECT_GT(dots, width / 4);
    EXPECT_LT(dots, width * 3 / 4);
    for (int row : {0, 2, 3, 5})
        EXPECT_EQ(dotsOnTopEdge(row).first, 0) << row;
}

} // namespace
