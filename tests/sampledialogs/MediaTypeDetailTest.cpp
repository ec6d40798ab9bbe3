#include "DetailDialogFixture.h"
#include "custompaper/CGreyCheckList.h"
#include "sampleprint/CMediaTypeDetailDialog.h"
#include "sampleprint/CSampleImageChoice.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

using Outcome = CSampleProcedure::Outcome;

class MediaTypeDetailTest : public DetailDialogTest {
protected:
    static std::vector<std::string> Items(const CGreyCheckList& list) {
        std::vector<std::string> items;
        for (int i = 0; i < list.Count(); ++i)
            items.push_back(list.ItemText(i).toStdString() +
                            (list.IsItemEnabled(i) ? "" : " (grey)"));
        return items;
    }
};

// The driver's media that custom paper can use, in the media table's
// display order; media without a custom file id (or without a row) left out.
TEST_F(MediaTypeDetailTest, ListsUsableMediaInDisplayOrderGreyedForKind2) {
    struct Case {
        int kind;
        std::vector<std::string> items;
    };
    for (const Case& c : {Case{1,
                               {"Glossy 260", "Semigloss 260", "Singleweight Matte",
                                "Proofing White", "Clear Film"}},
                          Case{2,
                               {"Glossy 260", "Semigloss 260", "Singleweight Matte",
                                "Proofing White (grey)", "Clear Film (grey)"}}}) {
        m_driver.kind = c.kind;
        CMediaTypeDetailDialog dialog(Owner(), *m_app, &m_slot);
        EXPECT_EQ(Items(*dialog.MediaList()), c.items) << "kind " << c.kind;
        EXPECT_EQ(dialog.MediaList()->ItemData(0), 101u);
        EXPECT_EQ(dialog.MediaList()->Selection(), 0);
        EXPECT_EQ(dialog.MediaList()->CheckedCount(), 0);
        EXPECT_FALSE(dialog.SampleButton()->isEnabled());
    }
    m_driver.media.clear();
    CMediaTypeDetailDialog empty(Owner(), *m_app, &m_slot);
    EXPECT_EQ(empty.MediaList()->Count(), 0);
}

TEST_F(MediaTypeDetailTest, OpensCentredWithItsSizeCaptionAndTexts) {
    CMediaTypeDetailDialog dialog(Owner(), *m_app, &m_slot);
    Open(dialog);
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.size(), QSize(396, 372));
    EXPECT_EQ(dialog.windowTitle(), m_app->GetText(50200));
    EXPECT_EQ(dialog.SampleButton()->text(), m_app->GetText(50251));
    EXPECT_EQ(dialog.ImageChoiceControls()->Group()->title(), m_app->GetText(50202));
    const QPoint ownerCentre = Owner()->geometry().center();
    EXPECT_LE((dialog.geometry().center() - ownerCentre).manhattanLength(), 2);
}

// Sample Print is on exactly while an item is ticked; a greyed item cannot
// be ticked.
TEST_F(MediaTypeDetailTest, TickingEnablesSamplePrint) {
    m_driver.kind = 2;
    CMediaTypeDetailDialog dialog(Owner(), *m_app, &m_slot);
    Open(dialog);
    CGreyCheckList* list = dialog.MediaList();
    list->setFocus();
    QTest::keyClick(list->viewport(), Qt::Key_Space);
    EXPECT_TRUE(dialog.SampleButton()->isEnabled());
    QTest::keyClick(list->viewport(), Qt::Key_Space);
    EXPECT_FALSE(dialog.SampleButton()->isEnabled());
    QTest::keyClick(list->viewport(), Qt::Key_End); // Clear Film, greyed
    QTest::keyClick(list->viewport(), Qt::Key_Space);
    EXPECT_FALSE(list->IsChecked(4));
    EXPECT_FALSE(dialog.SampleButton()->isEnabled());
}

// One sheet per ticked media in list order, each labelled with the media's
// name first (highlighted) and the slot's settings after it.
TEST_F(MediaTypeDetailTest, SamplePrintPrintsOneSheetPerTickedMedia) {
    CMediaTypeDetailDialog dialog(Owner(), *m_app, &m_slot);
    Open(dialog);
    dialog.MediaList()->SetCheck(3, true);
    dialog.MediaList()->SetCheck(0, true);
    EXPECT_EQ(dialog.RunSamplePrint(), Outcome::Printed);
    ASSERT_EQ(m_sheets.size(), 2u);
    EXPECT_EQ(Titles(), (std::vector<std::string>{Label(50004, "Glossy 260"),
                                                  Label(50004, "Proofing White")}));
    EXPECT_EQ(m_sheets[0].highlightIndex, 0);
    EXPECT_EQ(m_sheets[0].imagePath, m_image);
    EXPECT_EQ(m_sheets[0].printerName, kPrinter);
    // The slot's labels without its own media label: thickness first.
    ASSERT_EQ(m_sheets[0].labels.size(), 8u);
    EXPECT_EQ(m_sheets[0].labels[1], Label(30004, "4"));
    EXPECT_TRUE(m_messages.Entries().empty());
}

// The image choice read per record kind; Browse picks a bitmap that Sample
// Print uses and the next opening with the same kind of record shows.
TEST_F(MediaTypeDetailTest, ImageChoiceIsReadPerRecordKindAndRemembered) {
    const std::string userImage = WriteSampleImage("My Sample.bmp");
    {
        CMediaTypeDetailDialog dialog(Owner(), *m_app, &m_slot);
        CSampleImageChoice* image = dialog.ImageChoiceControls();
        EXPECT_TRUE(image->StandardRadio()->isChecked());
        EXPECT_FALSE(image->BrowseButton()->isEnabled());
        EXPECT_FALSE(image->FileLabel()->isEnabled());
        Open(dialog);
        ClickBox(image->UserRadio());
        EXPECT_TRUE(image->BrowseButton()->isEnabled());
        EXPECT_FALSE(image->StandardRadio()->isChecked());
        m_fileDialogs.Script(QString::fromStdString(userImage));
        QTest::mouseClick(image->BrowseButton(), Qt::LeftButton);
        ASSERT_EQ(m_fileDialogs.Requests().size(), 1u);
        EXPECT_EQ(m_fileDialogs.Requests()[0].kind, FileDialogRequest::Kind::Open);
        EXPECT_EQ(m_fileDialogs.Requests()[0].filter, "Bitmap File(*.BMP)|*.BMP||");
        EXPECT_EQ(image->FileLabel()->text(), "My Sample.bmp");
        QTest::mouseClick(image->BrowseButton(), Qt::LeftButton); // cancelled: the choice stays
        EXPECT_EQ(image->FileLabel()->text(), "My Sample.bmp");
        dialog.MediaList()->SetCheck(1, true);
        EXPECT_EQ(dialog.RunSamplePrint(), Outcome::Printed);
        ASSERT_EQ(m_sheets.size(), 1u);
        EXPECT_EQ(m_sheets[0].imagePath, userImage);
    }
    CMediaTypeDetailDialog again(Owner(), *m_app, &m_slot);
    EXPECT_TRUE(again.ImageChoiceControls()->UserRadio()->isChecked());
    EXPECT_TRUE(again.ImageChoiceControls()->BrowseButton()->isEnabled());
    EXPECT_EQ(again.ImageChoiceControls()->FileLabel()->text(), "My Sample.bmp");
    // A custom file entry has its own remembered choice.
    CMediaTypeDetailDialog file(Owner(), *m_app, &m_file);
    EXPECT_TRUE(file.ImageChoiceControls()->StandardRadio()->isChecked());
    EXPECT_EQ(file.ImageChoiceControls()->FileLabel()->text(), "");
    // Opened without a record: no radio chosen, and Sample Print does nothing.
    CMediaTypeDetailDialog none(Owner(), *m_app, static_cast<const CustomPaperSlot*>(nullptr));
    EXPECT_FALSE(none.ImageChoiceControls()->StandardRadio()->isChecked());
    EXPECT_FALSE(none.ImageChoiceControls()->UserRadio()->isChecked());
    EXPECT_FALSE(none.ImageChoiceControls()->BrowseButton()->isEnabled());
    none.MediaList()->SetCheck(0, true);
    EXPECT_EQ(none.RunSamplePrint(), Outcome::Nothing);
    EXPECT_EQ(m_sheets.size(), 1u);
    EXPECT_TRUE(m_messages.Entries().empty());
}

// Failures end in the procedure's message, with the application's title as
// caption and the exclamation icon; nothing is printed.
TEST_F(MediaTypeDetailTest, FailuresShowTheirMessage) {
    struct Case {
        const char* name;
        int ready;
        std::string userImage; // empty: the standard image
        int text;
    };
    const std::vector<Case> cases = {
        {"not ready", 0, "", 901},
        {"image missing", 1, "/nowhere/Gone.bmp", 50951},
    };
    for (const Case& c : cases) {
        m_messages.Clear();
        m_ready = c.ready;
        CMediaTypeDetailDialog dialog(Owner(), *m_app, &m_slot);
        if (!c.userImage.empty())
            dialog.ImageChoiceControls()->Show({ImageChoice::kUserDefined, c.userImage});
        dialog.MediaList()->SetCheck(0, true);
        dialog.RunSamplePrint();
        ASSERT_EQ(m_messages.Entries().size(), 1u) << c.name;
        const MessageRecorder::Entry& e = m_messages.Entries()[0];
        EXPECT_EQ(e.text, m_app->GetText(c.text)) << c.name;
        EXPECT_EQ(e.caption, m_app->GetText(0)) << c.name;
        EXPECT_EQ(e.icon, MessageIcon::Warning) << c.name;
        EXPECT_TRUE(m_sheets.empty()) << c.name;
    }
}

// While the procedure runs the dialog takes no clicks or keys: Close,
// Escape and a second Sample Print are all ignored.
TEST_F(MediaTypeDetailTest, InputIsIgnoredWhileASampleRuns) {
    CMediaTypeDetailDialog dialog(Owner(), *m_app, &m_slot);
    Open(dialog);
    dialog.MediaList()->SetCheck(0, true);
    dialog.MediaList()->SetCheck(1, true);
    bool sawRunning = false;
    m_duringSheet = [&] {
        sawRunning = dialog.IsSampleRunning();
        QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QTest::mouseClick(dialog.SampleButton(), Qt::LeftButton);
        QTest::mouseClick(dialog.MediaList()->viewport(), Qt::LeftButton, {},
                          dialog.MediaList()->visualItemRect(dialog.MediaList()->item(2)).center());
    };
    dialog.RunSamplePrint();
    m_duringSheet = nullptr;
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(m_sheets.size(), 2u);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.MediaList()->Selection(), 0);
    EXPECT_FALSE(dialog.IsSampleRunning());
    QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton); // afterwards Close works
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(MediaTypeDetailTest, EveryControlIsReachedByTabAndNamed) {
    CMediaTypeDetailDialog dialog(Owner(), *m_app, &m_slot);
    Open(dialog);
    dialog.MediaList()->setFocus();
    QTest::keyClick(dialog.MediaList()->viewport(), Qt::Key_Space); // Sample Print on
    CSampleImageChoice* image = dialog.ImageChoiceControls();
    ClickBox(image->UserRadio());
    const std::vector<QWidget*> expected = {dialog.MediaList(),  dialog.SampleButton(),
                                            image->UserRadio(),  image->BrowseButton(),
                                            dialog.HelpButton(), dialog.CloseButton()};
    EXPECT_EQ(TabChain(dialog), expected);
    for (QWidget* w : expected)
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
    EXPECT_EQ(dialog.MediaList()->accessibleName(), m_app->GetText(50201));
}

} // namespace
