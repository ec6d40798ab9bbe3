#include "ControlsFixture.h"
#include "custompaper/CGreyCheckList.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <vector>

namespace {

// Media types with their ids; Beta cannot be used with the current driver.
class GreyCheckListTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        list = Add(new CGreyCheckList);
        list->AddItem("Alpha", 101);
        list->AddItem("Beta", 102);
        list->AddItem("Charlie", 103);
        list->EnableItem(1, false);
        list->SetSelection(0);
        Show();
        list->setFocus();
    }

    std::vector<int> Toggles(const QSignalSpy& spy) {
        std::vector<int> rows;
        for (const QList<QVariant>& args : spy)
            rows.push_back(args.at(0).toInt());
        return rows;
    }

    QRect RowRect(int row) { return list->visualItemRect(list->item(row)); }

    QPoint CheckBoxCentre(int row) {
        QStyleOptionViewItem option;
        option.initFrom(list->viewport());
        option.rect = RowRect(row);
        option.features =
            QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        option.text = list->ItemText(row);
        return list->style()
            ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list)
            .center();
    }

    // The inside of the item's text, clear of its check box and frame.
    QRect TextRect(int row) {
        const QRect r = RowRect(row);
        const int left = CheckBoxCentre(row).x() + 10;
        return {left, r.top() + 3, list->fontMetrics().horizontalAdvance(list->ItemText(row)),
                r.height() - 6};
    }

    // What the window system sends for a double click.
    void DoubleClick(const QPoint& at) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }

    QPoint TextPoint(int row) { return {RowRect(row).right() - 10, RowRect(row).center().y()}; }

    CGreyCheckList* list = nullptr;
};

TEST_F(GreyCheckListTest, SpaceTicksEnabledItemsAndTheArrowsReachGreyedOnes) {
    QSignalSpy toggled(list, &CGreyCheckList::CheckToggled);
    QTest::keyClick(list->viewport(), Qt::Key_Space);
    EXPECT_TRUE(list->IsChecked(0));
    QTest::keyClick(list->viewport(), Qt::Key_Down);
    EXPECT_EQ(list->Selection(), 1) << "a greyed item can be current";
    QTest::keyClick(list->viewport(), Qt::Key_Space);
    EXPECT_FALSE(list->IsChecked(1));
    QTest::keyClick(list->viewport(), Qt::Key_Down);
    QTest::keyClick(list->viewport(), Qt::Key_Space);
    EXPECT_TRUE(list->IsChecked(2));
    QTest::keyClick(list->viewport(), Qt::Key_Space);
    EXPECT_FALSE(list->IsChecked(2));
    EXPECT_EQ(Toggles(toggled), (std::vector<int>{0, 2, 2}));
    EXPECT_EQ(list->CheckedCount(), 1);
}

TEST_F(GreyCheckListTest, TheMouseTicksOnlyEnabledItems) {
    QSignalSpy toggled(list, &CGreyCheckList::CheckToggled);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CheckBoxCentre(1));
    DoubleClick(TextPoint(1));
    EXPECT_FALSE(list->IsChecked(1));
    EXPECT_TRUE(toggled.isEmpty());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CheckBoxCentre(0));
    EXPECT_TRUE(list->IsChecked(0));
    // A double click on the text ticks or clears once.
    DoubleClick(TextPoint(2));
    EXPECT_TRUE(list->IsChecked(2));
    DoubleClick(TextPoint(2));
    EXPECT_FALSE(list->IsChecked(2));
    EXPECT_EQ(Toggles(toggled), (std::vector<int>{0, 2, 2}));
}

TEST_F(GreyCheckListTest, TheProgramSetsTicksAndGreyingIndependently) {
    QSignalSpy toggled(list, &CGreyCheckList::CheckToggled);
    EXPECT_EQ(list->SetCheck(1, true), 0);
    EXPECT_TRUE(list->IsChecked(1));
    EXPECT_FALSE(list->IsItemEnabled(1));
    EXPECT_EQ(list->EnableItem(1, true), 0);
    EXPECT_TRUE(list->IsChecked(1)) << "enabling keeps the tick";
    EXPECT_EQ(list->EnableItem(0, false), 0);
    EXPECT_EQ(list->CheckedCount(), 1);
    EXPECT_TRUE(toggled.isEmpty());

    EXPECT_EQ(list->ItemData(2), 103u);
    for (const int index : {-1, 3}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(list->ItemData(index), CGreyCheckList::kNoData);
        EXPECT_EQ(list->SetCheck(index, true), CGreyCheckList::kError);
        EXPECT_EQ(list->EnableItem(index, true), CGreyCheckList::kError);
        EXPECT_FALSE(list->IsChecked(index));
        EXPECT_FALSE(list->IsItemEnabled(index));
        EXPECT_EQ(list->ItemText(index), QString());
    }
    EXPECT_EQ(list->SetSelection(3), CGreyCheckList::kError);
    EXPECT_EQ(list->Selection(), CGreyCheckList::kError);
    list->ResetContent();
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(GreyCheckListTest, GreyedItemsAndADisabledListAreDrawnGreyWithoutSelectionColour) {
    const QPalette palette = list->palette();
    const QColor grey = palette.color(QPalette::Disabled, QPalette::Text);
    const QColor text = palette.color(QPalette::Active, QPalette::Text);
    const QColor highlight = palette.color(QPalette::Active, QPalette::Highlight);
    const QColor disabledHighlight = palette.color(QPalette::Disabled, QPalette::Highlight);
    ASSERT_FALSE(Near(grey, text));

    list->SetSelection(0);
    QImage image = list->viewport()->grab().toImage();
    KeepPicture(image, "checklist");
    EXPECT_GT(CountColour(image, RowRect(0), highlight), 20) << "an enabled selected item";
    EXPECT_TRUE(Near(Darkest(image, TextRect(1)), grey));
    EXPECT_TRUE(Near(Darkest(image, TextRect(2)), text));

    list->SetSelection(1);
    image = list->viewport()->grab().toImage();
    KeepPicture(image, "checklist-greyed-current");
    EXPECT_EQ(CountColour(image, RowRect(1), highlight), 0) << "a greyed item is never highlighted";
    EXPECT_TRUE(Near(Darkest(image, TextRect(1)), grey));

    list->SetSelection(2);
    list->setEnabled(false);
    image = list->viewport()->grab().toImage();
    KeepPicture(image, "checklist-disabled");
    for (const int row : {0, 1, 2}) {
        SCOPED_TRACE(row);
        EXPECT_TRUE(Near(Darkest(image, TextRect(row)), grey));
        EXPECT_EQ(CountColour(image, RowRect(row), highlight), 0);
        EXPECT_EQ(CountColour(image, RowRect(row), disabledHighlight), 0);
    }
}

TEST_F(GreyCheckListTest, CarriesTheAccessibleNameOfItsLabel) {
    auto* label = Add(new QLabel("Media &Type"));
    list->SetAccessibleLabel(label);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(list);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), "Media Type");
}

} // namespace
