// Page data from lp and libcups to the virtual printers: the driver's filter
// carries the job's settings, the printer records each sheet with them.
#include "PrivateCups.h"
#include "TestFiles.h"
#include "VprinterRig.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

namespace {

const std::string kPdf = "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                         "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
                         "3 0 obj << /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] >> endobj\n"
                         "trailer << /Root 1 0 R >>\n%%EOF\n";

class SheetFilterVprinter : public ::testing::Test {
protected:
    void SetUp() override {
        if (!rig.Ready()) GTEST_SKIP() << rig.Error();
        for (VirtualPrinter* p : {&rig.network, &rig.local}) {
            ASSERT_TRUE(Idle(*p));
            ASSERT_TRUE(p->control->Ok("SHEETS clear"));
        }
    }

    // The printer's record of its next sheet, once it is out.
    static std::string NextSheet(const CVPrinterClient& control) {
        std::vector<std::string> lines;
        Eventually([&] {
            lines = control.Request("SHEETS");
            return lines.size() > 1;
        });
        return lines.size() > 1 ? lines[1] : std::string();
    }
    // The sheet's fields after its file name.
    static std::string Fields(const std::string& record) {
        const auto space = record.find(' ');
        return space == std::string::npos ? std::string() : record.substr(space + 1);
    }

    VprinterRig& rig = VprinterRig::Shared();
    TempDir dir;
    const std::string pdf = dir.write("sheet.pdf", kPdf);
};

TEST_F(SheetFilterVprinter, LpJobPrintsWithItsSettingsAndTitle) {
    const CVPrinterClient& control = *rig.network.control;
    const std::string command =
        "lp -d " + rig.NetworkQueue() +
        " -t 'Media=Plain Paper,' -o MediaType=PlainPaper -o OVPrintQuality=Mode3"
        " -o OVPaperAdjust=CE0A050C3201000302000000 -o OVOutputFlags=5 -o OVPrintFlags=9"
        " -o OVSettingsSource=1 '" +
        pdf + "' >/dev/null";
    ASSERT_EQ(PrivateCups::Shared().Run(command), 0);
    const std::string record = NextSheet(control);
    EXPECT_EQ(Fields(record), "settings=job media=201 mode=3 density=-50 "
                              "paper=CE0A050C3201000302000000 output-flags=5 print-flags=9 "
                              "defaults=none title=Media=Plain Paper,");
    // The page as it was sent, its settings beside it, the job in the history.
    const std::string sheet = control.Get("output") + "/" + record.substr(0, record.find(' '));
    EXPECT_EQ(ReadFile(sheet), kPdf);
    EXPECT_NE(
        ReadFile(sheet.substr(0, sheet.size() - 4) + ".settings.txt").find("MediaValue=201\n"),
        std::string::npos);
    const std::vector<std::string> jobs = control.Request("JOBS");
    ASSERT_GE(jobs.size(), 2u);
    EXPECT_EQ(jobs[1].substr(jobs[1].find(',')), ",PDF,Media=Plain Paper,,1,35,60");
}

TEST_F(SheetFilterVprinter, PdfWithoutOptionsPrintsWithTheDefaults) {
    // From libcups, on the locally attached printer: the queue's PPD
    // defaults, the printer's own paper settings.
    const CVPrinterClient& control = *rig.local.control;
    ASSERT_GT(cupsPrintFile2(CUPS_HTTP_DEFAULT, rig.LocalQueue().c_str(), pdf.c_str(),
                             "Plain sheet", 0, nullptr),
              0)
        << cupsLastErrorString();
    EXPECT_EQ(Fields(NextSheet(control)),
              "settings=job media=101 mode=2 density=0 paper=000000036400000201000000 "
              "output-flags=7 print-flags=9 "
              "defaults=paper,output-flags,print-flags title=Plain sheet");
}

// libcups makes an option whose value is all digits an integer attribute;
// paper bytes without a hex letter must still reach the printer whole.
TEST_F(SheetFilterVprinter, LibcupsJobCarriesPaperBytesOfDigitsOnly) {
    const CVPrinterClient& control = *rig.local.control;
    cups_option_t* options = nullptr;
    int count = cupsAddOption("MediaType", "CanvasMatte", 0, &options);
    count = cupsAddOption("OVPrintQuality", "Mode4", count, &options);
    count = cupsAddOption("OVPaperAdjust", "050000036400000201000000", count, &options);
    count = cupsAddOption("OVPrintFlags", "1", count, &options);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, rig.LocalQueue().c_str(), pdf.c_str(),
                                   "Feed=5,", count, options);
    cupsFreeOptions(count, options);
    ASSERT_GT(job, 0) << cupsLastErrorString();
    EXPECT_EQ(Fields(NextSheet(control)),
              "settings=job media=602 mode=4 density=5 paper=050000036400000201000000 "
              "output-flags=7 print-flags=1 "
              "defaults=output-flags title=Feed=5,");
}

TEST_F(SheetFilterVprinter, RawJobsReachThePrinterUnchanged) {
    const CVPrinterClient& control = *rig.network.control;
    ASSERT_EQ(PrivateCups::Shared().Run("lp -d " + rig.NetworkQueue() +
                                        " -o raw -o MediaType=PlainPaper -t Raw '" + pdf +
                                        "' >/dev/null"),
              0);
    const std::string record = NextSheet(control);
    EXPECT_EQ(Fields(record), "settings=printer media=0 mode=2 density=0 "
                              "paper=000000036400000201000000 output-flags=7 print-flags=9 "
                              "defaults=media,mode,paper,output-flags,print-flags title=");
    EXPECT_EQ(ReadFile(control.Get("output") + "/" + record.substr(0, record.find(' '))), kPdf);
    EXPECT_TRUE(Logged(control, "job " + std::to_string(kPdf.size()) + " bytes"));
}

} // namespace
