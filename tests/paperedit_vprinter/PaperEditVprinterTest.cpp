// A custom paper setting from the registration page into the printer and
// into a custom file, as an operator makes it: edited on the registration
// page, registered into a slot of the virtual printer, read back through the
// call page; the same setting saved into a custom file from the custom file
// page, opened again there, and a thickness pattern printed from it.
#include "../shell/VprinterPageTest.h"
#include "comm/CDriverMediaList.h"
#include "custompaper/CCustomFilePage.h"
#include "custompaper/CCustomPaperCallPage.h"
#include "custompaper/CCustomPaperRegPage.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CDigitEdit.h"
#include "custompaper/CFeedDryTab.h"
#include "custompaper/CFileQualityTab.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CRegisterSlotDialog.h"
#include "custompaper/CSaveCustomFileDialog.h"
#include "custompaper/CValuePair.h"
#include "platform/FileDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>

namespace {

constexpr const char* kQueue = "RegNet";

class PaperEditVprinter : public VprinterPageTest {
protected:
    PaperEditVprinter() : VprinterPageTest(kQueue, "RegLocal") {}
    void SetUp() override {
        VprinterPageTest::SetUp();
        if (HasFatalFailure()) return;
        shared.customPaperTable =
            std::make_unique<CCustomPaperTable>(app->GetText(30110).toStdString());
        // The program keeps the driver's media list for the whole run.
        mediaCache = std::make_unique<CDriverMediaList>(nullptr, std::string(), std::string());
        printer = &PrinterOf(kQueue);
        ASSERT_TRUE(Idle(*printer));
        const std::string blank = "0," + std::string(98 * 2, 'F');
        for (int n = 1; n <= 10; ++n)
            ASSERT_TRUE(printer->control->Set("slot." + std::to_string(n), blank));
    }
    void TearDown() override {
        VprinterPageTest::TearDown();
        mediaCache.reset();
        shared.customPaperTable.reset();
    }
    static void Pick(COwnerDrawCombo* box, int item) {
        box->showPopup();
        QApplication::processEvents();
        box->setCurrentIndex(item);
        emit box->activated(item);
        box->hidePopup();
    }
    // The setting an operator makes on either page: the second media, a
    // thickness of 0.4 mm typed, a feed adjustment of -25 typed.
    void EditSetting(CPaperEditPage* page, CValuePair* feed) {
        ASSERT_GE(page->MediaList()->count(), 2);
        Pick(page->MediaList(), 1);
        page->ThicknessEdit()->setFocus();
        page->ThicknessEdit()->selectAll();
        QTest::keyClicks(page->ThicknessEdit(), "4");
        feed->Edit()->setFocus();
        feed->Edit()->selectAll();
        QTest::keyClicks(feed->Edit(), "-25");
        page->SaveButton()->setFocus();
    }
    // Runs `fill` on the modal dialog of type D once it is open.
    template <typename D, typename F> static void WhenOpen(F fill) {
        QTimer::singleShot(0, [fill] {
            auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "the dialog did not open";
                return;
            }
            fill(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
    }

    VirtualPrinter* printer = nullptr;
    std::unique_ptr<CDriverMediaList> mediaCache;
};

TEST_F(PaperEditVprinter, RegisteredIntoASlotReadBackAndKeptInACustomFile) {
    // Registration page: the setting into slot 6.
    ASSERT_TRUE(OpenPage(kQueue, CCustomPaperRegPage::kPageIndex));
    auto* reg = static_cast<CCustomPaperRegPage*>(window->Page(CCustomPaperRegPage::kPageIndex));
    EditSetting(reg, reg->FeedDryTab()->ForwardPair());
    const QString media = reg->MediaList()->currentText();
    WhenOpen<CRegisterSlotDialog>([](CRegisterSlotDialog& d) {
        d.DestinationBox()->setCurrentIndex(5);
        d.NameBox()->setText("E2E Canvas");
        d.RunOk();
    });
    reg->SaveButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(30903)});
    EXPECT_TRUE(Eventually([&] { return printer->control->Get("slot.6.name") == "E2E Canvas"; }));
    EXPECT_EQ(reg->NameSelector()->itemText(5), "#6 E2E Canvas");
    EXPECT_EQ(reg->NameSelector()->currentIndex(), 0) << "the edited slot stays selected";

    // Call page: slot 6 holds what was edited.
    messages.Clear();
    ASSERT_TRUE(OpenPage(kQueue, CCustomPaperCallPage::kPageIndex));
    auto* call = static_cast<CCustomPaperCallPage*>(window->Page(CCustomPaperCallPage::kPageIndex));
    Pick(call->Selector(), 6);
    EXPECT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
    EXPECT_EQ(call->RowValue(0)->text(), "4 " + app->GetText(40011));
    EXPECT_EQ(call->RowValue(4)->text(), "-25 " + app->GetText(40012));

    // Custom file page: the same setting saved into a new file.
    ASSERT_TRUE(OpenPage(kQueue, CCustomFilePage::kPageIndex));
    auto* file = static_cast<CCustomFilePage*>(window->Page(CCustomFilePage::kPageIndex));
    EditSetting(file, file->QualityTab()->ForwardPair());
    EXPECT_EQ(file->MediaList()->currentText(), media);
    const std::string path = dir.file("papers.ZMD");
    ScriptedFileDialogs dialogs;
    dialogs.Script(QString::fromStdString(path));
    WhenOpen<CSaveCustomFileDialog>([](CSaveCustomFileDialog& d) {
        d.RunBrowse();
        d.NameBox()->setText("E2E Canvas");
        d.RunOk();
    });
    file->SaveButton()->click();
    EXPECT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
    ASSERT_TRUE(std::filesystem::exists(path));

    // Opened again, its entry suits the driver and brings the setting back.
    dialogs.Script(QString::fromStdString(path));
    file->BrowseButton()->click();
    ASSERT_EQ(file->NameSelector()->count(), 2);
    EXPECT_EQ(file->NameSelector()->itemText(1), "E2E Canvas");
    EXPECT_FALSE(file->NameSelector()->IsItemMarked(1));
    Pick(file->NameSelector(), 1);
    EXPECT_EQ(file->MediaList()->currentText(), media);
    EXPECT_EQ(file->ThicknessEdit()->text(), "4");
    EXPECT_EQ(file->QualityTab()->ForwardPair()->Edit()->text(), "-25");

    // And a thickness pattern from it: the printer takes the job.
    messages.Clear();
    file->PatternButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(50904)});
    EXPECT_TRUE(Eventually([&] { return Logged(*printer->control, "SS 00 03"); }));
    EXPECT_TRUE(Eventually([&] { return !PrintedFile(*printer->control, "thickness-pattern").empty(); }));
}

} // namespace
