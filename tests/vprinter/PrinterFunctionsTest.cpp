// What each printer function does to the printer's state and output, on a
// test clock at time scale 0.001 (a second of the real printer is a
// millisecond here): busy for its time, then ready with its sheets out and its
// values kept; and how each fault ends the work in hand.
#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "CVirtualPrinter.h"
#include "JobBytes.h"
#include "TestFiles.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace vprinter;

namespace {

const int kRow1[8] = {3, 4, 6, 7, 2, 8, 9, 1};
const int kRow3[8] = {7, 7, 6, 5, 4, 3, 2, 1};
const int kUniRow4[7] = {2, 3, 4, 6, 7, 8, 9};

Bytes DA(int fullSet, int head, const int* values) {
    return Packet(
        [=](auto o, auto r) { return BuildCmdDA(o, r, fullSet, head, values, DACount(fullSet)); });
}
Bytes DT(int fullSet, int head, int flag) {
    return Packet([=](auto o, auto r) { return BuildCmdDT(o, r, fullSet, head, flag); });
}
Bytes DTAll(int fullSet) {
    return Packet([=](auto o, auto r) { return BuildCmdDTClear(o, r, fullSet); });
}
Bytes PH(int thickness) {
    return Packet(
        [=](auto o, auto r) { return BuildCmdPH(o, r, static_cast<std::uint8_t>(thickness)); });
}
Bytes SN(int platen) {
    return Packet(
        [=](auto o, auto r) { return BuildCmdSN(o, r, static_cast<std::uint8_t>(platen)); });
}
Bytes NC(int flag) {
    return Packet([=](auto o, auto r) { return BuildCmdNC(o, r, flag); });
}
Bytes CH() {
    return Packet([](auto o, auto r) { return BuildCmdCH(o, r, 0x10); });
}
Bytes SS(int which) {
    return {'S', 'S', 0x02, 0x00, 0x00, static_cast<std::uint8_t>(which)};
}

// The jobs as the utility's pages build them.
Bytes NozzleCheckJob() {
    return RemoteJob({NC(0), Packet(BuildCmdVI)});
}
Bytes CleaningJob() {
    return RemoteJob({CH()}, false);
}
Bytes SensorCheckJob() {
    return RemoteJob({NC(1)});
}
Bytes ManualBiPrint() { // rows #1 and #3, thickness 2, platen gap 3
    return RemoteJob({PH(2), SN(3), DA(1, 0, kRow1), DA(1, 2, kRow3), DT(1, 1, 0), DT(1, 3, 0)});
}
Bytes ManualUniPrint() {
    return RemoteJob({PH(2), SN(3), DA(0, 3, kUniRow4), DT(0, 4, 0)});
}
Bytes ManualBiSave(const int* row1) {
    return RemoteJob({PH(2), SN(3), DA(1, 0, row1), Packet(BuildCmdSV)}, false);
}
Bytes AutoJob(int fullSet, std::initializer_list<int> patterns, int thickness = 2, int platen = 3) {
    Bytes out = Cat({Packet(BuildEnterRemote), PH(thickness), SN(platen)});
    if (patterns.size() == 4)
        Append(out, DTAll(fullSet));
    else
        for (int n : patterns)
            Append(out, DT(fullSet, n, 1));
    return Cat({out, Packet(BuildExitRemote), Packet(BuildJobEnd)});
}
Bytes LeaveJob() {
    return RemoteJob({Packet(BuildCmdLD)}, false);
}

std::string Key(bool bi, int row, int column) {
    return CHeadAlignment::Key(bi, CHeadAlignment::Code(bi, row, column));
}

class PrinterFunctions : public ::testing::Test {
protected:
    TempDir dir;
    std::int64_t now = 1000;

    std::unique_ptr<CVirtualPrinter> Make(const std::string& folder = "printer") {
        CVirtualPrinter::Options options;
        options.stateDir = dir.file(folder);
        options.timeScale = 0.001;
        return std::make_unique<CVirtualPrinter>(options, [this] { return now; });
    }
    static void Run(CVirtualPrinter& p, const Bytes& job) { p.ExecuteJob(job.data(), job.size()); }
    void Pass(CVirtualPrinter& p, std::int64_t ms) {
        now += ms;
        p.Tick();
    }
    std::vector<std::string> Sheets(const std::string& folder = "printer") const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path() / folder / "output"))
            if (e.path().filename().string()[0] != '.')
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Sheet(const std::string& name, const std::string& folder = "printer") const {
        std::ifstream in(dir.path() / folder / "output" / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Field 01 of the status record as the utility reads it.
    static int StatusState(CVirtualPrinter& p) {
        const auto reply = p.AnswerLocal("ST", {0x01, 0x01});
        if (!reply.send) return -1;
        const std::size_t header = std::char_traits<char>::length(kStatusHeader);
        return reply.bytes.size() > header + 4 ? reply.bytes[header + 4] : -1;
    }
};

// The straightest pattern of each column of a printed pattern sheet.
std::vector<int> Straightest(const std::string& sheet) {
    std::vector<int> found;
    for (std::size_t at = sheet.find("Column"); at != std::string::npos;
         at = sheet.find("Column", at + 1)) {
        const std::string line = sheet.substr(at, sheet.find('\n', at) - at);
        for (int pattern = 1; pattern <= 9; ++pattern)
            if (line.find("  " + std::to_string(pattern) + ":|") != std::string::npos)
                found.push_back(pattern);
    }
    return found;
}

struct ActionCase {
    const char* name;
    std::function<Bytes()> job;
    int seconds; // on the real printer
    std::vector<std::string> sheets;
    // Checked after the end; `sheet` reads a sheet of the case's output folder.
    std::function<void(const CVirtualPrinter&,
                       const std::function<std::string(const std::string&)>& sheet)>
        effect;
};

TEST_F(PrinterFunctions, EachFunctionIsBusyForItsTimeThenLeavesItsSheetsAndValues) {
    const std::vector<std::string> autoBiAll = {
        "0001-auto-bidirectional-pattern-1.txt", "0002-auto-bidirectional-pattern-2.txt",
        "0003-auto-bidirectional-pattern-3.txt", "0004-auto-bidirectional-pattern-4.txt",
        "0005-auto-bidirectional-report.txt"};
    auto alignedRows = [](bool bi, std::vector<int> rows) {
        return [=](const CVirtualPrinter& p, const auto&) {
            for (int row = 1; row <= 4; ++row)
                for (int c = 0; c < CHeadAlignment::Columns(bi); ++c) {
                    const std::string key = Key(bi, row, c);
                    const bool adjusted = std::count(rows.begin(), rows.end(), row) > 0;
                    ASSERT_EQ(p.State().alignment.count(key), adjusted ? 1u : 0u) << key;
                    if (!adjusted) continue;
                    EXPECT_GE(p.State().alignment.at(key), 1) << key;
                    EXPECT_LE(p.State().alignment.at(key), 9) << key;
                }
        };
    };
    const ActionCase cases[] = {
        {"nozzle check print",
         NozzleCheckJob,
         45,
         {"0001-nozzle-check.ppm", "0001-nozzle-check.txt"},
         [](const CVirtualPrinter& p, const auto&) {
             ASSERT_EQ(p.State().jobs.size(), 1u);
             EXPECT_EQ(p.State().jobs[0].name, "Nozzle Check");
             EXPECT_EQ(p.State().jobs[0].state, 3); // completed
             EXPECT_EQ(p.State().jobs[0].secondState, 1);
         }},
        {"sensor nozzle check",
         SensorCheckJob,
         150,
         {"0001-nozzle-sensor-report.txt"},
         [](const CVirtualPrinter&, const auto& sheet) {
             EXPECT_NE(sheet("0001-nozzle-sensor-report.txt").find("Result: all nozzles fire"),
                       std::string::npos);
         }},
        {"head cleaning",
         CleaningJob,
         60,
         {},
         [](const CVirtualPrinter& p, const auto&) {
             EXPECT_EQ(p.State().inkLevels[0], 99);
             EXPECT_EQ(p.State().maintenanceCapacity, 78);
         }},
        {"manual bidirectional patterns #1 and #3",
         ManualBiPrint,
         80,
         {"0001-bidirectional-pattern-1.txt", "0002-bidirectional-pattern-3.txt"},
         [](const CVirtualPrinter& p, const auto& sheet) {
             for (int c = 0; c < 8; ++c)
                 EXPECT_EQ(p.State().alignment.at(Key(true, 1, c)), kRow1[c]);
             // The sheet says what is in use, column by column.
             const std::string text = sheet("0002-bidirectional-pattern-3.txt");
             EXPECT_NE(text.find("Column 1 (in use 7)"), std::string::npos) << text;
             EXPECT_NE(text.find("Column 8 (in use 1)"), std::string::npos) << text;
             EXPECT_EQ(Straightest(text).size(), 8u);
         }},
        {"manual unidirectional pattern #4",
         ManualUniPrint,
         40,
         {"0001-unidirectional-pattern-4.txt"},
         [](const CVirtualPrinter& p, const auto& sheet) {
             for (int c = 0; c < 7; ++c)
                 EXPECT_EQ(p.State().alignment.at(Key(false, 4, c)), kUniRow4[c]);
             EXPECT_EQ(Straightest(sheet("0001-unidirectional-pattern-4.txt")).size(), 7u);
         }},
        {"automatic bidirectional, all patterns",
         [] {
             return AutoJob(1, {1, 2, 3, 4});
         },
         900, autoBiAll, alignedRows(true, {1, 2, 3, 4})},
        {"automatic bidirectional #2 and #4",
         [] {
             return AutoJob(1, {2, 4});
         },
         480,
         {"0001-auto-bidirectional-pattern-2.txt", "0002-auto-bidirectional-report.txt",
          "0003-auto-bidirectional-pattern-4.txt", "0004-auto-bidirectional-report.txt"},
         alignedRows(true, {2, 4})},
        {"automatic unidirectional, all patterns",
         [] {
             return AutoJob(0, {1, 2, 3, 4});
         },
         660,
         {"0001-auto-unidirectional-pattern-1.txt", "0002-auto-unidirectional-pattern-2.txt",
          "0003-auto-unidirectional-pattern-3.txt", "0004-auto-unidirectional-pattern-4.txt",
          "0005-auto-unidirectional-report.txt"},
         alignedRows(false, {1, 2, 3, 4})},
        {"automatic unidirectional #3",
         [] { return AutoJob(0, {3}); },
         180,
         {"0001-auto-unidirectional-pattern-3.txt", "0002-auto-unidirectional-report.txt"},
         alignedRows(false, {3})},
        {"status sheet", [] { return RemoteJob({SS(1)}); }, 30, {"0001-status-sheet.txt"}, {}},
        {"the report sheets, one command each",
         [] { return RemoteJob({SS(1), SS(2), SS(4)}); },
         90,
         {"0001-status-sheet.txt", "0002-job-information.txt",
          "0003-custom-paper-configuration.txt"},
         {}},
        {"thickness pattern", [] { return RemoteJob({SS(3)}); }, 30, {"0001-thickness-pattern.txt"}, {}},
        {"page data",
         [] { return Text("%PDF-1.4\n<< /Title (Sample) >>\n%%EOF\n"); },
         60,
         {"0001-sheet.pdf", "0001-sheet.settings.txt"},
         {}},
    };
    int n = 0;
    for (const ActionCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = "case" + std::to_string(n++);
        auto p = Make(folder);
        Run(*p, c.job());
        EXPECT_EQ(p->StateCode(), kStateBusy);
        EXPECT_EQ(StatusState(*p), kStateBusy);
        EXPECT_NE(p->Control("GET action")[0], "OK ");
        Pass(*p, c.seconds - 1);
        EXPECT_EQ(StatusState(*p), kStateBusy);
        // A job of several prints has its earlier sheets out by now, not its last.
        if (!c.sheets.empty()) {
            EXPECT_LT(Sheets(folder).size(), c.sheets.size()) << "out before its printing ended";
        }
        Pass(*p, 1);
        EXPECT_EQ(StatusState(*p), kStateReady);
        EXPECT_EQ(p->Control("GET action"), std::vector<std::string>{"OK "});
        EXPECT_EQ(Sheets(folder), c.sheets);
        if (c.effect) c.effect(*p, [&](const std::string& name) { return Sheet(name, folder); });
        if (::testing::Test::HasFailure()) break;
    }
}

// Row #1 of the bidirectional values, in use and kept.
struct Row1 {
    std::vector<int> inUse, kept;
};

TEST_F(PrinterFunctions, AlignmentValuesInUseAndKept) {
    const int fives[8] = {5, 5, 5, 5, 5, 5, 5, 5};
    const std::vector<int> typed(kRow1, kRow1 + 8), five(8, 5);
    const int other[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    const struct {
        const char* name;
        std::vector<Bytes> jobs;
        std::vector<int> inUse, kept; // empty: the automatic adjustment's values
    } cases[] = {
        {"save", {ManualBiSave(kRow1)}, typed, typed},
        {"print", {RemoteJob({DA(1, 0, kRow1), DT(1, 1, 0)})}, typed, five},
        {"print, then leave", {RemoteJob({DA(1, 0, kRow1), DT(1, 1, 0)}), LeaveJob()}, five, five},
        {"save, print others, leave",
         {ManualBiSave(kRow1), RemoteJob({DA(1, 0, other), DT(1, 1, 0)}), LeaveJob()},
         typed,
         typed},
        {"automatic", {AutoJob(1, {1})}, {}, {}},
        {"print, automatic, leave",
         {RemoteJob({DA(1, 0, kRow1), DT(1, 1, 0)}), AutoJob(1, {1}), LeaveJob()},
         {},
         {}},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = "values" + std::to_string(n++);
        auto p = Make(folder);
        Run(*p, ManualBiSave(fives));
        for (const Bytes& job : c.jobs)
            Run(*p, job);
        Pass(*p, 3600 * 1000);
        ASSERT_EQ(p->StateCode(), kStateReady);
        auto row = [&](const std::string& prefix) {
            std::vector<int> v;
            for (int col = 0; col < 8; ++col)
                v.push_back(
                    std::stoi(p->Control("GET " + prefix + Key(true, 1, col))[0].substr(3)));
            return v;
        };
        const Row1 now{row("align."), row("saved-align.")};
        if (c.inUse.empty()) {
            // What the sensor found is in use and kept, whatever came before.
            EXPECT_EQ(now.inUse, now.kept);
            EXPECT_NE(now.inUse, typed);
        } else {
            EXPECT_EQ(now.inUse, c.inUse);
            EXPECT_EQ(now.kept, c.kept);
        }
        // Switched off and on: the kept values are the ones in use.
        p = Make(folder);
        const Row1 again{row("align."), row("saved-align.")};
        EXPECT_EQ(again.inUse, now.kept);
        EXPECT_EQ(again.kept, now.kept);
    }
}

TEST_F(PrinterFunctions, ManualPatternsShowWhatTheAutomaticAdjustmentFinds) {
    // One head, one truth: for the same paper and platen gap the straightest
    // printed pattern of each column is the value the sensor measures.
    for (const int platen : {1, 4}) {
        SCOPED_TRACE(platen);
        const std::string folder = "platen" + std::to_string(platen);
        auto p = Make(folder);
        Run(*p, RemoteJob({PH(2), SN(platen), DT(1, 2, 0)}));
        Run(*p, AutoJob(1, {2}, 2, platen));
        Pass(*p, 3600 * 1000);
        const std::vector<std::string> sheets = Sheets(folder);
        ASSERT_EQ(sheets.size(), 3u);
        const std::vector<int> read = Straightest(Sheet(sheets[0], folder));
        std::vector<int> measured;
        for (int c = 0; c < 8; ++c)
            measured.push_back(p->State().alignment.at(Key(true, 2, c)));
        EXPECT_EQ(read, measured);
    }
    // The wider the gap, the farther the two passes drift apart.
    EXPECT_GT(CHeadAlignment::MeasuredValue(true, 1, 0, 1, 2),
              CHeadAlignment::MeasuredValue(true, 1, 0, 4, 2));
}

TEST_F(PrinterFunctions, PatternsPrintWithTheValuesTheirJobSentEvenWhenTheLeaveJobFollowsAtOnce) {
    auto p = Make();
    Run(*p, ManualBiPrint());
    Run(*p, LeaveJob()); // the operator leaves the page while the patterns print
    EXPECT_EQ(p->State().alignment.count(Key(true, 1, 0)), 0u);
    Pass(*p, 80);
    const std::string sheet = Sheet("0001-bidirectional-pattern-1.txt");
    EXPECT_NE(sheet.find("Column 1 (in use 3)"), std::string::npos) << sheet;
}

TEST_F(PrinterFunctions, JobsWaitBehindTheWorkInHand) {
    auto p = Make();
    Run(*p, NozzleCheckJob());
    Run(*p, RemoteJob({SS(1)}));
    auto states = [&] {
        std::vector<int> v;
        for (const JobRecord& job : p->State().jobs)
            v.push_back(job.state * 10 + job.secondState);
        return v;
    };
    p->Tick();
    EXPECT_EQ(states(), (std::vector<int>{20, 10})); // printing, waiting
    Pass(*p, 45);
    EXPECT_EQ(states(), (std::vector<int>{31, 20})); // completed, printing
    EXPECT_EQ(p->StateCode(), kStateBusy);
    Pass(*p, 30);
    EXPECT_EQ(states(), (std::vector<int>{31, 31}));
    EXPECT_EQ(p->StateCode(), kStateReady);
}

TEST_F(PrinterFunctions, FinishEndsAllWorkInHandAtOnce) {
    auto p = Make();
    Run(*p, AutoJob(1, {1, 2, 3, 4}));
    Run(*p, ManualUniPrint());
    Run(*p, CleaningJob());
    ASSERT_EQ(p->Control("GET work"), std::vector<std::string>{"OK 3"});
    ASSERT_EQ(p->Control("FINISH")[0], "OK");
    EXPECT_EQ(p->StateCode(), kStateReady);
    EXPECT_EQ(Sheets().size(), 6u);
    EXPECT_EQ(p->Control("GET saved-align." + Key(true, 4, 7))[0].rfind("OK ", 0), 0u);
    // A hung engine is ended too.
    Run(*p, NozzleCheckJob());
    p->Control("FAULT never-ready");
    p->Control("FINISH");
    EXPECT_EQ(Sheets().size(), 8u);
}

TEST_F(PrinterFunctions, EachFaultEndsTheNozzleCheckAsThePrinterShowsIt) {
    const struct {
        const char* fault;
        int during; // status state while it holds; -1 no answer
        int atEnd;  // after the print's time
        bool sheetAtEnd;
        int afterClear; // status state once the fault is cleared (35 ms later)
        bool sheetAfterAll;
        int record; // job state * 10 + second state, at last
    } cases[] = {
        {"no-reply", kStateBusy, kStateReady, true, kStateReady, true, 31},
        {"late-reply 15000", kStateBusy, kStateReady, true, kStateReady, true, 31},
        {"garbled-reply", kStateBusy, kStateReady, true, kStateReady, true, 31},
        {"truncated-status", kStateBusy, kStateReady, true, kStateReady, true, 31},
        {"wrong-device-id", kStateBusy, kStateReady, true, kStateReady, true, 31},
        {"ink-low 2", kStateBusy, kStateReady, true, kStateReady, true, 31},
        {"field0d-low", kStateBusy, kStateReady, true, kStateReady, true, 31},
        // Out of reach, the printer goes on printing.
        {"offline", -1, -1, true, kStateReady, true, 31},
        // A hung engine stands still and goes on where it stood once freed.
        {"never-ready", kStateBusy, kStateBusy, false, kStateBusy, true, 31},
        // An error stops the print; nothing comes out, not even later.
        {"error-state", kStateError, kStateError, false, kStateReady, false, 53},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::string folder = "fault" + std::to_string(n++);
        auto p = Make(folder);
        Run(*p, NozzleCheckJob());
        Pass(*p, 10);
        ASSERT_EQ(p->Control(std::string("FAULT ") + c.fault)[0], "OK");
        EXPECT_EQ(StatusState(*p), c.during);
        Pass(*p, 100); // well past its 45 ms
        EXPECT_EQ(StatusState(*p), c.atEnd);
        EXPECT_EQ(!Sheets(folder).empty(), c.sheetAtEnd);
        ASSERT_EQ(p->Control("FAULT clear")[0], "OK");
        Pass(*p, 34);
        EXPECT_EQ(StatusState(*p), c.afterClear);
        Pass(*p, 1); // a hung print had 35 ms left
        EXPECT_EQ(StatusState(*p), kStateReady);
        EXPECT_EQ(!Sheets(folder).empty(), c.sheetAfterAll);
        ASSERT_EQ(p->State().jobs.size(), 1u);
        EXPECT_EQ(p->State().jobs[0].state * 10 + p->State().jobs[0].secondState, c.record);
        // The record counts the sheet only when it came out.
        EXPECT_EQ(p->State().jobs[0].pages, 1);
        EXPECT_EQ(p->State().jobs[0].printedPages, c.sheetAfterAll ? 1 : 0);
    }
}

TEST_F(PrinterFunctions, AnErrorFailsTheAdjustmentAndWhatArrivesMeanwhile) {
    auto p = Make();
    Run(*p, AutoJob(0, {1, 2, 3, 4}));
    Pass(*p, 300);
    p->Control("FAULT error-state");
    Run(*p, SensorCheckJob()); // the utility would not send it; the printer refuses it anyway
    Pass(*p, 1000);
    p->Control("FAULT clear");
    EXPECT_EQ(p->StateCode(), kStateReady);
    EXPECT_TRUE(Sheets().empty());
    EXPECT_TRUE(p->State().alignment.empty()); // nothing measured is kept
    const std::vector<std::string> log = p->Control("LOG");
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "failed automatic unidirectional alignment: printer error"),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "failed sensor nozzle check: printer error"),
              log.end());
}

TEST_F(PrinterFunctions, SwitchingOffLosesTheWorkInHand) {
    auto p = Make();
    Run(*p, ManualBiPrint());
    Run(*p, Text("%PDF-1.4\n%%EOF\n")); // waits for its sheet in a file
    p->Control("RESTART");
    Pass(*p, 200);
    EXPECT_FALSE(p->IsOffline());
    EXPECT_EQ(p->StateCode(), kStateReady);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "printer" / "output"));
    EXPECT_EQ(p->State().jobs.at(0).state * 10 + p->State().jobs.at(0).secondState,
              42);                                              // cancelled
    EXPECT_EQ(p->State().jobs.at(0).printedPages, 0);
    EXPECT_EQ(p->State().alignment.count(Key(true, 1, 0)), 0u); // the values sent were not kept
}

TEST_F(PrinterFunctions, ParametersThePrinterDoesNotKnowAreIgnored) {
    const int ten[8] = {10, 10, 10, 10, 10, 10, 10, 10};
    const struct {
        const char* name;
        Bytes command;
    } cases[] = {
        {"another cleaning kind", {'C', 'H', 0x02, 0x00, 0x00, 0x20}},
        {"nozzle check 02", {'N', 'C', 0x02, 0x00, 0x00, 0x02}},
        {"nozzle check with function 01", {'N', 'C', 0x02, 0x00, 0x01, 0x00}},
        {"bidirectional pattern #5", {'D', 'T', 0x03, 0x00, 0x00, 0x00, 0x85}},
        {"bidirectional pattern byte in unidirectional", {'D', 'T', 0x03, 0x00, 0x00, 0x10, 0x81}},
        {"no such direction", {'D', 'T', 0x03, 0x00, 0x00, 0x20, 0x01}},
        {"bidirectional column 9", {'D', 'A', 0x04, 0x00, 0x00, 0x00, 0x08, 0x05}},
        {"unidirectional column code 0", {'D', 'A', 0x04, 0x00, 0x00, 0x10, 0x00, 0x05}},
        {"value 10", DA(1, 0, ten)},
        {"value 0", {'D', 'A', 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"no sheet chosen", SS(0)},
        {"no such sheet", SS(7)},
        {"platen gap 5", {'S', 'N', 0x03, 0x00, 0x00, 0x01, 0x05}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto p = Make();
        const PrinterState before = p->State();
        Run(*p, RemoteJob({c.command}));
        EXPECT_EQ(p->StateCode(), kStateReady);
        EXPECT_EQ(p->State().alignment, before.alignment);
        EXPECT_EQ(p->State().inkLevels, before.inkLevels);
        EXPECT_TRUE(p->State().jobs.empty());
        const std::vector<std::string> log = p->Control("LOG");
        EXPECT_NE(std::find(log.begin(), log.end(),
                            "ignored " + std::string(c.command.begin(), c.command.begin() + 2)),
                  log.end());
    }
}

TEST_F(PrinterFunctions, SensorReportNamesTheInksThatDoNotFire) {
    auto p = Make();
    p->Control("SET ink.3 0");
    Run(*p, SensorCheckJob());
    Pass(*p, 150);
    const std::string report = Sheet("0001-nozzle-sensor-report.txt");
    EXPECT_NE(report.find("Light Cyan       0 of 360 nozzles fire"), std::string::npos) << report;
    EXPECT_NE(report.find("Cyan           360 of 360 nozzles fire"), std::string::npos) << report;
    EXPECT_NE(report.find("Result: nozzles missing: Light Cyan"), std::string::npos) << report;
}

// Sends one raw job to a running vprinter's job port, as CUPS's socket
// backend does.
bool SendJob(int port, const Bytes& job) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
              ::send(fd, job.data(), job.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(job.size());
    ::shutdown(fd, SHUT_WR);
    char drain[16];
    while (ok && ::recv(fd, drain, sizeof drain, 0) > 0) {
    }
    ::close(fd);
    return ok;
}

TEST(VprinterProgram, SheetsComeOutWhenTheirPrintingEndsWithoutAnyoneAsking) {
    TempDir dir;
    CVPrinterProcess printer;
    CVPrinterProcess::Config config;
    config.stateDir = dir.file("printer");
    config.timeScale = 0.01; // a 450 ms nozzle check
    std::string error;
    ASSERT_TRUE(printer.Start(config, error)) << error;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SendJob(printer.Ports().raw, NozzleCheckJob()));
    const auto sheet = dir.path() / "printer" / "output" / "0001-nozzle-check.txt";
    // Only the folder is watched: nothing wakes the printer but its own clock.
    while (!std::filesystem::exists(sheet) &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_TRUE(std::filesystem::exists(sheet));
    EXPECT_GE(ms, 440);
    EXPECT_LT(ms, 2000);
}

} // namespace
