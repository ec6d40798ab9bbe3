#include "CVirtualPrinter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "FirmwareImage.h"
#include "JobBytes.h"
#include "TestFiles.h"

using namespace vprinter;

namespace {

class VirtualPrinter : public ::testing::Test {
protected:
    TempDir dir;
    std::int64_t now = 1000;

    std::unique_ptr<CVirtualPrinter> Make(double scale = 1.0) {
        CVirtualPrinter::Options options;
        options.stateDir = dir.path().string();
        options.timeScale = scale;
        return std::make_unique<CVirtualPrinter>(options, [this] { return now; });
    }
    static void Run(CVirtualPrinter& p, const Bytes& job) { p.ExecuteJob(job.data(), job.size()); }
    static std::string Query(CVirtualPrinter& p, const Bytes& packet) {
        std::string name(packet.begin(), packet.begin() + 2);
        return p.QueryReply(name, Bytes(packet.begin() + 4, packet.end()));
    }
    std::vector<std::string> OutputFiles() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path() / "output"))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

Bytes CleaningJob() { return RemoteJob({Packet([](auto o, auto r) { return BuildCmdCH(o, r, 0x10); })}, false); }

// A slot's settings with a name, as the registration writes them.
SlotData Settings(int slot, const char* name, std::uint8_t platen) {
    SlotData d = DefaultSlotData(slot);
    d[19] = platen;
    std::memset(d.data() + 68, ' ', 30);
    std::memcpy(d.data() + 68, name, std::strlen(name));
    return d;
}

TEST_F(VirtualPrinter, CleaningKeepsItBusyForItsDurationAndUsesInk) {
    auto p = Make();
    EXPECT_EQ(p->StateCode(), kStateReady);
    Run(*p, CleaningJob());
    EXPECT_EQ(p->StateCode(), kStateBusy);
    now += 59999;
    EXPECT_EQ(p->StateCode(), kStateBusy);
    now += 1;
    EXPECT_EQ(p->StateCode(), kStateReady);
    EXPECT_EQ(p->State().inkLevels[0], 99);
    EXPECT_EQ(p->State().maintenanceCapacity, 78);
}

TEST_F(VirtualPrinter, TimeScaleShortensEveryDuration) {
    auto p = Make(0.001);
    Run(*p, RemoteJob({Packet([](auto o, auto r) { return BuildCmdDTClear(o, r, 1); })}));
    EXPECT_EQ(p->StateCode(), kStateBusy);
    now += 900; // the full bidirectional adjustment: 900 s
    EXPECT_EQ(p->StateCode(), kStateReady);
}

TEST_F(VirtualPrinter, SlotWriteIsKeptOnlyAfterSave) {
    const SlotData saved = Settings(3, "Canvas", 4);
    const SlotData unsaved = Settings(5, "Draft", 1);
    {
        auto p = Make();
        Run(*p, RemoteJob({SlotWritePacket(saved.data()), Packet(BuildCmdSV)}, false));
        Run(*p, RemoteJob({SlotWritePacket(unsaved.data())}, false));
        // Until the printer loads its saved settings, it answers with what it was sent.
        EXPECT_NE(Query(*p, Packet([](auto o, auto r) { return BuildQueryEXRead(o, r, 0x84); }))
                      .find(ToHex(unsaved.data(), unsaved.size())),
                  std::string::npos);
    }
    auto p = Make(); // switched off and on
    const std::string reply = Query(*p, Packet([](auto o, auto r) { return BuildQueryEXRead(o, r, 0x82); }));
    EXPECT_EQ(reply, "EX:0000001B" + ToHex(saved.data(), saved.size()) + ";");
    EXPECT_FALSE(p->State().slots[4].registered);
    const std::string names = Query(*p, Packet([](auto o, auto r) { return BuildQueryEXList(o, r, 1); }));
    EXPECT_EQ(names.substr(11 + 2 * 68, 2), "01"); // slot 3 registered
}

TEST_F(VirtualPrinter, LoadDropsUnsavedAlignmentValues) {
    auto p = Make();
    // Every column differs between the kept run and the later one, so each
    // check below tells the two apart.
    const int kept[8] = {1, 2, 3, 4, 6, 7, 8, 9};
    const int later[8] = {9, 8, 7, 6, 4, 3, 2, 1};
    Run(*p, RemoteJob({Packet([&](auto o, auto r) { return BuildCmdDA(o, r, 1, 0, kept, 8); }),
                       Packet(BuildCmdSV)},
                      false));
    Run(*p, RemoteJob({Packet([&](auto o, auto r) { return BuildCmdDA(o, r, 1, 0, later, 8); })}));
    auto values = [&] {
        std::vector<int> v;
        for (int c = 0; c < 8; ++c) v.push_back(p->State().alignment.at("bi.0" + std::to_string(c)));
        return v;
    };
    EXPECT_EQ(values(), std::vector<int>(later, later + 8));
    Run(*p, RemoteJob({Packet(BuildCmdLD)}, false));
    EXPECT_EQ(values(), std::vector<int>(kept, kept + 8));
}

TEST_F(VirtualPrinter, CallSlotMakesItActive) {
    auto p = Make();
    const SlotData seven = Settings(7, "Seven", 2);
    Run(*p, RemoteJob({SlotWritePacket(seven.data()), Packet(BuildCmdSV)}, false));
    Run(*p, RemoteJob({Packet([](auto o, auto r) { return BuildCmdEXWrite(o, r, 7); }), Packet(BuildCmdSV)}, false));
    EXPECT_EQ(p->State().activeSetting, 7);
    Run(*p, RemoteJob({Packet([](auto o, auto r) { return BuildCmdEXWrite(o, r, 0); }), Packet(BuildCmdSV)}, false));
    EXPECT_EQ(p->State().activeSetting, 0);
    // A slot without custom paper cannot be the paper setting: the printer
    // keeps the one it has.
    Run(*p, RemoteJob({Packet([](auto o, auto r) { return BuildCmdEXWrite(o, r, 7); }), Packet(BuildCmdSV)}, false));
    Run(*p, RemoteJob({Packet([](auto o, auto r) { return BuildCmdEXWrite(o, r, 4); }), Packet(BuildCmdSV)}, false));
    EXPECT_EQ(p->State().activeSetting, 7);
}

// The configuration sheet tells every setting of each kept slot in the
// printer's words, and which setting is active.
TEST_F(VirtualPrinter, CustomPaperConfigurationShowsEverySettingOfTheKeptSlots) {
    auto p = Make();
    SlotData a = Settings(2, "Canvas", 4);
    a[22] = a[23] = 31;             // feed -70
    a[25] = 4;                      // suction 6 %
    a[27] = 6, a[28] = 0x65;        // cut thick paper, fast
    a[30] = 3, a[31] = 16;          // roll tension extra high, 1.6 mm
    a[36] = 0x13, a[37] = 0x88;     // drying 50
    a[41] = 0x30, a[44] = 9;        // feed speed fast, media 9
    a[70] = 0x00;                   // a 00 byte in the name
    const SlotData unsaved = Settings(5, "Draft", 1);
    Run(*p, RemoteJob({SlotWritePacket(a.data()), Packet([](auto o, auto r) { return BuildCmdEXWrite(o, r, 2); }),
                       Packet(BuildCmdSV)},
                      false));
    Run(*p, RemoteJob({SlotWritePacket(unsaved.data())}, false));
    Run(*p, RemoteJob({Bytes{'S', 'S', 0x02, 0x00, 0x00, 0x04}}));
    now += 30000;
    p->Tick();
    std::ifstream in(dir.path() / "output" / "0001-custom-paper-configuration.txt");
    const std::string sheet(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(sheet.find("Active paper setting: Custom 2\n"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("Custom 1: (not registered)\n"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("Custom 2: Ca?vas\n"
                         "    media code 9, thickness 16 (0.1 mm), platen gap narrow\n"
                         "    feed -70 (0.01 %), drying 50 (0.1 s), suction 6 %\n"
                         "    cut method thick paper, fast, roll tension extra high, feed speed fast\n"),
              std::string::npos)
        << sheet;
    EXPECT_NE(sheet.find("Custom 5: (not registered)\n"), std::string::npos) << "only kept slots are printed";
}

TEST_F(VirtualPrinter, PrintsIntoTheOutputFolderAndRecordsJobs) {
    auto p = Make();
    Run(*p, RemoteJob({Packet([](auto o, auto r) { return BuildCmdNC(o, r, 0); }), Packet(BuildCmdVI)}));
    auto ss = [](std::uint8_t which) { return Bytes{'S', 'S', 0x02, 0x00, 0x00, which}; };
    Run(*p, RemoteJob({ss(1), ss(2), ss(4)}));
    const std::string pdf = "%PDF-1.4\n<< /Title (Sample Media) >>\n<< /Type /Page /MediaBox [0 0 595 842] >>\n%%EOF\n";
    Run(*p, Text(pdf));
    // Sheets come out as their printing ends: 45 s, three times 30 s, 60 s.
    now += 45000 + 3 * 30000 + 60000;
    p->Tick();
    EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"0001-nozzle-check.ppm", "0001-nozzle-check.txt",
                                                       "0002-status-sheet.txt",
                                                       "0003-job-information.txt",
                                                       "0004-custom-paper-configuration.txt", "0005-sheet.pdf",
                                                       "0005-sheet.settings.txt"}));
    std::ifstream in(dir.path() / "output" / "0005-sheet.pdf", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), pdf);
    ASSERT_EQ(p->State().jobs.size(), 3u);
    const JobRecord& last = p->State().jobs.back();
    EXPECT_EQ(last.name, "Sample Media");
    EXPECT_EQ(last.lengthMm, 297);
    // Newest first: JI 0 is the PDF, JI 1 the three sheets, JI 2 the nozzle
    // check; each with its pages, all printed, completed normally.
    const struct {
        const char* name;
        const char* pagesAndPrinted;
    } newestFirst[] = {{"Sample Media", "00010001"}, {"Status Sheet", "00030003"}, {"Nozzle Check", "00010001"}};
    for (std::uint8_t k = 0; k < 3; ++k) {
        const std::string ji = Query(*p, {'J', 'I', 0x02, 0x00, 0x01, k});
        ASSERT_EQ(ji.size(), 3u + 136u + 1u) << ji;
        EXPECT_EQ(ji.substr(3 + 46, 2 * std::strlen(newestFirst[k].name)),
                  ToHex(reinterpret_cast<const std::uint8_t*>(newestFirst[k].name), std::strlen(newestFirst[k].name)));
        EXPECT_EQ(ji.substr(3 + 114, 8), newestFirst[k].pagesAndPrinted);
        EXPECT_EQ(ji.substr(3 + 6, 4), "0301");
        // Each sheet took its paper: 297 mm, three times for the three reports.
        EXPECT_EQ(ji.substr(3 + 110, 4), k == 1 ? "037B" : "0129");
    }
    EXPECT_EQ(Query(*p, {'J', 'I', 0x02, 0x00, 0x01, 0x09}), "JI;");
}

TEST_F(VirtualPrinter, FirmwareUpdateRestartsWithTheNewVersion) {
    auto p = Make();
    Run(*p, FirmwareJob(UpgImage("I03000", 5000)));
    EXPECT_TRUE(p->IsOffline());
    EXPECT_FALSE(p->AnswerLocal("VI", {0x01, 0x00}).send);
    now += 90000;
    EXPECT_FALSE(p->IsOffline());
    EXPECT_EQ(p->StateCode(), kStateReady);
    EXPECT_EQ(Query(*p, Packet(BuildQueryVI)), "VI:00I03000;");
    // Without the fill block (a printer at I00000 gets none) it is taken too.
    Run(*p, FirmwareJob(UpgImage("I03001", 10), false));
    now += 90000;
    EXPECT_EQ(p->State().firmware, "I03001");
    EXPECT_EQ(Make()->State().firmware, "I03001");
}

TEST_F(VirtualPrinter, BadFirmwareImagesAreRejected) {
    auto p = Make();
    Bytes badSum = UpgImage("I03000", 100);
    badSum[12] ^= 1;
    Bytes badMark = UpgImage("X03000", 100);
    Bytes cut = FirmwareJob(UpgImage("I03000", 100));
    cut.pop_back();
    Run(*p, FirmwareJob(badSum));
    Run(*p, FirmwareJob(badMark));
    Run(*p, cut);
    EXPECT_FALSE(p->IsOffline());
    EXPECT_EQ(p->State().firmware, "I02010");
}

TEST(FirmwareImage, ChecksInTheLoadersOrder) {
    std::string version;
    const Bytes good = UpgImage("i12345", 64);
    EXPECT_EQ(CheckFirmwareImage(good.data(), good.size(), version), 0);
    EXPECT_EQ(version, "i12345");
    Bytes wrongLength = good;
    wrongLength[8] = 63;
    Bytes wrongSum = good;
    wrongSum[40] ^= 0x80;
    Bytes badMarkAndSum = UpgImage("IX2345", 64);
    badMarkAndSum[13] ^= 1;
    const Bytes badMark = UpgImage("IX2345", 64);
    EXPECT_EQ(CheckFirmwareImage(good.data(), 31, version), -2);
    EXPECT_EQ(CheckFirmwareImage(wrongLength.data(), wrongLength.size(), version), -2);
    EXPECT_EQ(CheckFirmwareImage(wrongSum.data(), wrongSum.size(), version), -2);
    EXPECT_EQ(CheckFirmwareImage(badMarkAndSum.data(), badMarkAndSum.size(), version), -2);
    EXPECT_EQ(CheckFirmwareImage(badMark.data(), badMark.size(), version), -3);
}

TEST_F(VirtualPrinter, FaultsChangeWhatItAnswers) {
    auto p = Make();
    const Bytes vi = Packet(BuildQueryVI);
    auto status = [&] {
        const auto reply = p->StatusReply();
        const std::string text(reply.begin(), reply.end());
        return Bytes(reply.begin() + static_cast<long>(text.find("\r\n") + 2), reply.end());
    };
    ASSERT_EQ(p->Control("FAULT no-reply"), std::vector<std::string>{"OK"});
    EXPECT_FALSE(p->AnswerLocal("VI", {0x01, 0x00}).send);
    EXPECT_TRUE(p->AnswerLocal("ST", {0x01, 0x01}).send); // status still comes
    p->Control("FAULT clear no-reply");

    p->Control("FAULT late-reply 1500");
    EXPECT_EQ(p->AnswerLocal("VI", {0x01, 0x00}).delayMs, 1500);
    p->Control("FAULT garbled-reply");
    const auto garbled = p->AnswerLocal("VI", {0x01, 0x00});
    EXPECT_EQ(std::string(garbled.bytes.begin(), garbled.bytes.end()).find("VI:00"), std::string::npos);
    p->Control("FAULT clear");

    p->Control("FAULT truncated-status");
    const Bytes cut = status();
    EXPECT_LT(cut.size(), 2u + (cut[0] | (cut[1] << 8)));
    p->Control("FAULT clear");

    const struct {
        const char* fault;
        std::size_t at; // byte of the record, its length included
        int value;
    } fields[] = {{"never-ready", 4, kStateBusy}, {"error-state", 4, kStateError}, {"field0d-low", 10, 10},
                  {"ink-low 2", 13 + 1 + 3 * 2 + 2, 20}};
    for (const auto& f : fields) {
        SCOPED_TRACE(f.fault);
        ASSERT_EQ(p->Control(std::string("FAULT ") + f.fault)[0], "OK");
        EXPECT_EQ(status()[f.at], f.value);
        p->Control("FAULT clear");
    }
    EXPECT_EQ(status()[4], kStateReady);

    p->Control("FAULT wrong-device-id");
    EXPECT_EQ(p->DeviceId().find("DES:ORVEX Corvan Max 7100;"), std::string::npos);
    p->Control("FAULT offline");
    EXPECT_FALSE(p->AnswerLocal("ST", {0x01, 0x01}).send);
    const Bytes wrapped = WrappedRequest(vi);
    EXPECT_FALSE(p->AnswerSnmp(wrapped.data(), wrapped.size()).send);
    EXPECT_EQ(p->Control("FAULT sideways")[0].rfind("ERR", 0), 0u);
}

TEST_F(VirtualPrinter, ControlReadsAndChangesState) {
    auto p = Make();
    EXPECT_EQ(p->Control("GET firmware"), std::vector<std::string>{"OK I02010"});
    EXPECT_EQ(p->Control("SET model qz")[0], "OK");
    EXPECT_NE(p->DeviceId().find("DES:ORVEX QZ-7100;"), std::string::npos);
    EXPECT_EQ(p->Control("SET sn 1")[0], "OK");
    EXPECT_EQ(Query(*p, Packet(BuildQuerySN)), "SN:011;");
    EXPECT_EQ(p->Control("SET media-platen.12 3")[0], "OK");
    EXPECT_EQ(Query(*p, Packet([](auto o, auto r) { return BuildQueryEXRead(o, r, 12); })).substr(11 + 38, 2), "03");
    EXPECT_EQ(p->Control("SET inks 5")[0].rfind("ERR", 0), 0u);
    EXPECT_EQ(p->Control("GET nothing")[0].rfind("ERR", 0), 0u);
    EXPECT_EQ(Make()->State().model, Model::QZ7100); // kept in the state folder
}

} // namespace

namespace {

// What a shaped answer puts on the wire, piece by piece: time and bytes.
std::vector<std::pair<int, std::string>> Wire(const CVirtualPrinter::Answer& a) {
    std::vector<std::pair<int, std::string>> out;
    if (a.pieces.empty()) out.emplace_back(a.delayMs, std::string(a.bytes.begin(), a.bytes.end()));
    for (const auto& p : a.pieces)
        out.emplace_back(p.atMs, std::string(p.bytes.begin(), p.bytes.end()));
    return out;
}

std::string Joined(const CVirtualPrinter::Answer& a) {
    std::string all;
    for (const auto& [at, bytes] : Wire(a))
        all += bytes;
    return all;
}

} // namespace

// The transport faults change how an answer travels, never what it says.
TEST_F(VirtualPrinter, TransportFaultsShapeTheLocalAnswers) {
    auto p = Make();
    const std::string version = "VI:00I02010;";
    const int gap = CQueryResponder::kPieceGapMs;

    p->Control("FAULT split-reply 5");
    EXPECT_EQ(
        Wire(p->AnswerLocal("VI", {0x01, 0x00})),
        (std::vector<std::pair<int, std::string>>{{0, "VI:00"}, {gap, "I0201"}, {2 * gap, "0;"}}));
    const std::string status = Joined(p->AnswerLocal("ST", {0x01, 0x01}));
    EXPECT_EQ(status.rfind("@BDC ST2\r\n", 0), 0u);
    p->Control("FAULT clear");

    p->Control("FAULT nothing-yet 2");
    EXPECT_EQ(
        Wire(p->AnswerLocal("VI", {0x01, 0x00})),
        (std::vector<std::pair<int, std::string>>{{0, "\x16"}, {gap, "\x16"}, {2 * gap, version}}));
    p->Control("FAULT clear");

    p->Control("FAULT marker-offset 6");
    const std::string noisy = Joined(p->AnswerLocal("VI", {0x01, 0x00}));
    EXPECT_EQ(noisy.size(), 6 + version.size());
    EXPECT_EQ(noisy.substr(6), version);
    for (char c : noisy.substr(0, 6))
        EXPECT_EQ(std::string(";\r\n\x16").find(c), std::string::npos);
    EXPECT_EQ(Joined(p->AnswerLocal("ST", {0x01, 0x01})).find("@BDC ST2\r\n"), 6u);
    // The device id has no marker: it starts with its length.
    EXPECT_EQ(Joined(p->AnswerLocal("DI", {0x01, 0x00}))[0], 0);
    p->Control("FAULT clear");

    // The previous query's answer first, then this one's.
    const std::string names = Joined(p->AnswerLocal("EX", {0x01, 0, 0, 0, 0x1D, 1, 0}));
    p->Control("FAULT stale-reply");
    EXPECT_EQ(Wire(p->AnswerLocal("VI", {0x01, 0x00})),
              (std::vector<std::pair<int, std::string>>{{0, names}, {gap, version}}));
    EXPECT_EQ(Joined(p->AnswerLocal("VI", {0x01, 0x00})), version + version);
    // Status and device id are the library's own requests: never stale.
    EXPECT_TRUE(p->AnswerLocal("ST", {0x01, 0x01}).pieces.empty());
}

TEST_F(VirtualPrinter, TransportFaultsAreListedAndCleared) {
    auto p = Make();
    for (const char* f : {"FAULT split-reply 7", "FAULT nothing-yet", "FAULT marker-offset 40",
                          "FAULT stale-reply", "FAULT slow-raw 64", "FAULT reset-mid-job 0"})
        ASSERT_EQ(p->Control(f), std::vector<std::string>{"OK"}) << f;
    EXPECT_EQ(p->Control("FAULTS"),
              (std::vector<std::string>{"OK", "split-reply 7", "nothing-yet 3", "marker-offset 40",
                                        "stale-reply", "slow-raw 64", "reset-mid-job 0"}));
    p->Control("FAULT clear reset-mid-job");
    EXPECT_EQ(p->CurrentFaults().resetMidJobBytes, -1);
    p->Control("FAULT clear");
    EXPECT_EQ(p->Control("FAULTS"), std::vector<std::string>{"OK"});
}
