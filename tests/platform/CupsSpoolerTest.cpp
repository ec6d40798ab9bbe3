#include "platform/CupsSpooler.h"

#include "PrivateCups.h"
#include "TestFiles.h"

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

// A small driver PPD with a keyword of the printer maker's own.
const char* const kPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "SPOOLTST.PPD"
*Manufacturer: "ORVEX"
*Product: "(Spool Test 100)"
*ModelName: "ORVEX Spool Test 100"
*ShortNickName: "ORVEX Spool Test 100"
*NickName: "ORVEX Spool Test 100"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter: "application/vnd.cups-raw 0 -"
*OVSpoolTestKeyword: "driver-data"
*OpenUI *PageSize: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: ""
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4/A4: "0 0 595 842"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
)PPD";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const SpoolerPrinter* FindPrinter(const std::vector<SpoolerPrinter>& printers, const std::string& name) {
    const auto it = std::find_if(printers.begin(), printers.end(), [&](const SpoolerPrinter& p) { return p.name == name; });
    return it == printers.end() ? nullptr : &*it;
}

// One server with a raw queue and a driver queue for the tests of this file.
class CupsSpoolerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static TempDir files;
        PrivateCups& cups = PrivateCups::Shared();
        cups.AddQueue("SpoolRaw", "socket://127.0.0.1:9");
        cups.AddQueue("SpoolDriver", "socket://127.0.0.1:9100", files.write("spool.ppd", kPpd));
    }
    void SetUp() override { PrivateCups::Shared().Activate(); }

    CupsSpooler spooler;
};

} // namespace

TEST_F(CupsSpoolerTest, EnumeratesQueuesWithPortAndDriverName) {
    std::vector<SpoolerPrinter> printers;
    ASSERT_TRUE(spooler.EnumPrinters(printers));

    const SpoolerPrinter* driver = FindPrinter(printers, "SpoolDriver");
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->port, "socket://127.0.0.1:9100");
    EXPECT_EQ(driver->driver, "ORVEX Spool Test 100");

    const SpoolerPrinter* raw = FindPrinter(printers, "SpoolRaw");
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->port, "socket://127.0.0.1:9");
}

TEST_F(CupsSpoolerTest, UnreachableServerIsAFailureNotAnEmptyList) {
    // Port 1 on the loopback: nothing listens there.
    cupsSetServer("127.0.0.1:1");
    std::vector<SpoolerPrinter> printers{{"stale", "", ""}};
    EXPECT_FALSE(spooler.EnumPrinters(printers));
    EXPECT_TRUE(printers.empty());
    EXPECT_EQ(spooler.OpenPrinter("SpoolRaw"), 0);
}

TEST_F(CupsSpoolerTest, OpensOnlyExistingPrinters) {
    EXPECT_EQ(spooler.OpenPrinter("NoSuchQueue"), 0);
    EXPECT_EQ(spooler.OpenPrinter(""), 0);  // not the default printer
    const Spooler::Handle handle = spooler.OpenPrinter("SpoolRaw");
    EXPECT_GT(handle, 0);
    spooler.ClosePrinter(handle);
}

// Held jobs stay in the queue, so the list is stable: ids, titles, states
// and the window of positions asked for.
TEST_F(CupsSpoolerTest, ListsTheJobsOfOnePrinter) {
    PrivateCups& cups = PrivateCups::Shared();
    cups.AddQueue("SpoolJobs", "socket://127.0.0.1:9");
    for (const char* title : {"Sample A", "Sample B", "Sample C"}) {
        ASSERT_EQ(cups.Run(std::string("echo x | lp -d SpoolJobs -H indefinite -t '") + title + "' >/dev/null"), 0);
    }
    const Spooler::Handle handle = spooler.OpenPrinter("SpoolJobs");
    ASSERT_GT(handle, 0);

    std::vector<SpoolerJob> jobs;
    ASSERT_TRUE(spooler.EnumJobs(handle, 0, 16, jobs));
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(jobs[0].document, "Sample A");
    EXPECT_EQ(jobs[2].document, "Sample C");
    for (const auto& job : jobs) {
        EXPECT_EQ(job.state, SpoolerJobState::Held);
        EXPECT_GT(job.id, 0);
    }

    ASSERT_TRUE(spooler.EnumJobs(handle, 1, 1, jobs));
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].document, "Sample B");

    ASSERT_TRUE(spooler.EnumJobs(handle, 3, 16, jobs));
    EXPECT_TRUE(jobs.empty());

    // Another queue's jobs are not listed.
    const Spooler::Handle other = spooler.OpenPrinter("SpoolRaw");
    ASSERT_TRUE(spooler.EnumJobs(other, 0, 16, jobs));
    EXPECT_TRUE(jobs.empty());

    spooler.ClosePrinter(other);
    spooler.ClosePrinter(handle);
    cups.RemoveQueue("SpoolJobs");
}

TEST_F(CupsSpoolerTest, PpdPathGivesTheDriverQueuesPpd) {
    const std::string path = spooler.PpdPath("SpoolDriver");
    ASSERT_FALSE(path.empty());
    EXPECT_NE(ReadAll(path).find("*OVSpoolTestKeyword: \"driver-data\""), std::string::npos);
    // An unchanged file keeps the same copy, and the copy keeps its content.
    EXPECT_EQ(spooler.PpdPath("SpoolDriver"), path);
    EXPECT_NE(ReadAll(path).find("*OVSpoolTestKeyword: \"driver-data\""), std::string::npos);

    EXPECT_EQ(spooler.PpdPath("SpoolRaw"), "");
    EXPECT_EQ(spooler.PpdPath("NoSuchQueue"), "");
}

// A document left open when the printer is closed is cancelled, not printed
// half-written.
TEST_F(CupsSpoolerTest, ClosingWithAnOpenDocumentCancelsIt) {
    PrivateCups& cups = PrivateCups::Shared();
    RawListener printer;
    cups.AddQueue("SpoolCancel", printer.Uri());
    const Spooler::Handle handle = spooler.OpenPrinter("SpoolCancel");
    ASSERT_GT(handle, 0);
    const int job = spooler.StartRawDocument(handle, "half");
    ASSERT_GT(job, 0);
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(spooler.WriteDocument(handle, bytes, sizeof bytes), 3);
    spooler.ClosePrinter(handle);

    cups_job_t* all = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &all, "SpoolCancel", 0, CUPS_WHICHJOBS_ALL);
    ASSERT_EQ(n, 1);
    EXPECT_EQ(all[0].id, job);
    EXPECT_EQ(all[0].state, IPP_JSTATE_CANCELED);
    cupsFreeJobs(n, all);
    EXPECT_EQ(printer.Connections(), 0u);
    cups.RemoveQueue("SpoolCancel");
}

// A document of a MIME type carries its job options to the server, where the
// queue's filters receive them; the title names the job.
TEST_F(CupsSpoolerTest, DocumentJobCarriesItsOptions) {
    PrivateCups& cups = PrivateCups::Shared();
    cups.AddQueue("SpoolOptions", "socket://127.0.0.1:9");
    const Spooler::Handle handle = spooler.OpenPrinter("SpoolOptions");
    ASSERT_GT(handle, 0);
    const Spooler::JobOptions options = {
        {"job-hold-until", "indefinite"}, {"MediaType", "PlainPaper"}, {"OVPaperAdjust", "0102030A"}};
    const int job = spooler.StartDocument(handle, "Feed=-35,", "application/vnd.cups-raw", options);
    ASSERT_GT(job, 0);
    const std::uint8_t bytes[] = {'%', 'P', 'D', 'F'};
    EXPECT_EQ(spooler.WriteDocument(handle, bytes, sizeof bytes), 4);
    EXPECT_TRUE(spooler.EndDocument(handle));
    spooler.ClosePrinter(handle);

    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(job);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    ASSERT_NE(response, nullptr);
    auto text = [&](const char* name) {
        ipp_attribute_t* a = ippFindAttribute(response, name, IPP_TAG_ZERO);
        const char* v = a ? ippGetString(a, 0, nullptr) : nullptr;
        return std::string(v ? v : "");
    };
    EXPECT_EQ(text("job-name"), "Feed=-35,");
    EXPECT_EQ(text("MediaType"), "PlainPaper");
    EXPECT_EQ(text("OVPaperAdjust"), "0102030A");
    ippDelete(response);
    cups.RemoveQueue("SpoolOptions");
}
