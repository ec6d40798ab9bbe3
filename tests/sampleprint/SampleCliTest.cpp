// plotcare-cli sample, run in-process against the fake driver-settings and
// bidirectional libraries and the recording spooler: the usage and refusals
// before anything is printed, and a series sheet by sheet with its grouping
// jobs, progress and --json.
#include "FakeBidi.h"
#include "FakeKrset.h"
#include "GuiApp.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "cli/CliCommands.h"
#include "cli/CliCustomFile.h"
#include "comm/CDriverMediaList.h"
#include "comm/CPrinterLink.h"
#include "comm/RemotePackets.h"
#include "platform/Clock.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace {

std::string OutputDir() {
    return std::getenv("PLOTCARE_OUTPUT_DIR");
}

class SampleCli : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApp(); // the sheets are drawn with fonts
        // The driver's shared media list is kept for the whole test program,
        // as the application keeps it for its whole run: a list whose last
        // user went is not read again for the same printer.
        static CDriverMediaList keepMediaList(nullptr, "", "");
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelNetwork, 0x07);
        bidi.SetChannels(channels);
        bidi.PushStatus(StatusReplyBytes(StateField(4))); // ready
        // The queue's PPD, naming the fake driver's folder.
        std::ifstream in(OutputDir() + "/driver/ovqz7100.ppd");
        std::stringstream ppd;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("*OVDriverDirectory:", 0) == 0)
                line = "*OVDriverDirectory: \"" FAKE_KRSET_DIR "\"";
            ppd << line << "\n";
        }
        spooler.AddPrinter("QZ", "socket://qz:9100", "ORVEX QZ-7100");
        spooler.SetPpd("QZ", dir.write("qz.ppd", ppd.str()));
        krset.SetMedia({102, 101, 201, 104, 106});
        krset.SetColorMode(7);        // driver kind 2
        krset.SetItem30(10000, 3900); // three sheets to a group
        slotJson = dir.write("slot.json",
                             R"({"mediaId":101,"paperthick":3,"platen":2,"paperdraw":0,"roller":1,
            "forward":5,"drytime":10,"paperCut":0,"threeWay":0})");
        CustomFileRecord entry;
        entry.ID = 1;
        entry.SID = 6; // media 106: no print mode 1
        entry.Mode = 2;
        entry.InkMode = "0B000301040205030B00030104020503";
        fileJson = dir.write("entry.json", cli::CustomFileEntryJson("x.zmd", 1, entry, false));
        image = OutputDir() + "/Sample.bmp";
    }

    int Run(std::vector<std::string> words, bool json = false) {
        out.str({});
        err.str({});
        std::vector<std::string> args{"--library", bidi.Path(), "--settings",
                                      settingsDir, "sample",    "QZ"};
        args.insert(args.end(), words.begin(), words.end());
        if (json) args.push_back("--json");
        return cli::Run(args, out, err);
    }

    // The spooler's documents: "E<value>" for a grouping job, the title of a sheet.
    std::vector<std::string> Jobs() const {
        std::vector<std::string> jobs;
        for (const auto& d : spooler.Documents()) {
            if (d.format == "raw") {
                std::uint8_t bar[16];
                std::string word = "E?";
                for (int v : {0, 1, 2}) {
                    const int n = v == 2 ? BuildEscBarPacket(bar, sizeof bar)
                                         : BuildEscBarPacket(bar, sizeof bar, v);
                    if (d.bytes == std::vector<std::uint8_t>(bar, bar + n))
                        word = "E" + std::to_string(v);
                }
                jobs.push_back(word);
            } else {
                EXPECT_EQ(d.format, "application/pdf");
                EXPECT_TRUE(d.ended);
                jobs.push_back(d.name);
            }
        }
        return jobs;
    }

    TempDir dir;
    std::string settingsDir = OutputDir(); // the folder holding "Settings"
    FakeBidi bidi;
    FakeKrset krset;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    RecordingSpooler spooler;
    std::ostringstream out, err;
    std::string slotJson, fileJson, image;
};

TEST_F(SampleCli, UsageAndRefusalsComeBeforeAnythingIsPrinted) {
    struct Case {
        std::vector<std::string> words;
        int exitCode;
        const char* said; // in the message
    };
    const Case cases[] = {
        {{"--feed", "0..5"}, 1, "--from names"},
        {{"--from", slotJson, "--feed", "0..5", "--media", "101"}, 1, "exactly one of"},
        {{"--from", slotJson, "--media", "101", "--points", "2"}, 1, "--points goes with --feed"},
        {{"--from", slotJson, "--feed", "0..80"}, 1, "-70 to 70"},
        {{"--from", slotJson, "--feed", "5"}, 1, "FROM..TO"},
        {{"--from", slotJson, "--feed", "0..5", "--points", "3"},
         1,
         "gives 5 sheet(s) (0, 1, 2, 3, 5), not 3"},
        {{"--from", slotJson, "--density", "51"}, 1, "-50 to 50"},
        {{"--from", slotJson, "--modes", "1,,2"}, 1, "1 to 4"},
        {{"--from", slotJson, "--density", "5"}, 1, "custom file entry"},
        {{"--from", "slot:11", "--density", "5"}, 1, "1 to 10"},
        {{"--from", slotJson, "--media", "201"}, 5, "media 201 is not offered"},
        {{"--from", slotJson, "--media", "101,999"}, 5, "media 999 is not offered"},
        {{"--from", fileJson, "--modes", "2,1"}, 5, "does not offer print mode 1"},
        {{"--from", dir.file("none.json"), "--media", "101"}, 5, "cannot be read"},
        {{"--from", slotJson, "--media", "101", "--image", dir.file("none.bmp")},
         5,
         "image-missing"},
        {{"--from", slotJson, "--media", "101", "--image", slotJson}, 5, "image-unreadable"},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& w : c.words)
            line += w + " ";
        SCOPED_TRACE(line);
        EXPECT_EQ(Run(c.words, true), c.exitCode);
        EXPECT_NE((out.str() + err.str()).find(c.said), std::string::npos)
            << out.str() << err.str();
    }
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(SampleCli, AFeedSeriesPrintsSheetBySheetWithItsGroupingJobs) {
    EXPECT_EQ(
        Run({"--from", slotJson, "--feed", "70..-70", "--points", "5", "--image", image}, true), 0)
        << err.str();
    const std::vector<std::string> expected = {"E1",
                                               "Paper Feed Adjustment=-70,",
                                               "Paper Feed Adjustment=-35,",
                                               "E0",
                                               "Paper Feed Adjustment=0,",
                                               "E1",
                                               "Paper Feed Adjustment=35,",
                                               "E0",
                                               "Paper Feed Adjustment=70,",
                                               "E2"};
    EXPECT_EQ(Jobs(), expected);
    // Each sheet's settings went to the driver before it: byte 9 the point.
    const auto paper = krset.WritesOf(219);
    ASSERT_EQ(paper.size(), 5u);
    EXPECT_EQ(paper[0][9], 0xBA);
    EXPECT_EQ(paper[4][9], 70);

    const std::string json = out.str();
    EXPECT_NE(json.find("\"action\":\"sample\",\"outcome\":\"printed\",\"exitCode\":0"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"sheets\":5,\"printed\":5,\"image\":\"" + image + "\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"titles\":[\"Paper Feed Adjustment=-70,\","), std::string::npos) << json;
    EXPECT_EQ(json.find('\n'), json.size() - 1);
    // Progress, sheet by sheet, on standard error.
    EXPECT_NE(
        err.str().find("sheet 1/5: Paper Feed Adjustment=-70,\nsheet 1/5: sent to the printer\n"),
        std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find("sheet 5/5: sent to the printer\n"), std::string::npos);
}

// German chosen: the sheets carry German titles and the progress is German,
// while --json lists the English titles and says the same bytes as in English.
TEST_F(SampleCli, GermanSheetsAndProgressWithJsonInEnglish) {
    namespace fs = std::filesystem;
    settingsDir = dir.file("program");
    fs::create_directories(settingsDir);
    fs::copy(OutputDir() + "/Settings", settingsDir + "/Settings", fs::copy_options::recursive);
    // The title of the feed sheets in German, as a translation gives it.
    std::ofstream(settingsDir + "/Settings/de/Localize.ini", std::ios::app)
        << "00030009=Papiervorschubkorrektur\n";
    ScopedEnv env;
    env.Set("PLOTCARE_LANG", "de");
    const std::vector<std::string> words = {"--from", slotJson, "--feed", "0..5", "--points", "5",
                                            "--image", image};
    ASSERT_EQ(Run(words), 0) << err.str();
    EXPECT_NE(err.str().find("Blatt 1/5: Papiervorschubkorrektur=0,\nBlatt 1/5: an den Drucker "
                             "gesendet\n"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(Jobs()[1], "Papiervorschubkorrektur=0,");

    ASSERT_EQ(Run(words, true), 0) << err.str();
    const std::string german = out.str();
    env.Set("PLOTCARE_LANG", "en");
    ASSERT_EQ(Run(words, true), 0) << err.str();
    EXPECT_EQ(german, out.str());
    EXPECT_NE(german.find("\"titles\":[\"Paper Feed Adjustment=0,\","), std::string::npos) << german;
}

TEST_F(SampleCli, MediaAndModesFollowTheDialogsOrderAndADriverFailureSays6) {
    EXPECT_EQ(Run({"--from", slotJson, "--media", "104,101", "--image", image}), 0) << err.str();
    // The media list's display order, not the order given.
    const std::vector<std::string> media = Jobs();
    ASSERT_EQ(media.size(), 5u) << ::testing::PrintToString(media);
    EXPECT_NE(media[1].find("=Media 101,"), std::string::npos) << media[1];
    EXPECT_NE(media[3].find("=Media 104,"), std::string::npos) << media[3];

    spooler.Clear();
    EXPECT_EQ(Run({"--from", fileJson, "--modes", "4,2", "--image", image}), 0) << err.str();
    const auto items70 = krset.WritesOf(70);
    const auto items214 = krset.WritesOf(214);
    ASSERT_FALSE(items70.empty());
    ASSERT_FALSE(items214.empty());
    EXPECT_EQ(items70.back()[2], 1);    // mode 2 first, through item 70
    EXPECT_EQ(items214.back()[16], 15); // then mode 4 through item 214

    spooler.Clear();
    krset.SetItem30(10000, 3900); // the sheets left the sample length there
    krset.Fail(219, true, -1);
    EXPECT_EQ(Run({"--from", slotJson, "--feed", "0..1", "--image", image}, true), 6);
    EXPECT_NE(out.str().find("\"outcome\":\"failed\",\"exitCode\":6"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("\"printed\":0"), std::string::npos);
    EXPECT_EQ(Jobs(), (std::vector<std::string>{"E1", "E2"}));
}

} // namespace
