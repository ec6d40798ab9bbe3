// PrintSampleSheet with the real driver-settings library (its device mode
// comes from a queue on the private CUPS server) and the spooler's test
// double, which records the job instead of printing it.
#include "sampleprint/PrintSampleSheet.h"

#include "GuiApp.h"
#include "PrivateCups.h"
#include "RecordingSpooler.h"
#include "SampleBitmaps.h"
#include "TestFiles.h"
#include "comm/CDriverSettingsLibrary.h"
#include "platform/DeviceMode.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::string DriverFolder() {
    const char* out = std::getenv("PLOTCARE_OUTPUT_DIR");
    return std::string(out && *out ? out : PLOTCARE_TEST_OUTPUT_DIR) + "/driver";
}

class PrintSampleSheetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // One home for the whole process: libcups remembers $HOME when first
        // used; the driver keeps its values under $XDG_CONFIG_HOME.
        static TempDir home;
        setenv("HOME", home.path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.path() / ".config").c_str(), 1);
        PrivateCups::Shared().AddQueue(kQueue, "socket://127.0.0.1:9",
                                       DriverFolder() + "/ovqz7100.ppd");
    }

    void SetUp() override {
        EnsureGuiApp();
        PrivateCups::Shared().Activate();
        ASSERT_EQ(m_library.Load(kQueue), 1);
        m_spooler = std::make_unique<RecordingSpooler>();
        m_spooler->AddPrinter(kQueue);
        m_spooler->SetPpd(kQueue, DriverFolder() + "/ovqz7100.ppd");
        m_request.driverName = "ORVEX QZ-7100";
        m_request.printerName = kQueue;
        m_request.imagePath = m_files.write("small.bmp", BitmapBytes(40, 12, [](int x, int) {
                                                return x < 20 ? 0xFF0000u : 0x0000FFu;
                                            }));
        m_request.labels = {"Media=Glossy,", "Feed=-35,", "Suction=Standard"};
        m_request.highlightIndex = 1;
        m_request.baseFont = QFont();
    }

    // The driver's own device mode for the queue.
    DeviceMode DriverMode() {
        KRDM_HANDLE h = 0;
        EXPECT_EQ(m_library.Open(kQueue, "", nullptr, &h), 0);
        std::vector<std::uint8_t> block(static_cast<std::size_t>(m_library.GetDevMode(h, nullptr)));
        m_library.GetDevMode(h, block.data());
        m_library.Close(h);
        return DeviceModeBlock::Decode(block.data(), block.size()).value_or(DeviceMode{});
    }

    static constexpr const char* kQueue = "SheetQz";
    TempDir m_files;
    CDriverSettingsLibrary m_library;
    std::unique_ptr<RecordingSpooler> m_spooler;
    SampleSheetRequest m_request;
};

} // namespace

// One PDF job titled with the highlighted label, carrying every option of
// the driver's device mode and the driver's own values as OV<Name>.
TEST_F(PrintSampleSheetTest, SubmitsOnePdfJobWithTitleAndTheDeviceModesOptions) {
    ASSERT_EQ(PrintSampleSheet(&m_library, m_request), kSheetPrinted);

    ASSERT_EQ(m_spooler->Documents().size(), 1u);
    const auto& job = m_spooler->Documents()[0];
    EXPECT_EQ(job.printer, kQueue);
    EXPECT_EQ(job.name, "Feed=-35,");
    EXPECT_EQ(job.format, "application/pdf");
    EXPECT_TRUE(job.ended);
    ASSERT_GT(job.bytes.size(), 4u);
    EXPECT_EQ(std::string(job.bytes.begin(), job.bytes.begin() + 4), "%PDF");

    const DeviceMode mode = DriverMode();
    ASSERT_FALSE(mode.options.empty());
    ASSERT_FALSE(mode.driverValues.empty());
    Spooler::JobOptions expected = mode.options;
    for (const auto& [name, value] : mode.driverValues)
        expected.emplace_back("OV" + name, value);
    EXPECT_EQ(job.options, expected);
    // The names the driver's filter reads.
    for (const char* name :
         {"OVPaperAdjust", "OVPrintFlags", "OVOutputFlags", "OVSettingsSource", "PageSize"}) {
        EXPECT_TRUE(std::any_of(job.options.begin(), job.options.end(), [&](const auto& o) {
            return o.first == name;
        })) << name;
    }
    EXPECT_EQ(m_spooler->OpenHandles(), 0u);
}

// Nothing is printed, and the caller hears of a failure, whatever step
// fails.
TEST_F(PrintSampleSheetTest, FailuresPrintNothingAndAreNegative) {
    {
        CDriverSettingsLibrary unloaded; // no device mode from the driver
        EXPECT_EQ(PrintSampleSheet(&unloaded, m_request), kSheetNoDeviceMode);
        EXPECT_EQ(PrintSampleSheet(nullptr, m_request), kSheetNoDeviceMode);
    }
    {
        SampleSheetRequest other = m_request;
        other.printerName = "NoSuchQueue"; // the driver cannot open it
        EXPECT_LT(PrintSampleSheet(&m_library, other), 0);
    }
    {
        m_spooler->SetPpd(kQueue, ""); // no page format for the queue
        EXPECT_EQ(PrintSampleSheet(&m_library, m_request), kSheetNoPrinterContext);
        m_spooler->SetPpd(kQueue, DriverFolder() + "/ovqz7100.ppd");
    }
    {
        SampleSheetRequest other = m_request;
        other.imagePath = m_files.file("missing.bmp");
        EXPECT_EQ(PrintSampleSheet(&m_library, other), kSheetNotDrawn);
    }
    EXPECT_TRUE(m_spooler->Documents().empty());

    m_spooler->Fail(RecordingSpooler::Step::StartDocument);
    EXPECT_EQ(PrintSampleSheet(&m_library, m_request), kSheetNotSubmitted);
    m_spooler->Succeed(RecordingSpooler::Step::StartDocument);

    m_spooler->Fail(RecordingSpooler::Step::Write);
    EXPECT_EQ(PrintSampleSheet(&m_library, m_request), kSheetNotSubmitted);
    ASSERT_EQ(m_spooler->Documents().size(), 1u);
    EXPECT_TRUE(m_spooler->Documents()[0].cancelled);
    EXPECT_EQ(m_spooler->OpenHandles(), 0u);
}
