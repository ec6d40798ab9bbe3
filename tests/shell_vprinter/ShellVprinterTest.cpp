// The main menu's printer selection against real queues of the private CUPS
// server, the real libtqapi.so and two virtual printers: one on the network
// channel, one on the local channel.
#include "../shell/ShellFixture.h"

#include "app/CDriverSettingsDialog.h"
#include "comm/CBidiLibrary.h"
#include "comm/CDriverSettingsLibrary.h"

#include "DriverRegistration.h"
#include "PrivateCups.h"
#include "VprinterRig.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

namespace {

class ShellVprinterTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        rig = &VprinterRig::Shared();
        ASSERT_TRUE(rig->Ready()) << rig->Error();
        PrivateCups::Shared().Activate();
        // A queue of another maker's driver beside the rig's two.
        static const bool foreign = [] {
            PrivateCups::Shared().AddQueue("Foreign", "socket://127.0.0.1:9");
            return true;
        }();
        ASSERT_TRUE(foreign);
        rig->network.control->ClearFaults();
        ShellApp::SetPrinterSource(nullptr); // the real spooler
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
        shared.driverSettingsLibrary = std::make_unique<CDriverSettingsLibrary>();
        window = std::make_unique<CMainWindow>(true, RecordingFactory(log));
        ASSERT_TRUE(window->Initialize());
        window->show();
        menu = static_cast<CMainMenuPage*>(window->Page(0));
        messages.Clear();
    }
    void TearDown() override {
        window.reset();
        shared.bidiLibrary.reset();
        shared.driverSettingsLibrary.reset();
        ShellTest::TearDown();
    }
    void Choose(const char* queue) {
        const int i = menu->PrinterList()->findText(queue);
        ASSERT_GE(i, 0) << queue;
        menu->PrinterList()->setCurrentIndex(i);
    }

    VprinterRig* rig = nullptr;
    NoteLog log;
    std::unique_ptr<CMainWindow> window;
    CMainMenuPage* menu = nullptr;
};

TEST_F(ShellVprinterTest, ListsOnlyTheSupportedQueues) {
    QStringList names;
    for (int i = 0; i < menu->PrinterList()->count(); ++i) names << menu->PrinterList()->itemText(i);
    EXPECT_EQ(names, (QStringList{"CorvanNet", "QzLocal"}));
}

TEST_F(ShellVprinterTest, SelectingOpensThePageOnEitherChannel) {
    RegisterDriversForTest();
    struct Case {
        const char* queue;
        const char* driver;
        int page;
    };
    for (const Case c : {Case{"CorvanNet", "ORVEX Corvan Max 7100", 2}, Case{"QzLocal", "ORVEX QZ-7100", 6}}) {
        SCOPED_TRACE(c.queue);
        window->ShowPage(0);
        Choose(c.queue);
        menu->FunctionButton(c.page)->click();
        EXPECT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
        EXPECT_EQ(window->CurrentIndex(), c.page);
        EXPECT_EQ(app->GetPrinterName(), c.queue);
        EXPECT_EQ(app->GetDriverName(), c.driver);
        EXPECT_NE(app->GetDriverSettings(), nullptr);
        EXPECT_TRUE(shared.bidiLibrary->IsLoaded());
        EXPECT_EQ(Remembered(), c.queue);
        EXPECT_EQ(window->windowTitle(), QStringLiteral("plotcare - %1").arg(c.queue));
    }
}

TEST_F(ShellVprinterTest, ADriverUnknownToTheStatusMonitorIsRefused) {
    RegisterDriversForTest({"ORVEX QZ-7100"});
    Choose("CorvanNet");
    menu->FunctionButton(1)->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(905)});
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_EQ(Remembered(), "<none>");
}

TEST_F(ShellVprinterTest, APrinterWithAnotherDeviceIdIsRefused) {
    RegisterDriversForTest();
    ASSERT_TRUE(rig->network.control->Fault("wrong-device-id"));
    Choose("CorvanNet");
    menu->FunctionButton(1)->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(906)});
    EXPECT_EQ(window->CurrentIndex(), 0);
    // The library stays loaded for the new printer.
    EXPECT_TRUE(shared.bidiLibrary->IsLoaded());
    EXPECT_EQ(Remembered(), "<none>");
}

TEST_F(ShellVprinterTest, DriverSettingsDialogChangesTheCopyAndTellsThePage) {
    RegisterDriversForTest();
    Choose("CorvanNet");
    menu->FunctionButton(1)->click();
    ASSERT_EQ(window->CurrentIndex(), 1);
    ASSERT_TRUE(window->DriverSettingsAction()->isEnabled());
    const QByteArray before = *app->GetDriverSettings();

    std::string chosen;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<CDriverSettingsDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        QComboBox* quality = dialog->OptionBox("OVPrintQuality");
        if (quality) {
            quality->setCurrentIndex((quality->currentIndex() + 1) % quality->count());
            chosen = quality->currentData().toString().toStdString();
        }
        dialog->accept();
    });
    log.clear();
    window->OpenDriverSettings();
    ASSERT_FALSE(chosen.empty());
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_NE(*app->GetDriverSettings(), before);
    EXPECT_EQ(log, (NoteLog{{1, CPage::kMsgDriverSettingsChanged}}));
    // The choice stays in effect for the queue.
    CDriverSettingsDialog again("CorvanNet", app->GetDriverSettings(), nullptr);
    ASSERT_TRUE(again.IsUsable());
    EXPECT_EQ(again.OptionBox("OVPrintQuality")->currentData().toString().toStdString(), chosen);
}

} // namespace
