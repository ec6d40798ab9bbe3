// The firmware update from button (and from plotcare-cli) to printer: the
// main menu selects a queue of the private CUPS server, the page reads the
// version over the real libtqapi.so, sends the image through CUPS, waits for
// the virtual printer's restart and reads the new version back, on the
// network channel and on the local channel. The printer and plotcare's clock
// run at matching scales, so a 90 s restart takes about two seconds.
#include "../shell/VprinterPageTest.h"
#include "ScaledClock.h"
#include "UpgImages.h"
#include "cli/CliCommands.h"
#include "comm/CPrinterLink.h"
#include "comm/RawJob.h"
#include "firmware/CFirmwareUpdate.h"
#include "firmware/CFirmwareUpdatePage.h"
#include "maintenance/BusyIndicator.h"
#include "platform/FileDialogs.h"

#include <QLabel>
#include <sstream>
#include <thread>

namespace {

// The printer restarts in 90 s × 0.02; plotcare's 70 s grace passes in
// 70 s × 0.15, after the printer is back (the spooler takes a few seconds
// to hand the job over).
constexpr const char* kPrinterScale = "0.02";
constexpr double kClockScale = 0.15;

// Starts from a ready printer at version I02010 with its restart scaled.
void Prepare(VirtualPrinter& p, const std::string& version = "I02010") {
    ASSERT_TRUE(Idle(p));
    ASSERT_TRUE(p.control->Set("firmware", version));
    ASSERT_TRUE(p.control->Set("time-scale", kPrinterScale));
}

std::string JobLine(std::size_t bytes) {
    return "job " + std::to_string(bytes) + " bytes";
}

class FirmwareVprinter : public VprinterPageTest,
                         public ::testing::WithParamInterface<const char*> {
protected:
    FirmwareVprinter() : VprinterPageTest("FirmwareNet", "FirmwareLocal") {}
    void SetUp() override {
        VprinterPageTest::SetUp();
        if (HasFatalFailure()) return;
        printer = &PrinterOf(GetParam());
        Prepare(*printer);
        Clock::SetCurrent(&scaled);
    }
    void TearDown() override {
        if (printer) printer->control->Set("time-scale", "0.001");
        VprinterPageTest::TearDown();
    }
    CFirmwareUpdatePage* Open() {
        if (!OpenPage(GetParam(), CFirmwareUpdatePage::kPageIndex)) return nullptr;
        return static_cast<CFirmwareUpdatePage*>(window->Page(CFirmwareUpdatePage::kPageIndex));
    }
    void Choose(CFirmwareUpdatePage* page, const std::string& path) {
        dialogs.Script(QString::fromStdString(path));
        page->BrowseButton()->click();
    }

    ScaledClock scaled{kClockScale};
    ScriptedFileDialogs dialogs;
    VirtualPrinter* printer = nullptr;
};

TEST_P(FirmwareVprinter, AGoodImageUpdatesThePrinterAndAChangedOneNeverReachesIt) {
    const CVPrinterClient& control = *printer->control;
    CFirmwareUpdatePage* page = Open();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->PrinterVersionField()->text(), "I02010");

    const std::string image = upg::Make("I03010", 200000);
    Choose(page, dir.write("fw/NEW.UPG", image));
    ASSERT_TRUE(page->UpdateButton()->isEnabled());
    EXPECT_EQ(page->StatusText(), 70006);
    page->UpdateButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(70903)});
    EXPECT_EQ(page->PrinterVersionField()->text(), "I03010");
    EXPECT_EQ(page->StatusText(), 70008);
    EXPECT_EQ(control.Get("firmware"), "I03010");
    EXPECT_TRUE(Logged(control, JobLine(16394 + image.size())));
    EXPECT_TRUE(Logged(control, "firmware accepted I03010"));

    // Chosen, then changed on disk before Update: refused, nothing sent.
    ASSERT_TRUE(Idle(*printer));
    const std::string jobs = control.Get("jobs-received");
    const std::string newer = upg::Make("I04010", 5000);
    const std::string path = dir.write("fw/NEWER.UPG", newer);
    Choose(page, path);
    std::string changed = newer;
    changed[100] = static_cast<char>(changed[100] + 1);
    dir.write("fw/NEWER.UPG", changed);
    messages.Clear();
    page->UpdateButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(70902)});
    EXPECT_EQ(control.Get("jobs-received"), jobs);
    EXPECT_EQ(control.Get("firmware"), "I03010");
}

// Checked on the bytes the printer received; once, on one channel.
class FirmwareVprinterBoot : public FirmwareVprinter {};

TEST_P(FirmwareVprinterBoot, APrinterAtI00000ReceivesTheImageWithoutTheFillBlock) {
    const CVPrinterClient& control = *printer->control;
    Prepare(*printer, "I00000");
    CFirmwareUpdatePage* page = Open();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->PrinterVersionField()->text(), "I00000");
    const std::string image = upg::Make("I02010", 3000);
    Choose(page, dir.write("fw/BOOT.UPG", image));
    page->UpdateButton()->click();
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(70903)});
    // The printer received the header and the image, nothing else.
    EXPECT_TRUE(Logged(control, JobLine(10 + image.size())));
    EXPECT_FALSE(Logged(control, "skipped"));
    EXPECT_EQ(control.Get("firmware"), "I02010");
}

INSTANTIATE_TEST_SUITE_P(Channels, FirmwareVprinter,
                         ::testing::Values("FirmwareNet", "FirmwareLocal"),
                         [](const auto& info) { return std::string(info.param); });

// A printer that hangs after taking the image: the restart wait times out
// (150 s, scaled), the readiness wait fails as well, and the page gives up
// on the printer and goes back to the main menu. Once, on one channel.
class FirmwareVprinterHang : public FirmwareVprinter {};

TEST_P(FirmwareVprinterHang, APrinterThatNeverComesBackEndsOnTheMainMenu) {
    const CVPrinterClient& control = *printer->control;
    CFirmwareUpdatePage* page = Open();
    ASSERT_NE(page, nullptr);
    Choose(page, dir.write("fw/NEW.UPG", upg::Make("I03010", 1000)));
    // The engine hangs as soon as the image is taken.
    std::thread hang([&] {
        if (Eventually([&] { return Logged(control, "firmware accepted"); }))
            printer->control->Fault("never-ready");
    });
    page->UpdateButton()->click();
    hang.join();
    EXPECT_EQ(messages.Texts(), (QStringList{app->GetText(70904), app->GetText(70906)}));
    EXPECT_EQ(window->CurrentIndex(), 0);
    EXPECT_TRUE(Idle(*printer));
}

INSTANTIATE_TEST_SUITE_P(Network, FirmwareVprinterBoot, ::testing::Values("FirmwareNet"),
                         [](const auto& info) { return std::string(info.param); });
INSTANTIATE_TEST_SUITE_P(Local, FirmwareVprinterHang, ::testing::Values("FirmwareLocal"),
                         [](const auto& info) { return std::string(info.param); });

// A busy indicator that shows nothing and counts its beginnings.
class SilentBusy final : public BusyIndicator {
public:
    bool Begin(int, int, bool) override {
        ++begun;
        return true;
    }
    int Poll() override { return kRunning; }
    int State() const override { return kRunning; }
    void End() override {}
    int begun = 0;
};

// plotcare-cli in this process, on the same scaled clock.
class FirmwareCliVprinter : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        EnsureApp();
        rig = &VprinterRig::Shared("FirmwareNet", "FirmwareLocal");
        ASSERT_TRUE(rig->Ready()) << rig->Error();
        PrivateCups::Shared().Activate();
        printer = &rig->On(GetParam());
        Prepare(*printer);
    }
    void TearDown() override {
        if (printer) printer->control->Set("time-scale", "0.001");
    }
    int Run(const std::string& command) {
        std::vector<std::string> args{"--json", "--settings", OutputDir()};
        std::istringstream words(command);
        for (std::string w; words >> w;)
            args.push_back(w);
        out.str({});
        err.str({});
        return cli::Run(args, out, err);
    }
    bool Has(const std::string& text) const { return out.str().find(text) != std::string::npos; }

    ScaledClock scaled{kClockScale};
    ScaledClock::Scope scope{scaled};
    TempDir dir;
    VprinterRig* rig = nullptr;
    VirtualPrinter* printer = nullptr;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_P(FirmwareCliVprinter, CheckAndUpdateEndInTheirExitCodes) {
    const CVPrinterClient& control = *printer->control;
    const std::string queue = GetParam();
    const std::string good = dir.write("NEW.UPG", upg::Make("I03010", 4000));
    std::string spoiled = upg::Make("I03010", 4000);
    spoiled[12] = static_cast<char>(spoiled[12] + 1);
    const std::string bad = dir.write("BAD.UPG", spoiled);

    EXPECT_EQ(Run("fw-check " + good + " " + queue), 0) << out.str() << err.str();
    EXPECT_TRUE(Has(
        "\"fileVersion\":\"I03010\",\"printerVersion\":\"I02010\",\"comparison\":\"file-newer\","
        "\"updateOffered\":true"))
        << out.str();
    EXPECT_EQ(Run("fw-check " + bad), 5) << out.str();
    EXPECT_TRUE(Has("\"outcome\":\"corrupt\"")) << out.str();

    // A bad image goes nowhere.
    const std::string jobs = control.Get("jobs-received");
    EXPECT_EQ(Run("fw-update " + queue + " " + bad), 5) << out.str();
    EXPECT_EQ(control.Get("jobs-received"), jobs);

    EXPECT_EQ(Run("fw-update " + queue + " " + good), 0) << out.str() << err.str();
    EXPECT_TRUE(Has("\"outcome\":\"updated\"")) << out.str();
    EXPECT_TRUE(Has("\"newVersion\":\"I03010\"")) << out.str();
    EXPECT_NE(err.str().find("waiting for the printer to restart"), std::string::npos) << err.str();
    EXPECT_EQ(control.Get("firmware"), "I03010");

    // The same image again is offered (same version); an older one is not.
    EXPECT_EQ(Run("fw-check " + dir.write("OLD.UPG", upg::Make("I02010", 10)) + " " + queue), 0);
    EXPECT_TRUE(Has("\"comparison\":\"printer-newer\",\"updateOffered\":false")) << out.str();
    EXPECT_EQ(Run("fw-update " + queue + " " + dir.file("OLD.UPG")), 5) << out.str();
    EXPECT_TRUE(Has("\"outcome\":\"not-offered\"")) << out.str();
}

// The file changes while its job is being written to the spooler: the job
// is dropped and the printer never receives a byte of it.
TEST_P(FirmwareCliVprinter, AnImageChangedWhileItIsSentNeverReachesThePrinter) {
    const CVPrinterClient& control = *printer->control;
    const std::string image = upg::Make("I03010", 3 * 1024 * 1024);
    const std::string path = dir.write("NEW.UPG", image);
    CBidiLibrary lib;
    ASSERT_EQ(lib.Load(GetParam(), 1), 1);
    CPrinterLink link(&lib);
    CFirmwareUpdate logic;
    ASSERT_EQ(logic.ChooseFile(path), kUpgValid);
    ASSERT_EQ(logic.ReadPrinterVersion(link, GetParam()), "I02010");
    std::string changed = image;
    std::swap(changed[2 * 1024 * 1024], changed[2 * 1024 * 1024 + 1]);
    ASSERT_NE(changed, image);
    SilentBusy busy;
    CFirmwareUpdate::UpdateWaits waits;
    waits.busy = &busy;
    waits.sending = [&](std::uint64_t) { dir.write("NEW.UPG", changed); };
    const std::string jobs = control.Get("jobs-received");
    EXPECT_EQ(logic.Update(link, GetParam(), true, waits), CFirmwareUpdate::Outcome::ImageChanged);
    EXPECT_EQ(busy.begun, 0);
    // Longer than the spooler takes to hand a job over.
    std::this_thread::sleep_for(std::chrono::seconds(8));
    EXPECT_EQ(control.Get("jobs-received"), jobs);
    EXPECT_FALSE(Logged(control, "job "));
    EXPECT_EQ(control.Get("firmware"), "I02010");
}

// What plotcare never sends, sent anyway: the printer's own checks refuse
// a bad image and it stays as it was.
TEST_P(FirmwareCliVprinter, ThePrinterRefusesABadImageByItsOwnChecks) {
    const CVPrinterClient& control = *printer->control;
    std::string image = upg::Make("I03010", 2000);
    image[40] = static_cast<char>(image[40] + 1); // checksum off
    std::vector<std::uint8_t> job(kFirmwareJobHeadRoom);
    job.resize(static_cast<std::size_t>(BuildFirmwareJobHead(job.data(), job.size(), "I02010")));
    job.insert(job.end(), image.begin(), image.end());
    ASSERT_EQ(SendRawJob(GetParam(), job.data(), job.size()), 0);
    ASSERT_TRUE(Eventually([&] { return Logged(control, "firmware rejected"); }));
    EXPECT_EQ(control.Get("firmware"), "I02010");
    EXPECT_EQ(control.Get("state"), "ready");
}

INSTANTIATE_TEST_SUITE_P(Network, FirmwareCliVprinter, ::testing::Values("FirmwareNet"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
