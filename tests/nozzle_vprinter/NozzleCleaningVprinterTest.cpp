// The nozzle check and head cleaning from button (and from plotcare-cli) to
// printer: the main menu selects a queue of the private CUPS server, the page
// talks to the virtual printer through the real libtqapi.so, on the network
// channel and on the local channel, and the virtual printer prints the
// pattern or runs the cleaning.
#include "../shell/VprinterPageTest.h"
#include "maintenance/CNozzleCleaningPage.h"

namespace {

class NozzleVprinter : public VprinterPageTest, public ::testing::WithParamInterface<const char*> {
protected:
    NozzleVprinter() : VprinterPageTest("NozzleNet", "NozzleLocal") {}
    void SetUp() override {
        VprinterPageTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(OpenPage(GetParam(), CNozzleCleaningPage::kPageIndex));
        page = static_cast<CNozzleCleaningPage*>(window->Page(CNozzleCleaningPage::kPageIndex));
        printer = &PrinterOf(GetParam());
    }

    VirtualPrinter* printer = nullptr;
    CNozzleCleaningPage* page = nullptr;
};

TEST_P(NozzleVprinter, ThePrinterPrintsThePatternAndCleansItsHead) {
    const CVPrinterClient& control = *printer->control;

    Idle(*printer);
    page->NozzleCheckButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(20902)});
    ASSERT_TRUE(Eventually([&] { return !PrintedFile(control, "nozzle-check.txt").empty(); }));
    EXPECT_TRUE(Logged(control, "job 36 bytes"));
    EXPECT_TRUE(Logged(control, "NC 00 00"));
    EXPECT_NE(ReadFile(PrintedFile(control, "nozzle-check.txt")).size(), 0u);

    Idle(*printer);
    const int tank = std::stoi(control.Get("maintenance"));
    messages.Clear();
    page->HeadCleaningButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(20900)});
    ASSERT_TRUE(Eventually([&] { return Logged(control, "done head cleaning"); }));
    EXPECT_TRUE(Logged(control, "CH 00 10"));
    EXPECT_TRUE(Logged(control, "job 25 bytes"));
    EXPECT_TRUE(Eventually([&] { return std::stoi(control.Get("maintenance")) < tank; }));

    // The status the page reads over this channel stops a cleaning.
    struct Refusal {
        const char* fault;
        int text;
    };
    for (const Refusal r : {Refusal{"ink-low", 20903}, Refusal{"field0d-low", 20904}}) {
        SCOPED_TRACE(r.fault);
        Idle(*printer);
        const std::string jobs = control.Get("jobs-received");
        ASSERT_TRUE(control.Fault(r.fault));
        messages.Clear();
        page->HeadCleaningButton()->click();
        EXPECT_EQ(messages.Texts(), QStringList{app->GetText(r.text)});
        EXPECT_EQ(control.Get("jobs-received"), jobs);
    }
    Idle(*printer);
}

INSTANTIATE_TEST_SUITE_P(Channels, NozzleVprinter, ::testing::Values("NozzleNet", "NozzleLocal"),
                         [](const auto& info) { return std::string(info.param); });

class NozzleCliVprinter : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        rig = &VprinterRig::Shared("NozzleNet", "NozzleLocal");
        ASSERT_TRUE(rig->Ready()) << rig->Error();
        PrivateCups::Shared().Activate();
        printer = &rig->On(GetParam());
    }
    std::string Queue() const { return GetParam(); }

    VprinterRig* rig = nullptr;
    VirtualPrinter* printer = nullptr;
};

TEST_P(NozzleCliVprinter, ActionsEndInTheirExitCodes) {
    const CVPrinterClient& control = *printer->control;

    Idle(*printer);
    CliRun r = RunCli("nozzle-check " + Queue() + " --json");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("\"action\":\"nozzle-check\",\"outcome\":\"sent\",\"exitCode\":0"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(Eventually([&] { return !PrintedFile(control, "nozzle-check.txt").empty(); }));

    Idle(*printer);
    r = RunCli("head-clean " + Queue());
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Eventually([&] { return Logged(control, "CH 00 10"); }));

    for (const char* fault : {"ink-low", "field0d-low"}) {
        SCOPED_TRACE(fault);
        Idle(*printer);
        ASSERT_TRUE(control.Fault(fault));
        const std::string jobs = control.Get("jobs-received");
        r = RunCli("head-clean " + Queue());
        EXPECT_EQ(r.code, 5) << r.out;
        EXPECT_EQ(control.Get("jobs-received"), jobs);
    }

    // A queue that takes no jobs: the job is not sent.
    Idle(*printer);
    ASSERT_EQ(PrivateCups::Shared().Run("cupsreject " + Queue()), 0);
    r = RunCli("nozzle-check " + Queue() + " --json");
    EXPECT_EQ(r.code, 6) << r.out;
    EXPECT_NE(r.out.find("\"outcome\":\"not-sent\""), std::string::npos) << r.out;
    r = RunCli("head-clean " + Queue());
    EXPECT_EQ(r.code, 6) << r.out;
    ASSERT_EQ(PrivateCups::Shared().Run("cupsaccept " + Queue()), 0);
}

// The readiness wait takes its full 10 s here, so once, on one channel.
TEST(NozzleCliVprinterBusy, APrinterThatStaysBusyIsNotReadyAndGetsNoJob) {
    VprinterRig& rig = VprinterRig::Shared("NozzleNet", "NozzleLocal");
    ASSERT_TRUE(rig.Ready()) << rig.Error();
    PrivateCups::Shared().Activate();
    Idle(rig.local);
    ASSERT_TRUE(rig.local.control->Fault("never-ready"));
    const CliRun r = RunCli("head-clean NozzleLocal");
    EXPECT_EQ(r.code, 3) << r.out;
    EXPECT_NE(r.out.find("plotcare-cli: waiting for \"NozzleLocal\" to report ready: 5 s of 10 s"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(Logged(*rig.local.control, "job "));
    Idle(rig.local);
}

INSTANTIATE_TEST_SUITE_P(Channels, NozzleCliVprinter, ::testing::Values("NozzleNet", "NozzleLocal"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
