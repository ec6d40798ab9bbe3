// The nozzle check and head cleaning from button (and from plotcare-cli) to
// printer: the main menu selects a queue of the private CUPS server, the page
// talks to the virtual printer through the real libtqapi.so, on the network
// channel and on the local channel, and the virtual printer prints the
// pattern or runs the cleaning.
#include "../shell/ShellFixture.h"
#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "DriverRegistration.h"
#include "PrivateCups.h"
#include "comm/CBidiLibrary.h"
#include "comm/CDriverSettingsLibrary.h"
#include "maintenance/CNozzleCleaningPage.h"

#include <QComboBox>
#include <QPushButton>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>
#include <thread>

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
        if (process.Start(config, error))
            control = std::make_unique<CVPrinterClient>(process.Ports().control);
    }
};

// "NozzleNet": a Corvan Max 7100 on the network channel; "NozzleLocal": a
// QZ-7100 on the local channel.
struct Printers {
    VirtualPrinter corvan{"corvan"};
    VirtualPrinter qz{"qz"};
    Printers() {
        if (!corvan.control || !qz.control) return;
        PrivateCups& cups = PrivateCups::Shared();
        cups.AddQueue("NozzleNet", corvan.process.NetworkUri(),
                      OutputDir() + "/driver/ovcm7100.ppd");
        cups.AddQueue("NozzleLocal", qz.process.LocalUri(), OutputDir() + "/driver/ovqz7100.ppd");
    }
    static Printers& Shared() {
        static Printers printers;
        return printers;
    }
    VirtualPrinter& On(const std::string& queue) { return queue == "NozzleNet" ? corvan : qz; }
};

// Polls `done` in real time (the printer works in its own process).
template <typename F> bool Eventually(F done, int timeoutMs = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

bool Logged(const CVPrinterClient& control, const std::string& prefix) {
    for (const std::string& line : control.Log())
        if (line.rfind(prefix, 0) == 0) return true;
    return false;
}

// The file a "printed NAME" line of the log names, in the output folder.
std::string PrintedFile(const CVPrinterClient& control, const std::string& kind) {
    for (const std::string& line : control.Log())
        if (line.rfind("printed ", 0) == 0 && line.find(kind) != std::string::npos)
            return control.Get("output") + "/" + line.substr(8);
    return {};
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Starts from a ready printer with no faults and an empty log.
void Idle(VirtualPrinter& p) {
    ASSERT_TRUE(p.control->ClearFaults());
    ASSERT_TRUE(p.control->Ok("FINISH"));
    ASSERT_TRUE(Eventually([&] { return p.control->Get("state") == "ready"; }));
    ASSERT_TRUE(p.control->Ok("LOG clear"));
}

class NozzleVprinter : public ShellTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        printers = &Printers::Shared();
        ASSERT_TRUE(printers->corvan.control) << printers->corvan.error;
        ASSERT_TRUE(printers->qz.control) << printers->qz.error;
        PrivateCups::Shared().Activate();
        ShellApp::SetPrinterSource(nullptr); // the real spooler
        RegisterDriversForTest();
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
        shared.driverSettingsLibrary = std::make_unique<CDriverSettingsLibrary>();
        window = std::make_unique<CMainWindow>(true);
        ASSERT_TRUE(window->Initialize());
        window->show();
        // From here on real time passes: the printer answers and works in
        // its own process.
        Clock::SetCurrent(nullptr);
        auto* menu = static_cast<CMainMenuPage*>(window->Page(0));
        const int i = menu->PrinterList()->findText(GetParam());
        ASSERT_GE(i, 0);
        menu->PrinterList()->setCurrentIndex(i);
        menu->FunctionButton(CNozzleCleaningPage::kPageIndex)->click();
        ASSERT_TRUE(messages.Entries().empty()) << messages.Texts().join("|").toStdString();
        ASSERT_EQ(window->CurrentIndex(), CNozzleCleaningPage::kPageIndex);
        page = static_cast<CNozzleCleaningPage*>(window->Page(CNozzleCleaningPage::kPageIndex));
        printer = &printers->On(GetParam());
        messages.Clear();
    }
    void TearDown() override {
        window.reset();
        shared.bidiLibrary.reset();
        shared.driverSettingsLibrary.reset();
        ShellTest::TearDown();
    }

    Printers* printers = nullptr;
    VirtualPrinter* printer = nullptr;
    std::unique_ptr<CMainWindow> window;
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

struct CliRun {
    int code = -1;
    std::string out;
};

CliRun Cli(const std::string& args) {
    CliRun run;
    const std::string command = OutputDir() + "/plotcare-cli " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 512> buf;
    while (std::fgets(buf.data(), buf.size(), pipe))
        run.out += buf.data();
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class NozzleCliVprinter : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        printers = &Printers::Shared();
        ASSERT_TRUE(printers->corvan.control) << printers->corvan.error;
        ASSERT_TRUE(printers->qz.control) << printers->qz.error;
        PrivateCups::Shared().Activate();
        printer = &printers->On(GetParam());
    }
    std::string Queue() const { return GetParam(); }

    Printers* printers = nullptr;
    VirtualPrinter* printer = nullptr;
};

TEST_P(NozzleCliVprinter, ActionsEndInTheirExitCodes) {
    const CVPrinterClient& control = *printer->control;

    Idle(*printer);
    CliRun r = Cli("nozzle-check " + Queue() + " --json");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("\"action\":\"nozzle-check\",\"outcome\":\"sent\",\"exitCode\":0"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(Eventually([&] { return !PrintedFile(control, "nozzle-check.txt").empty(); }));

    Idle(*printer);
    r = Cli("head-clean " + Queue());
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Eventually([&] { return Logged(control, "CH 00 10"); }));

    for (const char* fault : {"ink-low", "field0d-low"}) {
        SCOPED_TRACE(fault);
        Idle(*printer);
        ASSERT_TRUE(control.Fault(fault));
        const std::string jobs = control.Get("jobs-received");
        r = Cli("head-clean " + Queue());
        EXPECT_EQ(r.code, 5) << r.out;
        EXPECT_EQ(control.Get("jobs-received"), jobs);
    }

    // A queue that takes no jobs: the job is not sent.
    Idle(*printer);
    ASSERT_EQ(PrivateCups::Shared().Run("cupsreject " + Queue()), 0);
    r = Cli("nozzle-check " + Queue() + " --json");
    EXPECT_EQ(r.code, 6) << r.out;
    EXPECT_NE(r.out.find("\"outcome\":\"not-sent\""), std::string::npos) << r.out;
    r = Cli("head-clean " + Queue());
    EXPECT_EQ(r.code, 6) << r.out;
    ASSERT_EQ(PrivateCups::Shared().Run("cupsaccept " + Queue()), 0);
}

// The readiness wait takes its full 10 s here, so once, on one channel.
TEST(NozzleCliVprinterBusy, APrinterThatStaysBusyIsNotReadyAndGetsNoJob) {
    Printers& printers = Printers::Shared();
    ASSERT_TRUE(printers.qz.control) << printers.qz.error;
    PrivateCups::Shared().Activate();
    Idle(printers.qz);
    ASSERT_TRUE(printers.qz.control->Fault("never-ready"));
    const CliRun r = Cli("head-clean NozzleLocal");
    EXPECT_EQ(r.code, 3) << r.out;
    EXPECT_NE(r.out.find("plotcare-cli: waiting for \"NozzleLocal\" to report ready: 5 s of 10 s"),
              std::string::npos)
        << r.out;
    EXPECT_FALSE(Logged(*printers.qz.control, "job "));
    Idle(printers.qz);
}

INSTANTIATE_TEST_SUITE_P(Channels, NozzleCliVprinter, ::testing::Values("NozzleNet", "NozzleLocal"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
