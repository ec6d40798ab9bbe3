#pragma once

#include "ShellFixture.h"

#include "DriverRegistration.h"
#include "PrivateCups.h"
#include "VprinterRig.h"
#include "app/CInkChipImages.h"
#include "comm/CBidiLibrary.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CMediaTable.h"

#include <QComboBox>
#include <QPushButton>

#include <memory>
#include <string>

// The shell against the real spooler (the private CUPS server), the real
// libraries and the virtual printers of the rig: a test picks a queue on the
// main menu and opens a page on it, as an operator does. Real time passes
// from the start (the printers work in their own processes); a test that
// wants the fake clock installs it again.
class VprinterPageTest : public ShellTest {
protected:
    // The rig's queue names; a suite may use its own.
    explicit VprinterPageTest(std::string networkQueue = "CorvanNet", std::string localQueue = "QzLocal")
        : m_networkQueue(std::move(networkQueue)), m_localQueue(std::move(localQueue)) {}

    void SetUp() override {
        ShellTest::SetUp();
        rig = &VprinterRig::Shared(m_networkQueue, m_localQueue);
        ASSERT_TRUE(rig->Ready()) << rig->Error();
        PrivateCups::Shared().Activate();
        ShellApp::SetPrinterSource(nullptr);
        RegisterDriversForTest();
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
        shared.driverSettingsLibrary = std::make_unique<CDriverSettingsLibrary>();
        shared.mediaTable = std::make_unique<CMediaTable>(dir.file("program/Settings/Media.ini"));
        shared.inkChips = std::make_unique<CInkChipImages>();
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        Clock::SetCurrent(nullptr);
    }

    void TearDown() override {
        // Leaving the page on the fake clock: its waits pass at once.
        Clock::SetCurrent(&clock);
        window.reset();
        shared.bidiLibrary.reset();
        shared.driverSettingsLibrary.reset();
        ShellTest::TearDown();
    }

    // Selects `queue` on the main menu and opens page `index` with its
    // button; true when the page is shown without a message. The messages
    // are cleared either way.
    bool OpenPage(const std::string& queue, int index) {
        window->ShowPage(0);
        auto* menu = static_cast<CMainMenuPage*>(window->Page(0));
        const int i = menu->PrinterList()->findText(QString::fromStdString(queue));
        if (i < 0) {
            ADD_FAILURE() << "no queue " << queue << " on the main menu";
            return false;
        }
        menu->PrinterList()->setCurrentIndex(i);
        menu->FunctionButton(index)->click();
        const bool shown = window->CurrentIndex() == index && messages.Entries().empty();
        if (!shown) ADD_FAILURE() << "page " << index << " not shown: " << messages.Texts().join("|").toStdString();
        messages.Clear();
        return shown;
    }

    // The virtual printer behind a queue of the rig.
    VirtualPrinter& PrinterOf(const std::string& queue) { return rig->On(queue); }

    VprinterRig* rig = nullptr;
    std::unique_ptr<CMainWindow> window;

private:
    std::string m_networkQueue;
    std::string m_localQueue;
};
