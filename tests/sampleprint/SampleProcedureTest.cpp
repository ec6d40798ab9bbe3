#include "FakeKrset.h"
#include "RecordingSpooler.h"
#include "TestFiles.h"
#include "comm/CDriverSettingsLibrary.h"
#include "comm/RemotePackets.h"
#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"
#include "platform/Clock.h"
#include "sampleprint/CDriverSettingsAccess.h"
#include "sampleprint/CSampleProcedure.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Outcome = CSampleProcedure::Outcome;

constexpr const char* kPrinter = "QzLocal";
constexpr int kKind1 = 256, kKind2 = 7, kKind3 = 4;

std::string Text(int id) {
    return "T" + std::to_string(id);
}
std::string MediaName(int id) {
    return "M" + std::to_string(id);
}

// A bitmap file whose headers say width x height; the file holds `pixels`
// bytes after them (sparse, so a full-size image costs no disk).
void WriteBitmap(const std::string& path, int width, int height, std::int64_t pixels) {
    std::uint8_t h[54] = {'B', 'M'};
    auto put = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(10, 54);
    put(14, 40);
    put(18, static_cast<std::uint32_t>(width));
    put(22, static_cast<std::uint32_t>(height));
    h[26] = 1;
    h[28] = 24;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(h), sizeof h);
    }
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(54 + pixels));
}

constexpr std::int64_t kFullPixels = 1190LL * ((4060 * 3 + 3) / 4) * 4;

std::uint8_t EscBarValue(const std::vector<std::uint8_t>& bytes) {
    for (int v : {0, 1, 2}) {
        std::uint8_t job[64];
        const int n =
            v == 2 ? BuildEscBarPacket(job, sizeof job) : BuildEscBarPacket(job, sizeof job, v);
        if (bytes == std::vector<std::uint8_t>(job, job + n)) return static_cast<std::uint8_t>(v);
    }
    return 0xFF;
}

class SampleProcedureTest : public ::testing::Test {
public: // the case tables arrange through a reference to the fixture
    void SetUp() override {
        m_dir = m_temp.path().string();
        m_image = m_dir + "/Sample.bmp";
        WriteBitmap(m_image, 4060, 1190, kFullPixels);
        m_spooler.AddPrinter(kPrinter, "socket://127.0.0.1:9100", "ORVEX QZ-7100");
        m_library.SetDriverPathFinder([](const std::string&) { return FakeKrset::DriverPath(); });
        ASSERT_EQ(m_library.Load(kPrinter), 1);
        m_fake.SetPaper({0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC});
    }

    CSampleProcedure::Setup MakeSetup() {
        CSampleProcedure::Setup s;
        s.library = &m_library;
        s.printerName = kPrinter;
        s.portName = "socket://127.0.0.1:9100";
        s.driverName = "ORVEX QZ-7100";
        s.modelName = m_model;
        s.standardImagePath = m_image;
        s.readyCheck = [this] {
            ++m_readyChecks;
            return m_ready;
        };
        s.printSheet = [this](CDriverSettingsLibrary* library, const SampleSheetRequest& r) {
            EXPECT_EQ(library, &m_library);
            FlushEscBars();
            m_requests.push_back(r);
            m_timeline.push_back("S" + std::to_string(m_requests.size()));
            m_bit3AtPrint.push_back(static_cast<int>((m_fake.Flags(205) >> 3) & 1));
            // The sheet shows in the queue at once.
            m_spooler.SetJobs(kPrinter,
                              {SpoolerJob{static_cast<int>(m_requests.size()),
                                          r.labels.at(static_cast<std::size_t>(r.highlightIndex)),
                                          "op", SpoolerJobState::Pending}});
            return m_printResults.empty() ? 0 : Take(m_printResults);
        };
        s.progress = [this](const CSampleProcedure::Event& e) {
            if (e.kind == CSampleProcedure::Event::Kind::QueueWait) {
                FlushEscBars();
                m_timeline.push_back("W");
            }
        };
        return s;
    }

    Outcome Run(const SamplePlan& plan, ImageChoice image = {1151, ""}) {
        CSampleProcedure procedure(MakeSetup());
        const Outcome outcome = procedure.Run(plan, image);
        FlushEscBars();
        m_printed = procedure.SheetsPrinted();
        return outcome;
    }

    // The raw jobs sent since the last look, as "E<value>".
    void FlushEscBars() {
        const auto& docs = m_spooler.Documents();
        for (; m_docsSeen < docs.size(); ++m_docsSeen) {
            EXPECT_EQ(docs[m_docsSeen].name, "ZAMU Command");
            m_timeline.push_back("E" + std::to_string(EscBarValue(docs[m_docsSeen].bytes)));
        }
    }
    std::string Timeline() const {
        std::string out;
        for (const std::string& t : m_timeline)
            out += (out.empty() ? "" : " ") + t;
        return out;
    }
    // A media type series of n sheets.
    SamplePlan Series(int n) {
        std::vector<SampleMediaChoice> ticked;
        for (int i = 0; i < n; ++i)
            ticked.push_back({100 + i, "Media " + std::to_string(i + 1)});
        return MediaTypePlan({&m_slot, nullptr}, ticked, Text, MediaName);
    }
    static int Take(std::vector<int>& v) {
        const int r = v.front();
        v.erase(v.begin());
        return r;
    }

    TempDir m_temp;
    FakeClock m_clock;
    FakeClock::Scope m_clockScope{m_clock};
    RecordingSpooler m_spooler;
    FakeKrset m_fake;
    CDriverSettingsLibrary m_library;
    CustomPaperSlot m_slot = [] {
        CustomPaperSlot s;
        s.MediaId = 301;
        s.Forward = 9;
        s.Drytime = 20;
        s.Paperthick = 4;
        s.Paperdraw = -1;
        s.PaperCut = 2;
        s.Platen = 3;
        s.Roller = 1;
        return s;
    }();
    std::string m_dir, m_image;
    std::string m_model =
        "Model " + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name());
    int m_ready = 1;
    int m_readyChecks = 0;
    std::vector<int> m_printResults;
    std::vector<SampleSheetRequest> m_requests;
    std::vector<int> m_bit3AtPrint;
    std::vector<std::string> m_timeline;
    std::size_t m_docsSeen = 0;
    int m_printed = 0;
};

TEST_F(SampleProcedureTest, GroupingJobsComeAtTheirPlacesInASeries) {
    struct Case {
        int colorMode;
        int item30Second; // perGroup = second div 1300 above 1300
        int sheets;
        const char* timeline;
    };
    const Case cases[] = {
        // perGroup 3: open before 1, close before 3 (after the wait for 2), open before 4, close
        // before 6.
        {kKind2, 3900, 7, "E1 S1 S2 W E0 S3 W E1 S4 S5 W E0 S6 S7 E2"},
        // 5 mod 3 = 2 and the last sheet: a wait and a close before it.
        {kKind3, 5199, 5, "E1 S1 S2 W E0 S3 W E1 S4 W E0 S5 E2"},
        // A series of one: nothing before the sheet, the end job after it.
        {kKind2, 3900, 1, "S1 E2"},
        {kKind3, 1300, 3, "S1 S2 S3 E2"},      // one sheet per group
        {kKind2, 2600, 2, "E1 S1 W E0 S2 E2"}, // perGroup 2
        {kKind1, 3900, 3, "S1 S2 S3"},         // kind 1 sends no grouping jobs
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timeline);
        m_fake.SetColorMode(c.colorMode);
        m_fake.SetItem30(10000, c.item30Second);
        m_timeline.clear();
        m_requests.clear();
        EXPECT_EQ(Run(Series(c.sheets)), Outcome::Printed);
        EXPECT_EQ(m_printed, c.sheets);
        EXPECT_EQ(Timeline(), c.timeline);
    }
    EXPECT_EQ(m_fake.OpenHandles(), 0);
    EXPECT_EQ(m_spooler.OpenHandles(), 0u);
}

TEST_F(SampleProcedureTest, Kind1KeepsTheCutFlagOffUntilTheLastSheet) {
    struct Case {
        std::uint32_t flags; // item 205 before the series
        int sheets;
        std::vector<int> bit3; // item 205 bit 3 as each sheet is printed
    };
    const Case cases[] = {
        {0x08, 1, {1}}, {0x08, 3, {0, 0, 1}},    {0x00, 2, {0, 0}},
        {0x00, 1, {0}}, {0x09, 4, {0, 0, 0, 1}},
    };
    m_fake.SetColorMode(kKind1);
    for (const Case& c : cases) {
        m_fake.SetFlags(205, c.flags);
        m_bit3AtPrint.clear();
        EXPECT_EQ(Run(Series(c.sheets)), Outcome::Printed);
        EXPECT_EQ(m_bit3AtPrint, c.bit3) << c.sheets;
        EXPECT_EQ(m_fake.Flags(205) & 1, 1u);
    }
    EXPECT_TRUE(m_spooler.Documents().empty());
}

TEST_F(SampleProcedureTest, EachSheetPutsItsSettingsIntoTheDriver) {
    CustomFileRecord file;
    file.MediaId = 502;
    file.Mode = 2;
    file.Density = 4;
    file.Forward = -3;
    const SamplePlan plan = PrintQualityPlan(&file, {1, 4}, Text, MediaName);
    m_fake.SetColorMode(kKind2);
    m_fake.SetFlags(204, 0x07);
    m_fake.SetItem30(11180, 3900);
    ASSERT_EQ(Run(plan, {1152, m_image}), Outcome::Printed);

    // Per sheet: item 20 = 1, the media, kind 2's code, 204 without bit 1,
    // item 30 with the sample length, the paper record.
    std::vector<int> items;
    for (const FakeKrset::Write& w : m_fake.Writes())
        items.push_back(w.item);
    const std::vector<int> perSheet = {20, 70, 40, 204, 30, 219};
    std::vector<int> expected = {20}; // the series' own look at the driver
    for (int sheet = 0; sheet < 2; ++sheet) {
        std::vector<int> s = perSheet;
        if (sheet == 1) s[1] = 214; // mode 4 goes through item 214
        expected.insert(expected.end(), s.begin(), s.end());
    }
    EXPECT_EQ(items, expected);
    EXPECT_EQ(m_fake.WritesOf(70).at(0), (std::vector<std::uint8_t>{1, 0, 2, 0, 0xF6, 0x01, 2, 0}));
    EXPECT_EQ(m_fake.WritesOf(214).at(0),
              (std::vector<std::uint8_t>{1, 0, 0,    0,    20, 0, 0,  0, 2, 0,
                                         0, 0, 0xF6, 0x01, 0,  0, 15, 0, 0, 0}));
    EXPECT_EQ(m_fake.WritesOf(40).at(0), (std::vector<std::uint8_t>{7, 0, 0, 0}));
    EXPECT_EQ(m_fake.Flags(204), 0x05u);
    EXPECT_EQ(m_fake.WritesOf(30).at(0),
              (std::vector<std::uint8_t>{0xAC, 0x2B, 0x40, 0x06, 0, 1, 0, 0}));
    const std::vector<std::uint8_t> paper = m_fake.WritesOf(219).at(1);
    EXPECT_EQ(std::vector<std::uint8_t>(paper.begin() + 8, paper.end()),
              (std::vector<std::uint8_t>{4, 0xFD, 0, 1, 100, 0, 0x77, 3, 1, 0xAA, 0xBB, 0xCC}));

    ASSERT_EQ(m_requests.size(), 2u);
    EXPECT_EQ(m_requests[0].printerName, kPrinter);
    EXPECT_EQ(m_requests[0].driverName, "ORVEX QZ-7100");
    EXPECT_EQ(m_requests[0].imagePath, m_image);
    EXPECT_EQ(m_requests[1].highlightIndex, 3);
    EXPECT_EQ(m_requests[1].labels.at(3), "T50010=T50163,");
    EXPECT_EQ(m_fake.OpenHandles(), 0);
}

TEST_F(SampleProcedureTest, SingleSheetReadsTheDriverOnItsOwnObjectAndSendsNoGroupingJobs) {
    CustomFileRecord file;
    file.MediaId = 101;
    file.Mode = 1;
    const SamplePlan plan = ColorDensityPlan(&file, -50, Text, MediaName);
    struct Case {
        int colorMode;
        std::uint32_t flags205;
        int bit3;
    };
    for (const Case& c : {Case{kKind1, 0x08, 1}, Case{kKind1, 0x00, 0}, Case{kKind3, 0x08, 1}}) {
        m_fake.SetColorMode(c.colorMode);
        m_fake.SetFlags(205, c.flags205);
        m_bit3AtPrint.clear();
        EXPECT_EQ(Run(plan), Outcome::Printed);
        EXPECT_EQ(m_bit3AtPrint, std::vector<int>{c.bit3});
    }
    EXPECT_TRUE(m_spooler.Documents().empty());
    EXPECT_EQ(m_fake.WritesOf(219).back().at(8), 0xCE);
}

TEST_F(SampleProcedureTest, EveryRefusalAndFailureHasItsMessage) {
    const std::string shortImage = m_dir + "/short.bmp";
    WriteBitmap(shortImage, 4060, 1190, kFullPixels - 1);
    const std::string smallImage = m_dir + "/small.bmp";
    WriteBitmap(smallImage, 406, 119, 119LL * ((406 * 3 + 3) / 4) * 4);
    const std::string stub = m_dir + "/stub.bmp";
    { std::ofstream(stub) << "BM"; }

    struct Case {
        const char* name;
        std::function<void(SampleProcedureTest&)> arrange;
        ImageChoice image;
        Outcome outcome;
        int text;
        bool imageRemembered;
    };
    const Case cases[] = {
        {"not ready",
         [](SampleProcedureTest& t) { t.m_ready = 0; },
         {1151, ""},
         Outcome::NotReady,
         901,
         false},
        {"no user path", {}, {1152, ""}, Outcome::NoImage, 50950, false},
        {"no radio", {}, {0, ""}, Outcome::NoImage, 50950, false},
        {"missing", {}, {1152, "/nonexistent/x.bmp"}, Outcome::ImageMissing, 50951, false},
        {"short by one byte", {}, {1152, shortImage}, Outcome::ImageUnreadable, 50952, false},
        {"headers cut", {}, {1152, stub}, Outcome::ImageUnreadable, 50952, false},
        {"wrong size", {}, {1152, smallImage}, Outcome::ImageWrongSize, 50953, false},
        {"driver will not open",
         [](SampleProcedureTest& t) { t.m_fake.Fail(0, false, -5); },
         {1151, ""},
         Outcome::DriverFailed,
         50954,
         true},
        {"item 20 refused",
         [](SampleProcedureTest& t) { t.m_fake.Fail(20, true, -1); },
         {1151, ""},
         Outcome::DriverFailed,
         50954,
         true},
        {"kind unreadable",
         [](SampleProcedureTest& t) { t.m_fake.Fail(40, false, -3); },
         {1151, ""},
         Outcome::DriverFailed,
         50954,
         true},
        {"item 30 unreadable",
         [](SampleProcedureTest& t) { t.m_fake.Fail(30, false, -1); },
         {1151, ""},
         Outcome::DriverFailed,
         50954,
         true},
        {"paper record refused",
         [](SampleProcedureTest& t) { t.m_fake.Fail(219, true, -7); },
         {1151, ""},
         Outcome::DriverFailed,
         50954,
         true},
        {"sheet not printed",
         [](SampleProcedureTest& t) { t.m_printResults = {-1}; },
         {1151, ""},
         Outcome::DriverFailed,
         50954,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_fake.Fail(0, false, 0); // undo the last case's failures
        for (int item : {20, 30, 40, 70, 219}) {
            m_fake.Fail(item, false, 0);
            m_fake.Fail(item, true, 0);
        }
        m_ready = 1;
        m_printResults.clear();
        m_requests.clear();
        m_model = std::string("Model ") + c.name;
        if (c.arrange) c.arrange(*this);
        m_fake.SetColorMode(kKind2);
        m_fake.SetItem30(10000, 3900);
        CustomFileRecord file;
        const SampleRecord record{nullptr, &file};
        const ImageChoice before{1152, "/before.bmp"};
        ASSERT_EQ(WriteImageChoice(m_model, SampleDialog::ColorDensity, record, before), 0);
        EXPECT_EQ(Run(ColorDensityPlan(&file, 0, Text, MediaName), c.image), c.outcome);
        EXPECT_EQ(CSampleProcedure::MessageText(c.outcome), c.text);
        EXPECT_EQ(ReadImageChoice(m_model, SampleDialog::ColorDensity, record),
                  (c.imageRemembered ? ImageChoice{1151, "/before.bmp"} : before));
        EXPECT_EQ(m_printed, 0);
        if (!c.imageRemembered) {
            EXPECT_TRUE(m_fake.Writes().empty());
        }
    }
    EXPECT_EQ(CSampleProcedure::MessageText(Outcome::Printed), 0);
    EXPECT_EQ(CSampleProcedure::MessageText(Outcome::Nothing), 0);
}

TEST_F(SampleProcedureTest, TheImageChoiceIsRememberedOnlyOnceAccepted) {
    const CustomPaperSlot& slot = m_slot;
    const SampleRecord record{&slot, nullptr};
    const SamplePlan plan = MediaTypePlan(record, {{101, "Glossy"}}, Text, MediaName);
    const std::string wrong = m_dir + "/wrong.bmp";
    WriteBitmap(wrong, 10, 10, 10 * 32);

    EXPECT_EQ(Run(plan, {1152, wrong}), Outcome::ImageWrongSize);
    EXPECT_EQ(ReadImageChoice(m_model, SampleDialog::MediaType, record), (ImageChoice{1151, ""}));

    EXPECT_EQ(Run(plan, {1152, m_image}), Outcome::Printed);
    EXPECT_EQ(ReadImageChoice(m_model, SampleDialog::MediaType, record),
              (ImageChoice{1152, m_image}));
    m_printResults = {-1}; // accepted image, failed sheet: still remembered
    EXPECT_EQ(Run(plan, {1151, "/elsewhere.bmp"}), Outcome::DriverFailed);
    EXPECT_EQ(ReadImageChoice(m_model, SampleDialog::MediaType, record),
              (ImageChoice{1151, m_image}));

    // plotcare-cli prints without touching the dialogs' choice.
    CSampleProcedure::Setup setup = MakeSetup();
    setup.rememberImageChoice = false;
    EXPECT_EQ(CSampleProcedure(setup).Run(plan, {1152, m_image}), Outcome::Printed);
    EXPECT_EQ(ReadImageChoice(m_model, SampleDialog::MediaType, record),
              (ImageChoice{1151, m_image}));
}

TEST_F(SampleProcedureTest, AnErrorEndsTheSeriesButTheEndJobIsStillSent) {
    struct Case {
        const char* name;
        int colorMode;
        std::function<void(SampleProcedureTest&)> fail;
        const char* timeline;
        int printed;
    };
    const Case cases[] = {
        {"paper record of sheet 2", kKind2,
         [](SampleProcedureTest& t) { t.m_fake.Fail(219, true, -1, 1); }, "E1 S1 E2", 1},
        {"sheet 4 not printed", kKind3,
         [](SampleProcedureTest& t) {
             t.m_printResults = {0, 0, 0, -2};
         },
         "E1 S1 S2 W E0 S3 W E1 S4 E2", 3},
        {"kind 1, sheet 2", kKind1,
         [](SampleProcedureTest& t) {
             t.m_printResults = {0, -2};
         },
         "S1 S2", 1},
        {"media of sheet 1", kKind2, [](SampleProcedureTest& t) { t.m_fake.Fail(70, true, -6); },
         "E1 E2", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_fake.SetColorMode(c.colorMode);
        m_fake.SetItem30(10000, 3900);
        m_fake.Fail(219, true, 0);
        m_fake.Fail(70, true, 0);
        m_printResults.clear();
        m_timeline.clear();
        m_requests.clear();
        c.fail(*this);
        EXPECT_EQ(Run(Series(5)), Outcome::DriverFailed);
        EXPECT_EQ(Timeline(), c.timeline);
        EXPECT_EQ(m_printed, c.printed);
    }
    EXPECT_EQ(m_fake.OpenHandles(), 0);
}

TEST_F(SampleProcedureTest, NothingWithoutARecordAndNoReadinessWaitInReviewMode) {
    EXPECT_EQ(Run(MediaTypePlan({}, {{101, "Glossy"}}, Text, MediaName)), Outcome::Nothing);
    EXPECT_EQ(m_readyChecks, 0);
    EXPECT_TRUE(m_fake.Writes().empty());

    CSampleProcedure::Setup setup = MakeSetup();
    setup.readyCheck = nullptr; // operating mode 2
    m_ready = 0;
    EXPECT_EQ(CSampleProcedure(setup).Run(Series(1), {1151, ""}), Outcome::Printed);
    EXPECT_EQ(m_readyChecks, 0);
    // A wait that could not tell (no library: -1) lets the procedure go on.
    m_ready = -1;
    EXPECT_EQ(Run(Series(1)), Outcome::Printed);
    EXPECT_EQ(m_readyChecks, 1);
}

TEST_F(SampleProcedureTest, StoppingEndsTheSeriesWithTheEndJob) {
    m_fake.SetColorMode(kKind2);
    m_fake.SetItem30(10000, 3900);
    CSampleProcedure::Setup setup = MakeSetup();
    int sheets = 0;
    setup.stop = [&] { return sheets >= 2; };
    const auto print = setup.printSheet;
    setup.printSheet = [&](CDriverSettingsLibrary* l, const SampleSheetRequest& r) {
        ++sheets;
        return print(l, r);
    };
    EXPECT_EQ(CSampleProcedure(setup).Run(Series(7), {1151, ""}), Outcome::Cancelled);
    FlushEscBars();
    EXPECT_EQ(Timeline(), "E1 S1 S2 E2");
}

// --- WaitForQueuedJob ---

class QueuedJobWaitTest : public ::testing::Test {
protected:
    void SetUp() override { m_spooler.AddPrinter(kPrinter); }
    void QueueAt(std::int64_t fromMs, std::vector<SpoolerJob> jobs) {
        m_spooler.OnEnumJobs([this, fromMs, jobs, start = m_clock.TickMs()](RecordingSpooler& s) {
            if (m_clock.TickMs() - start >= fromMs) s.SetJobs(kPrinter, jobs);
        });
    }
    std::int64_t Elapsed() { return m_clock.TickMs() - m_start; }

    FakeClock m_clock;
    FakeClock::Scope m_scope{m_clock};
    RecordingSpooler m_spooler;
    std::int64_t m_start = m_clock.TickMs();
};

SpoolerJob Job(const std::string& title) {
    return SpoolerJob{3, title, "op", SpoolerJobState::Pending};
}

TEST_F(QueuedJobWaitTest, EndsWhenTheTitleShowsPollingThroughTheClock) {
    QueueAt(1500, {Job("Other"), Job("Forward=35,")});
    EXPECT_EQ(WaitForQueuedJob(kPrinter, "Forward=35,"), QueuedJobWait::Found);
    EXPECT_EQ(Elapsed(), 1500);
    EXPECT_EQ(m_clock.Waits(), (std::vector<int>{500, 500, 500}));
    EXPECT_TRUE(m_clock.Sleeps().empty()); // input is never thrown away in a blind sleep
    EXPECT_EQ(m_spooler.OpenHandles(), 0u);
    EXPECT_EQ(m_spooler.Calls().at(1), "EnumJobs 0 16");
}

TEST_F(QueuedJobWaitTest, AQueueEmptyForAMinuteEndsTheWait) {
    // Empty from the start.
    EXPECT_EQ(WaitForQueuedJob(kPrinter, "Media=Glossy,"), QueuedJobWait::QueueStayedEmpty);
    EXPECT_GT(Elapsed(), 60000);
    EXPECT_LE(Elapsed(), 60500);

    // Other jobs for 90 s stop the timer; it starts again when they are gone.
    m_start = m_clock.TickMs();
    const std::int64_t start = m_clock.TickMs();
    m_spooler.OnEnumJobs([&](RecordingSpooler& s) {
        s.SetJobs(kPrinter, m_clock.TickMs() - start < 90000 ? std::vector<SpoolerJob>{Job("Other")}
                                                             : std::vector<SpoolerJob>{});
    });
    EXPECT_EQ(WaitForQueuedJob(kPrinter, "Media=Glossy,"), QueuedJobWait::QueueStayedEmpty);
    EXPECT_GT(Elapsed(), 150000);
    EXPECT_LE(Elapsed(), 150500);
}

TEST_F(QueuedJobWaitTest, EndsAtOnceWithoutPrinterOrListAndWhenStopped) {
    EXPECT_EQ(WaitForQueuedJob("NoSuchQueue", "x"), QueuedJobWait::NoPrinter);
    EXPECT_TRUE(m_clock.Waits().empty());

    m_spooler.Fail(RecordingSpooler::Step::EnumJobs);
    EXPECT_EQ(WaitForQueuedJob(kPrinter, "x"), QueuedJobWait::ListFailed);
    EXPECT_EQ(m_spooler.OpenHandles(), 0u);
    m_spooler.Succeed(RecordingSpooler::Step::EnumJobs);

    int polls = 0;
    EXPECT_EQ(WaitForQueuedJob(kPrinter, "x", [&] { return ++polls > 3; }), QueuedJobWait::Stopped);
    EXPECT_LT(Elapsed(), 2000);
    EXPECT_EQ(m_spooler.OpenHandles(), 0u);
}

} // namespace
