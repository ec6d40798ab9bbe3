#include "DetailDialogFixture.h"
#include "sampleprint/CColorDensityDetailDialog.h"
#include "sampleprint/CPrintQualityDetailDialog.h"
#include "sampleprint/CSampleImageChoice.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

using Outcome = CSampleProcedure::Outcome;

using ColorDensityDetailTest = DetailDialogTest;
using PrintQualityDetailTest = DetailDialogTest;

TEST_F(ColorDensityDetailTest, StartsAtZeroWhateverTheRecordHolds) {
    CColorDensityDetailDialog dialog(Owner(), *m_app, &m_file);
    EXPECT_EQ(dialog.size(), QSize(396, 288));
    EXPECT_EQ(dialog.windowTitle(), m_app->GetText(50400));
    EXPECT_EQ(dialog.Slider()->minimum(), -50);
    EXPECT_EQ(dialog.Slider()->maximum(), 50);
    EXPECT_EQ(dialog.Slider()->value(), 0);
    EXPECT_EQ(dialog.Edit()->text(), "0");
    EXPECT_TRUE(dialog.SampleButton()->isEnabled());
    EXPECT_TRUE(dialog.ImageChoiceControls()->StandardRadio()->isChecked());
}

// Typing moves the slider (the text cleaned and limited as it is typed);
// moving the slider writes its value.
TEST_F(ColorDensityDetailTest, SliderAndEditFollowEachOther) {
    CColorDensityDetailDialog dialog(Owner(), *m_app, &m_file);
    Open(dialog);
    QLineEdit* edit = dialog.Edit();
    struct Case {
        const char* typed;
        const char* shown;
        int slider;
    };
    for (const Case c : {Case{"75", "50", 50}, Case{"-7", "-7", -7}, Case{"-", "-0", 0},
                         Case{"a3", "3", 3}, Case{"", "0", 0}}) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, c.typed);
        EXPECT_EQ(edit->text(), c.shown) << c.typed;
        EXPECT_EQ(dialog.Slider()->value(), c.slider) << c.typed;
        EXPECT_EQ(edit->cursorPosition(), edit->text().size()) << c.typed;
    }
    dialog.Slider()->setFocus();
    QTest::keyClick(dialog.Slider(), Qt::Key_Right);
    EXPECT_EQ(edit->text(), "1");
    QTest::keyClick(dialog.Slider(), Qt::Key_Home);
    EXPECT_EQ(edit->text(), "-50");
}

// The sheet carries the slider's density in the driver's byte 8 and in its
// highlighted density label.
TEST_F(ColorDensityDetailTest, SamplePrintUsesTheSliderDensity) {
    CColorDensityDetailDialog dialog(Owner(), *m_app, &m_file);
    Open(dialog);
    dialog.Slider()->setValue(-50);
    EXPECT_EQ(dialog.RunSamplePrint(), Outcome::Printed);
    ASSERT_EQ(m_sheets.size(), 1u);
    EXPECT_EQ(m_sheets[0].highlightIndex, 4);
    EXPECT_EQ(Titles(), std::vector<std::string>{Label(50011, "-50")});
    const auto paper = m_fake.WritesOf(219);
    ASSERT_EQ(paper.size(), 1u);
    ASSERT_GE(paper[0].size(), 9u);
    EXPECT_EQ(paper[0][8], 0xCE);
}

TEST_F(ColorDensityDetailTest, EveryControlIsReachedByTabAndNamed) {
    CColorDensityDetailDialog dialog(Owner(), *m_app, &m_file);
    Open(dialog);
    CSampleImageChoice* image = dialog.ImageChoiceControls();
    const std::vector<QWidget*> expected = {dialog.Slider(),       dialog.Edit(),
                                            dialog.SampleButton(), image->StandardRadio(),
                                            dialog.HelpButton(),   dialog.CloseButton()};
    EXPECT_EQ(TabChain(dialog), expected);
    for (QWidget* w : expected)
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
}

// A mode box is on only where the media table offers the mode for the
// entry's media.
TEST_F(PrintQualityDetailTest, ModeBoxesFollowTheMediaTable) {
    struct Case {
        int mediaId;
        std::vector<bool> enabled;
    };
    for (const Case& c :
         {Case{106, {false, true, true, true}}, Case{801, {true, true, false, false}},
          Case{101, {true, true, true, true}}, Case{12345, {false, false, false, false}}}) {
        CustomFileRecord record = m_file;
        record.MediaId = c.mediaId;
        CPrintQualityDetailDialog dialog(Owner(), *m_app, &record);
        std::vector<bool> enabled;
        for (int m = 1; m <= 4; ++m) {
            enabled.push_back(dialog.ModeBox(m)->isEnabled());
            EXPECT_FALSE(dialog.ModeBox(m)->isChecked());
            EXPECT_EQ(dialog.ModeBox(m)->text(), m_app->GetText(50159 + m));
        }
        EXPECT_EQ(enabled, c.enabled) << c.mediaId;
        EXPECT_FALSE(dialog.SampleButton()->isEnabled());
    }
    CPrintQualityDetailDialog none(Owner(), *m_app, nullptr);
    EXPECT_FALSE(none.ModeBox(2)->isEnabled());
    EXPECT_EQ(none.size(), QSize(396, 345));
    EXPECT_EQ(none.windowTitle(), m_app->GetText(50300));
}

// Sample Print is on while a box is ticked; the sheets come in mode order,
// each with its mode's name highlighted and the mode in the driver.
TEST_F(PrintQualityDetailTest, SamplePrintPrintsOneSheetPerTickedMode) {
    CustomFileRecord record = m_file;
    record.MediaId = 101;
    CPrintQualityDetailDialog dialog(Owner(), *m_app, &record);
    Open(dialog);
    ClickBox(dialog.ModeBox(4));
    EXPECT_TRUE(dialog.SampleButton()->isEnabled());
    ClickBox(dialog.ModeBox(1));
    ClickBox(dialog.ModeBox(4));
    ClickBox(dialog.ModeBox(1));
    EXPECT_FALSE(dialog.SampleButton()->isEnabled());
    ClickBox(dialog.ModeBox(4));
    ClickBox(dialog.ModeBox(1));
    EXPECT_EQ(dialog.RunSamplePrint(), Outcome::Printed);
    EXPECT_EQ(Titles(),
              (std::vector<std::string>{Label(50010, Text(50160)), Label(50010, Text(50163))}));
    EXPECT_EQ(m_sheets[0].highlightIndex, 3);
}

TEST_F(PrintQualityDetailTest, EveryControlIsReachedByTabAndNamed) {
    CPrintQualityDetailDialog dialog(Owner(), *m_app, &m_file);
    Open(dialog);
    CSampleImageChoice* image = dialog.ImageChoiceControls();
    // Media 106 offers no mode 1: its box is skipped.
    const std::vector<QWidget*> expected = {dialog.ModeBox(2),   dialog.ModeBox(3),
                                            dialog.ModeBox(4),   image->StandardRadio(),
                                            dialog.HelpButton(), dialog.CloseButton()};
    EXPECT_EQ(TabChain(dialog), expected);
    for (QWidget* w : expected)
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
}

} // namespace
