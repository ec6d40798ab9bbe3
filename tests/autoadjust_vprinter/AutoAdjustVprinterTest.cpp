// The automatic adjustment's actions end to end: through the private CUPS
// server to two virtual printers, a Corvan Max 7100 on the network channel
// and a QZ-7100 on the local channel.
#include "../shell/VprinterPageTest.h"
#include "custompaper/COwnerDrawCombo.h"
#include "maintenance/CAutoAdjustmentPage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

// Queues "AdjNet" (network channel) and "AdjLocal" (local channel).
VprinterRig& Rig() { return VprinterRig::Shared("AdjNet", "AdjLocal"); }

// Starts from ready printers that can align, with no faults and empty logs.
void Reset(VprinterRig& rig) {
    for (VirtualPrinter* p : {&rig.network, &rig.local}) {
        p->control->ClearFaults();
        p->control->Set("sn", "0");
        p->control->Request("LOG clear");
    }
}

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
        rig = &Rig();
        ASSERT_TRUE(rig->Ready()) << rig->Error();
        PrivateCups::Shared().Activate();
        Reset(*rig);
    }
    VprinterRig* rig = nullptr;
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
        EXPECT_TRUE(Logged(*rig->local.control, line)) << line;
    EXPECT_FALSE(Logged(*rig->local.control, "DT 00 00 02"));
    EXPECT_TRUE(Logged(*rig->network.control, "NC 00 01"));
}

TEST_F(AutoAdjustVprinter, CliRefusesWhenThePrinterCannotAlign) {
    ASSERT_TRUE(rig->network.control->Set("sn", "1"));
    const std::string jobs = rig->network.control->Get("jobs-received");
    CliRun run("auto-align AdjNet --direction uni --thickness 2");
    EXPECT_EQ(run.Finish(), 5);
    EXPECT_EQ(rig->network.control->Get("jobs-received"), jobs) << "nothing was sent";
}

// The page in the main window, on the real libraries, the real clock and
// the printers above.
class AutoAdjustPageVprinter : public VprinterPageTest {
protected:
    AutoAdjustPageVprinter() : VprinterPageTest("AdjNet", "AdjLocal") {}
    void SetUp() override {
        VprinterPageTest::SetUp();
        if (HasFatalFailure()) return;
        Reset(*rig);
        page = static_cast<CAutoAdjustmentPage*>(window->Page(1));
    }
    void Open(const char* queue) { ASSERT_TRUE(OpenPage(queue, 1)); }

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
    EXPECT_TRUE(Logged(*rig->network.control, "query EX 01 00 00 00 1B "));
    for (const char* line : {"PH 00 03", "SN 00 01 02", "DT 00 00 02"})
        EXPECT_TRUE(Logged(*rig->network.control, line)) << line;
}

TEST_F(AutoAdjustPageVprinter, ChecksNozzlesOnTheLocalChannel) {
    Open("AdjLocal");
    page->NozzleCheckButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(10900)});
    EXPECT_TRUE(Logged(*rig->local.control, "NC 00 01"));
}

} // namespace
