// The custom paper slots from the table (and from plotcare-cli) to the
// printer and back: slots written through CUPS as raw jobs and read over the
// network channel and the local channel of the real libtqapi.so, against the
// virtual printer.
#include "PrivateCups.h"
#include "SlotReplies.h"
#include "TestFiles.h"
#include "VprinterRig.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "custompaper/CCustomPaperTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>

namespace {

// The 98 bytes a slot holds on the printer, as the control interface
// takes them ("flag,hex").
std::string SlotState(bool registered, int slotNumber, const std::vector<std::uint8_t>& nameField) {
    std::vector<std::uint8_t> bytes = SettingBytes(CustomPaperSlot{}, "", slotNumber);
    std::copy(nameField.begin(), nameField.end(), bytes.begin() + 68);
    return std::string(registered ? "1," : "0,") + Hex(bytes);
}

class SlotsVprinter : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        rig = &VprinterRig::Shared("SlotsNet", "SlotsLocal");
        ASSERT_TRUE(rig->Ready()) << rig->Error();
        PrivateCups::Shared().Activate();
        printer = &rig->On(GetParam());
        ASSERT_TRUE(Idle(*printer));
        ASSERT_EQ(lib.Load(Queue(), 1), 1);
        // Every slot empty, in use and kept.
        for (int n = 1; n <= 10; ++n)
            ASSERT_TRUE(Control().Set("slot." + std::to_string(n), SlotState(false, n, std::vector<std::uint8_t>(30, ' '))));
        ASSERT_TRUE(Control().Set("active", "0"));
    }
    std::string Queue() const { return GetParam(); }
    const CVPrinterClient& Control() const { return *printer->control; }
    // Jobs of `bytes` bytes the printer has taken since the log was cleared.
    int JobsOf(int bytes) const {
        int n = 0;
        for (const std::string& line : Control().Log()) n += line == "job " + std::to_string(bytes) + " bytes";
        return n;
    }

    VprinterRig* rig = nullptr;
    VirtualPrinter* printer = nullptr;
    CBidiLibrary lib;
    CCustomPaperTable table{"(Not registered)"};
};

struct Written {
    int index;
    std::string name;
    CustomPaperSlot slot;
};

std::vector<Written> EveryEnd() {
    CustomPaperSlot low, high, cut1, cut2, draw3;
    low.MediaCode = 0, low.ThreeWay = 0, low.Forward = -70, low.Drytime = 0, low.Paperthick = 1;
    low.Paperdraw = -4, low.PaperCut = 0, low.Platen = 1, low.Roller = 0;
    high.MediaCode = 255, high.ThreeWay = 2, high.Forward = 70, high.Drytime = 50, high.Paperthick = 16;
    high.Paperdraw = 0, high.PaperCut = 3, high.Platen = 4, high.Roller = 3;
    cut1.PaperCut = 1, cut1.Paperdraw = -1, cut1.ThreeWay = 1, cut1.MediaCode = 3;
    cut2.PaperCut = 2, cut2.Paperdraw = -2, cut2.Roller = 1;
    draw3.Paperdraw = -3, draw3.Forward = 1, draw3.Drytime = 1;
    return {{0, "L", low},
            {1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", high},
            {2, "Cut one", cut1},
            {3, "Cut two", cut2},
            {9, "Tenth", draw3}};
}

// Written, read back by both queries, kept across a restart, printed on the
// configuration sheet.
TEST_P(SlotsVprinter, EveryFieldAtBothEndsReadsBackAsWritten) {
    const std::vector<Written> written = EveryEnd();
    for (const Written& w : written) ASSERT_EQ(table.WriteSlot(Queue(), w.index, w.name, w.slot), 0);
    // CUPS hands the printer one job after the other, a few seconds each.
    ASSERT_TRUE(Eventually([&] { return JobsOf(CCustomPaperTable::kWriteJobLength) == 5; }, 90000));

    const auto readBack = [&] {
        CPrinterLink link(&lib);
        ASSERT_GT(table.QueryNames(link, Queue()), 0);
        ASSERT_TRUE(table.LastQueryComplete());
        for (int i = 0; i < 10; ++i) {
            const auto w = std::find_if(written.begin(), written.end(), [i](const Written& x) { return x.index == i; });
            EXPECT_EQ(table.IsRegistered(i), w != written.end()) << i;
            EXPECT_EQ(table.SlotLabel(i), w != written.end() ? w->name : "(Not registered)") << i;
        }
        for (const Written& w : written) {
            SCOPED_TRACE(w.name);
            CustomPaperSlot& slot = table.SlotAt(w.index);
            slot.MediaId = 77; // not read
            ASSERT_GT(table.QuerySettings(link, Queue(), w.index), 0);
            ASSERT_TRUE(table.LastQueryComplete());
            CustomPaperSlot want = w.slot;
            want.Name = w.name + std::string(30 - w.name.size(), ' ');
            want.Registered = 1;
            want.MediaId = 77;
            EXPECT_EQ(slot, want);
        }
    };
    readBack();
    // The fourth name exchange asks from slot 10 on, and got one entry.
    EXPECT_TRUE(Logged(Control(), "query EX 01 00 00 00 1D 0A 00"));

    // Switched off and on: the slots were kept.
    ASSERT_TRUE(Control().Ok("RESTART"));
    ASSERT_TRUE(Eventually([&] { return Control().Get("state") == "ready"; }));
    readBack();

    // The configuration sheet is printed from them.
    std::uint8_t job[64];
    std::size_t n = static_cast<std::size_t>(BuildEnterRemote(job, sizeof job));
    const std::uint8_t ss[] = {'S', 'S', 0x02, 0x00, 0x00, 0x04};
    std::memcpy(job + n, ss, sizeof ss);
    n += sizeof ss;
    n += static_cast<std::size_t>(BuildExitRemote(job + n, sizeof job - n));
    ASSERT_EQ(SendRawJob(Queue(), job, n), 0);
    std::string sheet;
    ASSERT_TRUE(Eventually([&] { return !(sheet = PrintedFile(Control(), "custom-paper-configuration")).empty(); }));
    const std::string text = ReadFile(sheet);
    EXPECT_NE(text.find("Custom 2: ABCDEFGHIJKLMNOPQRSTUVWXYZ0123\n"
                        "    media code 255, thickness 16 (0.1 mm), platen gap narrow\n"
                        "    feed 70 (0.01 %), drying 50 (0.1 s), suction 100 %\n"
                        "    cut method thick paper, fast, roll tension extra high, feed speed fast\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Custom 5: (not registered)"), std::string::npos) << text;
}

TEST_P(SlotsVprinter, ANameWithAZeroByteLosesIt) {
    std::vector<std::uint8_t> name{'C', 'a', 0x00, 'n', 'v', 'a', 's'};
    name.resize(30, ' ');
    ASSERT_TRUE(Control().Set("slot.7", SlotState(true, 7, name)));
    CPrinterLink link(&lib);
    ASSERT_GT(table.QueryName(link, Queue(), 6), 0);
    EXPECT_EQ(table.SlotLabel(6), "Canvas");
    ASSERT_GT(table.QuerySettings(link, Queue(), 6), 0);
    EXPECT_EQ(table.SlotAt(6).Name, "Canvas" + std::string(23, ' '));
}

TEST_P(SlotsVprinter, ACalledSlotBecomesTheActiveSetting) {
    ASSERT_EQ(table.WriteSlot(Queue(), 4, "Five", CustomPaperSlot{}), 0);
    ASSERT_TRUE(Eventually([&] { return Control().Get("slot.5").rfind("1,", 0) == 0; }));
    ASSERT_EQ(table.CallSlot(Queue(), 4), 0);
    EXPECT_TRUE(Eventually([&] { return Control().Get("active") == "5"; }));
    ASSERT_EQ(table.CallStandard(Queue()), 0);
    EXPECT_TRUE(Eventually([&] { return Control().Get("active") == "0"; }));
}

INSTANTIATE_TEST_SUITE_P(Channels, SlotsVprinter, ::testing::Values("SlotsNet", "SlotsLocal"),
                         [](const auto& info) { return std::string(info.param); });

// ---------------------------------------------------------------------------
// plotcare-cli: slot --json, edited, registered into another slot, read again.

class SlotsCliVprinter : public SlotsVprinter {};

// The settings members of a "slot --json" line, from "name" on.
std::string SettingsPart(const std::string& json) {
    const auto at = json.find(",\"name\":");
    return at == std::string::npos ? std::string() : json.substr(at);
}

TEST_P(SlotsCliVprinter, SlotJsonEditedAndRegisteredRoundTrips) {
    CustomPaperSlot s;
    s.MediaCode = 3, s.Paperthick = 4, s.Platen = 3, s.Forward = -12, s.Drytime = 25, s.Paperdraw = -2;
    s.PaperCut = 2, s.Roller = 1, s.ThreeWay = 1;
    std::vector<std::uint8_t> name{'M', 'a', 't', 't', 'e'};
    name.resize(30, ' ');
    std::vector<std::uint8_t> bytes = SettingBytes(s, "Matte", 3);
    ASSERT_TRUE(Control().Set("slot.3", "1," + Hex(bytes)));

    CliRun r = RunCli("slots " + Queue() + " --json", false);
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("{\"slot\":3,\"registered\":true,\"name\":\"Matte\"}"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"slot\":10,\"registered\":false,\"name\":\"\"}"), std::string::npos) << r.out;

    r = RunCli("slot " + Queue() + " 3 --json", false);
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(SettingsPart(r.out),
              ",\"name\":\"Matte\",\"mediaId\":102,\"mediaCode\":3,\"paperthick\":4,\"platen\":3,\"paperdraw\":-2,"
              "\"roller\":1,\"forward\":-12,\"drytime\":25,\"paperCut\":2,\"threeWay\":1}\n");

    // Edited: another name and feed, then registered into slot 8.
    std::string edited = std::regex_replace(r.out, std::regex("\"forward\":-12"), "\"forward\":70");
    edited = std::regex_replace(edited, std::regex("\"name\":\"Matte\""), "\"name\":\"Matte fast feed\"");
    TempDir dir;
    const std::string file = dir.write("slot3.json", edited);
    r = RunCli("register " + Queue() + " 8 --from " + file + " --json");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("\"outcome\":\"registered\""), std::string::npos) << r.out;
    ASSERT_TRUE(Eventually([&] { return Control().Get("slot.8").rfind("1,", 0) == 0; }));

    r = RunCli("slot " + Queue() + " 8 --json", false);
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(SettingsPart(r.out), SettingsPart(edited));

    // Called, then the standard setting; an empty slot is refused.
    r = RunCli("call " + Queue() + " 8");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Eventually([&] { return Control().Get("active") == "8"; }));
    r = RunCli("call " + Queue() + " standard");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_TRUE(Eventually([&] { return Control().Get("active") == "0"; }));
    const int jobs = std::stoi(Control().Get("jobs-received"));
    r = RunCli("call " + Queue() + " 9");
    EXPECT_EQ(r.code, 5) << r.out;

    // Out of range: refused before anything is sent.
    const std::string bad =
        dir.write("bad.json", std::regex_replace(edited, std::regex("\"drytime\":25"), "\"drytime\":51"));
    r = RunCli("register " + Queue() + " 9 --from " + bad);
    EXPECT_EQ(r.code, 5) << r.out;
    EXPECT_EQ(std::stoi(Control().Get("jobs-received")), jobs);
}

TEST_P(SlotsCliVprinter, RegistersACustomFileEntry) {
    const std::string model = Queue() == "SlotsLocal" ? "QZ-7100" : "Corvan Max 7100";
    TempDir dir;
    const std::string zmd = dir.write(
        "Papers.ZMD", "[Base]\nVersion=2.00\nMakeTime=2026/12/01 10:00:00\nModel=" + model +
                          "\nMediaCount=1\n[Media01]\nCustomName=Backlit\nID=1\nMode=2\nHres=720\nVres=720\nMw=4\n"
                          "Density=0\nForward=-3\nDrytime=12\nPaperthick=2\nPaperdraw=-1\nPaperCut=1\n"
                          "InkMode=0123456789ABCDEF0123456789ABCDEF\nPlaten=4\nRoller=2\nSID=3\n");
    CliRun r = RunCli("register " + Queue() + " 2 --from " + zmd + ":Backlit");
    ASSERT_EQ(r.code, 0) << r.out;
    ASSERT_TRUE(Eventually([&] { return Control().Get("slot.2").rfind("1,", 0) == 0; }));
    r = RunCli("slot " + Queue() + " 2 --json", false);
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(SettingsPart(r.out),
              ",\"name\":\"Backlit\",\"mediaId\":102,\"mediaCode\":3,\"paperthick\":2,\"platen\":4,\"paperdraw\":-1,"
              "\"roller\":2,\"forward\":-3,\"drytime\":12,\"paperCut\":1,\"threeWay\":0}\n");
}

INSTANTIATE_TEST_SUITE_P(Channels, SlotsCliVprinter, ::testing::Values("SlotsNet", "SlotsLocal"),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
