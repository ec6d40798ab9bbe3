// Sample series end to end: plotcare-cli sample prints through the private
// CUPS server with the real driver-settings library and the driver's filter,
// and the virtual printer's record shows each sheet with the media, mode,
// paper bytes and title chosen for it, and the grouping jobs where the series
// rule puts them.
#include "PrivateCups.h"
#include "TestFiles.h"
#include "VprinterRig.h"
#include "cli/CliCustomFile.h"
#include "cli/JsonValue.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"
#include "sampleprint/CDriverSettingsAccess.h"
#include "sampleprint/SamplePlans.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <map>

namespace {

std::string NoText(int) {
    return {};
}

std::string Hex(const std::uint8_t* p, std::size_t n) {
    std::string out;
    char b[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02X", p[i]);
        out += b;
    }
    return out;
}

// One sheet of the printer's record: "NNNN-sheet.pdf key=value ... title=TITLE".
std::map<std::string, std::string> SheetFields(const std::string& record) {
    std::map<std::string, std::string> fields;
    const std::size_t title = record.find(" title=");
    if (title != std::string::npos) fields["title"] = record.substr(title + 7);
    std::size_t at = record.find(' ');
    while (at != std::string::npos && at < title) {
        const std::size_t next = record.find(' ', at + 1);
        const std::string item = record.substr(at + 1, std::min(next, title) - at - 1);
        const std::size_t eq = item.find('=');
        if (eq != std::string::npos) fields[item.substr(0, eq)] = item.substr(eq + 1);
        at = next;
    }
    return fields;
}

class SampleVprinter : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Ready()) << rig.Error();
        PrivateCups::Shared().Activate();
        for (VirtualPrinter* p : {&rig.network, &rig.local}) {
            ASSERT_TRUE(Idle(*p));
            ASSERT_TRUE(p->control->Ok("SHEETS clear"));
        }
        slot.MediaId = 101;
        slot.Forward = 12;
        slot.Drytime = 30;
        slot.Paperthick = 3;
        slot.Paperdraw = -1;
        slot.PaperCut = 2;
        slot.Platen = 2;
        slot.Roller = 1;
        slotJson = dir.write("slot.json",
                             R"({"mediaId":101,"paperthick":3,"platen":2,"paperdraw":-1,"roller":1,
            "forward":12,"drytime":30,"paperCut":2,"threeWay":0})");
        file.ID = 1;
        file.SID = 1; // media 101, every print mode
        file.MediaId = 101;
        file.Mode = 2;
        file.Density = -50;
        file.Forward = -8;
        file.InkMode = CDriverSettingsAccess::kInkPatternEightColour;
        fileJson = dir.write("entry.json", cli::CustomFileEntryJson("x.zmd", 1, file, false));
    }

    // The driver's paper length for the queue: the series takes its group
    // size from it (second div 1300), and every sheet sets it to 1600.
    // Returns the driver's paper record as it stands.
    SamplePaperRecord PrepareDriver(const std::string& queue, int paperLength) {
        CDriverSettingsLibrary library;
        EXPECT_EQ(library.Load(queue), 1);
        CDriverSettingsAccess access(&library, queue, "", nullptr);
        EXPECT_EQ(access.SetItem30(access.Item30First(), paperLength), 0);
        SamplePaperRecord record;
        EXPECT_GE(access.GetPaperRecord(record), 0);
        return record;
    }
    int DriverBit3(const std::string& queue) {
        CDriverSettingsLibrary library;
        EXPECT_EQ(library.Load(queue), 1);
        return CDriverSettingsAccess(&library, queue, "", nullptr).Item205Bit3();
    }

    // Runs plotcare-cli sample with the standard image; the titles it printed.
    std::vector<std::string> Sample(const std::string& queue, const std::string& args) {
        const CliRun run = RunCli("--json sample " + queue + " " + args + " --image '" +
                                      OutputDir() + "/Sample.bmp'",
                                  false);
        EXPECT_EQ(run.code, 0) << run.out;
        cli::JsonValue json;
        std::string error;
        std::vector<std::string> titles;
        if (!cli::JsonValue::Parse(run.out, json, error) || !json.Member("titles")) {
            ADD_FAILURE() << run.out << error;
            return titles;
        }
        for (const cli::JsonValue& t : json.Member("titles")->Items())
            titles.push_back(t.Text());
        return titles;
    }

    // The printer's records of the `n` sheets after the first `before`, once they are out.
    std::vector<std::string> Sheets(const CVPrinterClient& control, std::size_t before,
                                    std::size_t n) {
        std::vector<std::string> lines;
        EXPECT_TRUE(Eventually(
            [&] {
                lines = control.Request("SHEETS");
                return lines.size() >= before + n + 1;
            },
            120000));
        if (lines.size() < before + n + 1) return {};
        return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(before + 1),
                                        lines.begin() +
                                            static_cast<std::ptrdiff_t>(before + n + 1));
    }
    std::size_t SheetCount(const CVPrinterClient& control) {
        const std::size_t lines = control.Request("SHEETS").size();
        return lines ? lines - 1 : 0;
    }

    // The order the jobs reached the printer: "S" a sheet, "E<v>" a grouping job.
    std::string Arrivals(const CVPrinterClient& control) {
        std::string out;
        for (const std::string& line : control.Log()) {
            std::string word;
            if (line == "sheet header")
                word = "S";
            else if (line.rfind("escbar ", 0) == 0)
                word = "E" + line.substr(7);
            if (!word.empty()) out += (out.empty() ? "" : " ") + word;
        }
        return out;
    }

    // Each sheet as the printer recorded it against the plan's sheet.
    void ExpectSheets(const std::vector<std::string>& records, const SamplePlan& plan,
                      const std::vector<std::string>& titles,
                      const SamplePaperRecord& driverPaper) {
        ASSERT_EQ(records.size(), plan.sheets.size());
        ASSERT_EQ(titles.size(), plan.sheets.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            SCOPED_TRACE(records[i]);
            const auto f = SheetFields(records[i]);
            SamplePaperRecord paper = driverPaper;
            ApplyPaperBytes(paper, plan.sheets[i].paperBytes);
            EXPECT_EQ(f.at("settings"), "job");
            EXPECT_EQ(f.at("media"), std::to_string(plan.sheets[i].mediaValue));
            EXPECT_EQ(f.at("mode"), std::to_string(plan.sheets[i].mode));
            EXPECT_EQ(f.at("paper"), Hex(paper.data, sizeof paper.data));
            EXPECT_EQ(f.at("title"), titles[i]);
        }
    }

    VprinterRig& rig = VprinterRig::Shared();
    TempDir dir;
    CustomPaperSlot slot;
    CustomFileRecord file;
    std::string slotJson, fileJson;
};

TEST_F(SampleVprinter, GroupsOfThreeOnTheLocalPrinter) {
    const std::string queue = rig.LocalQueue();
    const CVPrinterClient& control = *rig.local.control;
    struct Case {
        const char* args;
        SamplePlan plan;
        const char* arrivals;
    };
    std::vector<SampleMediaChoice> seven;
    // The media type dialog's list order (display order), whatever order is given.
    for (int id : {101, 104, 102, 105, 103, 106, 107})
        seven.push_back({id, ""});
    const Case cases[] = {
        {"--media 107,106,105,104,103,102,101",
         MediaTypePlan({&slot, nullptr}, seven, NoText, NoText), "E1 S S E0 S E1 S S E0 S S E2"},
        {"--feed -70..70", PaperFeedPlan({&slot, nullptr}, -70, 70, NoText, NoText),
         "E1 S S E0 S E1 S E0 S E2"},
        {"--feed 5..5", PaperFeedPlan({&slot, nullptr}, 5, 5, NoText, NoText), "S E2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        ASSERT_TRUE(control.Ok("LOG clear"));
        const SamplePaperRecord driverPaper = PrepareDriver(queue, 3900);
        const std::size_t before = SheetCount(control);
        const std::vector<std::string> titles = Sample(queue, "--from " + slotJson + " " + c.args);
        ExpectSheets(Sheets(control, before, c.plan.sheets.size()), c.plan, titles, driverPaper);
        EXPECT_TRUE(Eventually([&] { return Arrivals(control) == c.arrivals; }))
            << Arrivals(control);
    }
}

TEST_F(SampleVprinter, Kind1OnTheNetworkPrinterCutsAfterTheLastSheetOnly) {
    const std::string queue = rig.NetworkQueue();
    const CVPrinterClient& control = *rig.network.control;
    const SamplePaperRecord driverPaper = PrepareDriver(queue, 3900);
    const int bit3 = DriverBit3(queue);
    ASSERT_GE(bit3, 0);
    const SamplePlan plan = PrintQualityPlan(&file, {4, 1, 3}, NoText, NoText);
    const std::vector<std::string> titles = Sample(queue, "--from " + fileJson + " --modes 4,1,3");
    const std::vector<std::string> records = Sheets(control, 0, 3);
    ExpectSheets(records, plan, titles, driverPaper);
    ASSERT_EQ(records.size(), 3u);
    const int expectedBit3[] = {0, 0, bit3};
    for (std::size_t i = 0; i < 3; ++i) {
        const int flags = std::stoi(SheetFields(records[i]).at("print-flags"));
        EXPECT_EQ((flags >> 3) & 1, expectedBit3[i]) << records[i];
        EXPECT_EQ(flags & 1, 1);
    }
    // Kind 1 drivers get no grouping jobs.
    EXPECT_EQ(Arrivals(control), "S S S");
    EXPECT_EQ(DriverBit3(queue), bit3);
}

TEST_F(SampleVprinter, ASlotOfThePrinterIsReadAndSampled) {
    const std::string queue = rig.NetworkQueue();
    const CVPrinterClient& control = *rig.network.control;
    const CliRun registered = RunCli("register " + queue + " 2 --from " + slotJson + " --name Matte");
    ASSERT_EQ(registered.code, 0) << registered.out;
    const SamplePaperRecord driverPaper = PrepareDriver(queue, 3900);
    const std::vector<std::string> titles = Sample(queue, "--from slot:2 --feed 10..12");
    ExpectSheets(Sheets(control, 0, 3), PaperFeedPlan({&slot, nullptr}, 10, 12, NoText, NoText), titles,
                 driverPaper);
}

TEST_F(SampleVprinter, DensitySheetCarriesTheSignedByte) {
    const std::string queue = rig.LocalQueue();
    const CVPrinterClient& control = *rig.local.control;
    const SamplePaperRecord driverPaper = PrepareDriver(queue, 3900);
    const std::vector<std::string> titles = Sample(queue, "--from " + fileJson + " --density -50");
    const SamplePlan plan = ColorDensityPlan(&file, -50, NoText, NoText);
    const std::vector<std::string> records = Sheets(control, 0, 1);
    ExpectSheets(records, plan, titles, driverPaper);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(SheetFields(records[0]).at("density"), "-50");
    // A single sheet is no series: no grouping jobs.
    EXPECT_EQ(Arrivals(control), "S");
}

} // namespace
