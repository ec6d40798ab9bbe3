// The custom paper call page from button to printer: the main menu selects a
// queue of the private CUPS server, the page reads the slots the printer
// holds through the real libtqapi.so, on the network channel and on the
// local channel, and Call makes a slot (or the standard setting) the
// printer's active paper setting.
#include "../shell/VprinterPageTest.h"
#include "custompaper/CCustomPaperCallPage.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/COwnerDrawCombo.h"

#include <QLabel>

namespace {

class CallPageVprinter : public VprinterPageTest,
                         public ::testing::WithParamInterface<const char*> {
protected:
    CallPageVprinter() : VprinterPageTest("CallNet", "CallLocal") {}
    void SetUp() override {
        VprinterPageTest::SetUp();
        if (HasFatalFailure()) return;
        shared.customPaperTable =
            std::make_unique<CCustomPaperTable>(app->GetText(30110).toStdString());
        printer = &PrinterOf(GetParam());
        ASSERT_TRUE(Idle(*printer));
        // No slot registered, the standard setting active.
        const std::string blank = "0," + std::string(98 * 2, 'F');
        for (int n = 1; n <= 10; ++n)
            ASSERT_TRUE(printer->control->Set("slot." + std::to_string(n), blank));
        ASSERT_TRUE(printer->control->Set("active", "0"));
    }
    void TearDown() override {
        VprinterPageTest::TearDown();
        shared.customPaperTable.reset();
    }

    // Writes a slot into the printer as the registration does, and waits
    // until the printer holds it.
    void Register(int slotNumber, const std::string& name, const CustomPaperSlot& settings) {
        ASSERT_EQ(app->GetCustomPaperTable()->WriteSlot(GetParam(), slotNumber - 1, name, settings),
                  0);
        const std::string key = "slot." + std::to_string(slotNumber) + ".name";
        ASSERT_TRUE(Eventually([&] { return printer->control->Get(key) == name; }));
    }
    CCustomPaperCallPage* Page() const {
        return static_cast<CCustomPaperCallPage*>(window->Page(CCustomPaperCallPage::kPageIndex));
    }
    // Picks an item as the operator does: list opened, item clicked.
    void Pick(int item) {
        COwnerDrawCombo* box = Page()->Selector();
        box->showPopup();
        box->setCurrentIndex(item);
        emit box->activated(item);
        box->hidePopup();
    }
    std::vector<QString> Rows() const {
        std::vector<QString> out;
        for (int r = 0; r < CCustomPaperCall::kRowCount; ++r)
            out.push_back(Page()->RowValue(r)->text());
        return out;
    }

    VirtualPrinter* printer = nullptr;
};

TEST_P(CallPageVprinter, ListsTheSlotsWrittenAndCallMakesOneActive) {
    CustomPaperSlot canvas;
    canvas.Paperthick = 6;
    canvas.Platen = 1;
    canvas.Paperdraw = -3;
    canvas.Roller = 3;
    canvas.Forward = -70;
    canvas.Drytime = 50;
    canvas.PaperCut = 1;
    canvas.ThreeWay = 2;
    Register(3, "Canvas Roll", canvas);
    Register(10, "Backlight Film 30 characters..", CustomPaperSlot{});

    ASSERT_TRUE(OpenPage(GetParam(), CCustomPaperCallPage::kPageIndex));
    CCustomPaperCallPage* page = Page();
    COwnerDrawCombo* box = page->Selector();
    const QString empty = app->GetText(30110);
    EXPECT_EQ(box->ItemText(3), "#3 Canvas Roll");
    EXPECT_EQ(box->ItemText(10), "#10 Backlight Film 30 characters..");
    for (int k : {1, 2, 4, 9})
        EXPECT_EQ(box->ItemText(k), QString("#%1 %2").arg(k).arg(empty)) << k;

    // The settings come back from the printer as they were written.
    Pick(3);
    EXPECT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
    const auto t = [this](int id) { return app->GetText(id); };
    EXPECT_EQ(Rows(),
              (std::vector<QString>{"6 " + t(40011), t(40121), t(40133), t(40143),
                                    "-70 " + t(40012), "50 " + t(40013), t(40153), t(40162)}));
    ASSERT_TRUE(page->CallButton()->isEnabled());

    // An empty slot cannot be called.
    Pick(4);
    EXPECT_FALSE(page->CallButton()->isEnabled());
    EXPECT_EQ(Rows(), std::vector<QString>(8));

    // Call slot 3; declining first sends nothing.
    Pick(3);
    const std::string jobs = printer->control->Get("jobs-received");
    messages.Script({MessageAnswer::No});
    page->CallButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{t(40901)});
    EXPECT_EQ(printer->control->Get("jobs-received"), jobs);
    messages.Clear();
    messages.Script({MessageAnswer::Yes});
    page->CallButton()->click();
    EXPECT_EQ(messages.Texts(), (QStringList{t(40901), t(40902)}));
    EXPECT_TRUE(Eventually([&] { return printer->control->Get("active") == "3"; }));

    // And back to the standard setting.
    Pick(0);
    messages.Clear();
    messages.Script({MessageAnswer::Yes});
    page->CallButton()->click();
    EXPECT_EQ(messages.Texts(), (QStringList{t(40901), t(40903)}));
    EXPECT_TRUE(Eventually([&] { return printer->control->Get("active") == "0"; }));
}

TEST_P(CallPageVprinter, UnreadableNamesKeepThePageClosed) {
    // Garbled replies carry no marker: the names are not read, so the page
    // does not open on names it does not have.
    ASSERT_TRUE(printer->control->Fault("garbled-reply"));
    window->ShowPage(0);
    auto* menu = static_cast<CMainMenuPage*>(window->Page(0));
    menu->PrinterList()->setCurrentIndex(menu->PrinterList()->findText(GetParam()));
    menu->FunctionButton(CCustomPaperCallPage::kPageIndex)->click();
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(40900)});
    ASSERT_TRUE(printer->control->ClearFaults());
}

INSTANTIATE_TEST_SUITE_P(Channels, CallPageVprinter, ::testing::Values("CallNet", "CallLocal"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
