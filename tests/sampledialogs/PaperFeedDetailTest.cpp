#include "DetailDialogFixture.h"
#include "sampleprint/CPaperFeedDetailDialog.h"
#include "sampleprint/CRangeScale.h"
#include "sampleprint/CSampleImageChoice.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

using Outcome = CSampleProcedure::Outcome;

class PaperFeedDetailTest : public DetailDialogTest {
protected:
    void SetUp() override {
        DetailDialogTest::SetUp();
        dialog = std::make_unique<CPaperFeedDetailDialog>(Owner(), *m_app, &m_slot);
        Open(*dialog);
    }
    void TearDown() override {
        dialog.reset();
        DetailDialogTest::TearDown();
    }

    // Replaces the edit's text by typing, as the operator does.
    static void Type(QLineEdit* edit, const char* text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Types and presses Enter.
    static void Enter(QLineEdit* edit, const char* text) {
        Type(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    std::string Points() const { return dialog->PointsLabel()->text().toStdString(); }

    std::unique_ptr<CPaperFeedDetailDialog> dialog;
};

TEST_F(PaperFeedDetailTest, OpensOnTheWholeRange) {
    EXPECT_EQ(dialog->size(), QSize(396, 348));
    EXPECT_EQ(dialog->windowTitle(), m_app->GetText(50500));
    EXPECT_EQ(dialog->MinEdit()->text(), "-70");
    EXPECT_EQ(dialog->MaxEdit()->text(), "70");
    EXPECT_EQ(dialog->Scale()->LowerValue(), -70);
    EXPECT_EQ(dialog->Scale()->UpperValue(), 70);
    EXPECT_EQ(Points(), "-70, -35, 0, 35, 70");
    EXPECT_TRUE(dialog->SampleButton()->isEnabled());
    // The scale stands where control 1030 was placed.
    EXPECT_EQ(dialog->Scale()->geometry(), QRect(QPoint(60, 36), QPoint(299, 75)));
}

// What is typed is cleaned at once and reaches the scale on Enter or when
// the edit loses the focus.
TEST_F(PaperFeedDetailTest, EditsAreCleanedAndAppliedOnEnterOrLeaving) {
    Type(dialog->MaxEdit(), "100");
    EXPECT_EQ(dialog->MaxEdit()->text(), "70");
    Type(dialog->MaxEdit(), "1x2");
    EXPECT_EQ(dialog->MaxEdit()->text(), "12");
    EXPECT_EQ(dialog->Scale()->UpperValue(), 70) << "not applied while typing";
    QTest::keyClick(dialog->MaxEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog->Scale()->UpperValue(), 12);
    EXPECT_TRUE(dialog->MaxEdit()->hasFocus()) << "Enter stays in the edit";
    EXPECT_TRUE(dialog->isVisible());

    Type(dialog->MinEdit(), "10");
    dialog->Scale()->setFocus(); // leaving the edit applies it
    EXPECT_EQ(dialog->Scale()->LowerValue(), 10);
    EXPECT_EQ(Points(), "10, 11, 12");

    Enter(dialog->MinEdit(), "0");
    Enter(dialog->MaxEdit(), "5");
    EXPECT_EQ(Points(), "0, 1, 2, 3, 5");

    // A sign alone stands for 0 and shows it once applied.
    Enter(dialog->MinEdit(), "-");
    EXPECT_EQ(dialog->MinEdit()->text(), "0");
}

TEST_F(PaperFeedDetailTest, AMaximumBelowTheMinimumMovesTheMaxThumbOntoIt) {
    Enter(dialog->MaxEdit(), "-80");
    EXPECT_EQ(dialog->MaxEdit()->text(), "-70");
    EXPECT_EQ(dialog->Scale()->UpperValue(), -70);
    EXPECT_EQ(Points(), "-70");

    Enter(dialog->MaxEdit(), "40");
    Enter(dialog->MinEdit(), "20");
    Enter(dialog->MaxEdit(), "5");
    EXPECT_EQ(dialog->Scale()->UpperValue(), 20);
    EXPECT_EQ(dialog->MaxEdit()->text(), "20");
    EXPECT_EQ(Points(), "20");

    // Edits holding a minimum above the maximum still give the points from
    // the smaller value up.
    dialog->MinEdit()->setText("12");
    dialog->MaxEdit()->setText("10");
    const SamplePlan plan = dialog->BuildPlan();
    ASSERT_EQ(plan.sheets.size(), 3u);
    EXPECT_EQ(plan.sheets[0].Title(), Label(30009, "10"));
}

// Dragging a thumb writes its value into its edit and refreshes the points.
TEST_F(PaperFeedDetailTest, DraggingTheThumbsFillsTheEdits) {
    CRangeScale* scale = dialog->Scale();
    const QPoint minThumb = scale->ThumbRect(CRangeScale::kMinThumb).center();
    const int room = scale->width() - RangeScaleMath::kThumbWidth;
    QTest::mousePress(scale, Qt::LeftButton, {}, minThumb);
    QTest::mouseMove(scale, minThumb + QPoint(room / 2, 0));
    QTest::mouseRelease(scale, Qt::LeftButton, {}, minThumb + QPoint(room / 2, 0));
    EXPECT_EQ(dialog->MinEdit()->text(), "0");
    EXPECT_EQ(Points(), "0, 17, 35, 52, 70");
    const QPoint maxThumb = scale->ThumbRect(CRangeScale::kMaxThumb).center();
    QTest::mousePress(scale, Qt::LeftButton, {}, maxThumb);
    QTest::mouseMove(scale, maxThumb - QPoint(room, 0)); // pushes the "min" thumb to the end
    QTest::mouseRelease(scale, Qt::LeftButton, {}, maxThumb - QPoint(room, 0));
    EXPECT_EQ(dialog->MaxEdit()->text(), "-70");
    EXPECT_EQ(dialog->MinEdit()->text(), "-70");
    EXPECT_EQ(Points(), "-70");
}

// One sheet per point, the point in the feed label (highlighted: the
// fourth label of a slot's sheet, the sixth of a custom file entry's).
TEST_F(PaperFeedDetailTest, SamplePrintPrintsOneSheetPerPoint) {
    Enter(dialog->MinEdit(), "10");
    Enter(dialog->MaxEdit(), "12");
    EXPECT_EQ(dialog->RunSamplePrint(), Outcome::Printed);
    EXPECT_EQ(Titles(), (std::vector<std::string>{Label(30009, "10"), Label(30009, "11"),
                                                  Label(30009, "12")}));
    EXPECT_EQ(m_sheets[0].highlightIndex, 3);

    m_sheets.clear();
    CPaperFeedDetailDialog file(Owner(), *m_app, &m_file);
    EXPECT_EQ(file.RunSamplePrint(), Outcome::Printed);
    ASSERT_EQ(m_sheets.size(), 5u);
    EXPECT_EQ(m_sheets[0].highlightIndex, 5);
    EXPECT_EQ(Titles().front(), Label(30009, "-70"));
    EXPECT_EQ(Titles().back(), Label(30009, "70"));
    EXPECT_EQ(m_sheets[0].labels.size(), 10u);
}

TEST_F(PaperFeedDetailTest, EveryControlIsReachedByTabAndNamed) {
    CSampleImageChoice* image = dialog->ImageChoiceControls();
    const std::vector<QWidget*> expected = {
        dialog->Scale(),        dialog->MinEdit(),    dialog->MaxEdit(),    dialog->SampleButton(),
        image->StandardRadio(), dialog->HelpButton(), dialog->CloseButton()};
    EXPECT_EQ(TabChain(*dialog), expected);
    for (QWidget* w : expected)
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
    EXPECT_EQ(dialog->MinEdit()->accessibleName(), m_app->GetText(50505));
    EXPECT_EQ(dialog->MaxEdit()->accessibleName(), m_app->GetText(50506));
    EXPECT_EQ(dialog->Scale()->AccessibleValue(), "min -70, max 70");
}

} // namespace
