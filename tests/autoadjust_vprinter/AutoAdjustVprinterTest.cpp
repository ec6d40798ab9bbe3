// The automatic adjustment's actions end to end: through the private CUPS
// server to two virtual printers, a Corvan Max 7100 on the network channel
// and a QZ-7100 on the local channel.
#include "../shell/ShellFixture.h"

#include "comm/CBidiLibrary.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/COwnerDrawCombo.h"
#include "maintenance/CAutoAdjustmentPage.h"

#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "DriverRegistration.h"
#include "PrivateCups.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

std::string OutputDir() {
    const char* dir = std::getenv("PLOTCARE_OUTPUT_DIR");
    return dir ? dir : "";
}

struct VirtualPrinter {
    TempDir state;
    CVPrinterProcess process;
    std::unique_ptr<CVPrinterClient> control;
    std::string error;

    explicit VirtualPrinter(const char* model) {
        CVPrinterProcess::Config config;
        config.stateDir = state.path().string();
        config.model = model;
        if (process.Start(config, error)) control = std::make_unique<CVPrinterClient>(process.Ports().control);
    }
    bool Logged(const std::string& line) const {
        const auto log = control->Log();
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    bool LoggedStart(const std::string& start) const {
        for (const std::string& line : control->Log())
            if (line.rfind(start, 0) == 0) return true;
        return false;
    }
};

// Queues "AdjNet" (network channel) and "AdjLocal" (local channel).
struct Printers {
    VirtualPrinter corvan{"corvan"};
    VirtualPrinter qz{"qz"};
    Printers() {
        if (!corvan.control || !qz.control) return;
        PrivateCups& cups = PrivateCups::Shared();
        cups.AddQueue("AdjNet", corvan.process.NetworkUri(), OutputDir() + "/driver/ovcm7100.ppd");
        cups.AddQueue("AdjLocal", qz.process.LocalUri(), OutputDir() + "/driver/ovqz7100.ppd");
    }
    static Printers& Shared() {
        static Printers printers; // stopped at exit, before the CUPS server
        return printers;
    }
};

// A plotcare-cli run started in the background, so that two watches of
// half a minute each run side by side.
class CliRun {
public:
    explicit CliRun(const std::string& args) {
        m_pipe = popen((OutputDir() + "/plotcare-cli " + args + " 2>/dev/null").c_str(), "r");
    }
    ~CliRun() {
        if (m_pipe) Finish();
    }
    // Waits for the end; the exit code (-1 when it did not run).
    int Finish() {
        if (!m_pipe) return -1;
        std::array<char, 512> buf;
        while (std::fgets(buf.data(), buf.size(), m_pipe)) out += buf.data();
        const int status = pclose(m_pipe);
        m_pipe = nullptr;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string out;

private:
    FILE* m_pipe = nullptr;
};

class AutoAdjustVprinter : public ::testing::Test {
protected:
    void SetUp() override {
        printers = &Printers::Shared();
        ASSERT_TRUE(printers->corvan.control) << printers->corvan.error;
        ASSERT_TRUE(printers->qz.control) << printers->qz.error;
        PrivateCups::Shared().Activate();
        for (VirtualPrinter* p : {&printers->corvan, &printers->qz}) {
            p->control->ClearFaults();
            p->control->Set("sn", "0");
            p->control->Request("LOG clear");
        }
    }
    Printers* printers = nullptr;
};

TEST_F(AutoAdjustVprinter, CliAlignsOnTheLocalChannelAndChecksNozzlesOnTheNetwork) {
    CliRun align("--json auto-align AdjLocal --direction bi --patterns 1,3 --thickness 4 --platen 3");
    CliRun nozzle("--json auto-nozzle AdjNet");
    EXPECT_EQ(align.Finish(), 0) << align.out;
    EXPECT_EQ(nozzle.Finish(), 0) << nozzle.out;
    EXPECT_NE(align.out.find("\"outcome\":\"finished\""), std::string::npos) << align.out;
    EXPECT_NE(align.out.find("\"timeoutMs\":690000"), std::string::npos) << align.out;
    EXPECT_NE(nozzle.out.find("\"outcome\":\"finished\""), std::string::npos) << nozzle.out;

    // What each printer did with the job it got.
    for (const char* line : {"PH 00 04", "SN 00 01 02", "DT 00 00 01", "DT 00 00 03"})
        EXPECT_TRUE(printers->qz.Logged(line)) << line;
    EXPECT_FALSE(printers->qz.Logged("DT 00 00 02"));
    EXPECT_TRUE(printers->corvan.Logged("NC 00 01"));
}

TEST_F(AutoAdjustVprinter, CliRefusesWhenThePrinterCannotAlign) {
    ASSERT_TRUE(printers->corvan.control->Set("sn", "1"));
    const std::string jobs = printers->corvan.control->Get("jobs-received");
    CliRun run("auto-align AdjNet --direction uni --thickness 2");
    EXPECT_EQ(run.Finish(), 5);
    EXPECT_EQ(printers->corvan.control->Get("jobs-received"), jobs) << "nothing was sent";
}

// The page in the main window, on the real libraries, the real clock and
// the printers above.
class AutoAdjustPageVprinter : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        printers = &Printers::Shared();
        ASSERT_TRUE(printers->corvan.control) << printers->corvan.error;
        ASSERT_TRUE(printers->qz.control) << printers->qz.error;
        PrivateCups::Shared().Activate();
        for (VirtualPrinter* p : {&printers->corvan, &printers->qz}) {
            p->control->ClearFaults();
            p->control->Set("sn", "0");
            p->control->Request("LOG clear");
        }
        RegisterDriversForTest();
        ShellApp::SetPrinterSource(nullptr); // the real spooler
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
        shared.driverSettingsLibrary = std::make_unique<CDriverSettingsLibrary>();
        shared.mediaTable = std::make_unique<CMediaTable>(dir.file("program/Settings/Media.ini"));
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        menu = static_cast<CMainMenuPage*>(window->Page(0));
        page = static_cast<CAutoAdjustmentPage*>(window->Page(1));
        // The watch waits for real: the printer takes its time through CUPS.
        Clock::SetCurrent(nullptr);
    }
    void TearDown() override {
        Clock::SetCurrent(&clock);
        window.reset();
        shared.bidiLibrary.reset();
        shared.driverSettingsLibrary.reset();
        shared.mediaTable.reset();
        ShellTest::TearDown();
    }
    void Open(const char* queue) {
        const int i = menu->PrinterList()->findText(queue);
        ASSERT_GE(i, 0) << queue;
        menu->PrinterList()->setCurrentIndex(i);
        menu->FunctionButton(1)->click();
        ASSERT_EQ(window->CurrentIndex(), 1) << messages.Texts().join("|").toStdString();
        messages.Clear();
    }

    Printers* printers = nullptr;
    std::unique_ptr<CMainWindow> window;
    CMainMenuPage* menu = nullptr;
    CAutoAdjustmentPage* page = nullptr;
};

TEST_F(AutoAdjustPageVprinter, AlignsOnTheNetworkWithTheMediasOwnPlatenGap) {
    Open("AdjNet");
    // The driver's media list, the page's exclusions greyed.
    COwnerDrawCombo* media = page->MediaList();
    ASSERT_GT(media->Count(), 5);
    EXPECT_EQ(media->ItemText(0), app->GetText(10140));
    EXPECT_EQ(media->ItemText(1), "Premium Glossy Photo Paper 260");
    const int film = media->findText("Clear Film");
    ASSERT_GE(film, 0);
    EXPECT_TRUE(media->IsItemMarked(film));

    media->setFocus();
    QTest::keyClick(media, Qt::Key_Down);
    EXPECT_EQ(page->ThicknessEdit()->text(), "3") << "the media's own thickness";
    EXPECT_EQ(page->PlatenList()->currentText(), app->GetText(10150));
    page->PatternBox(CAutoAdjustment::Direction::Bidirectional, 2)->click();
    page->StartButton(CAutoAdjustment::Direction::Bidirectional)->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(10900)});

    // The printer was asked for the media's platen gap (2 unless set) and
    // got it back in the job.
    EXPECT_TRUE(printers->corvan.LoggedStart("query EX 01 00 00 00 1B "));
    for (const char* line : {"PH 00 03", "SN 00 01 02", "DT 00 00 02"})
        EXPECT_TRUE(printers->corvan.Logged(line)) << line;
}

TEST_F(AutoAdjustPageVprinter, ChecksNozzlesOnTheLocalChannel) {
    Open("AdjLocal");
    page->NozzleCheckButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(10900)});
    EXPECT_TRUE(printers->qz.Logged("NC 00 01"));
}

} // namespace
