// plotcare-cli's slot actions in-process against the fake bidirectional
// library and the recording spooler: what each refusal and failure exits
// with, and that nothing is sent before the checks pass. The round trips
// against a real printer are in tests/slots_vprinter.
#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "ScopedEnv.h"
#include "SlotReplies.h"
#include "TestFiles.h"
#include "cli/CliCommands.h"
#include "comm/CPrinterLink.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

class SlotCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::uint8_t> channels;
        FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
        fake.SetChannels(channels);
        fake.PushStatus(StatusReplyBytes(StateField(4)));
        spooler.AddPrinter("QZ", "socket://qz:9100", "ORVEX QZ-7100");
    }
    int Run(std::vector<std::string> words) {
        out.str({});
        err.str({});
        std::vector<std::string> args{"--library", fake.Path(), "--settings", std::getenv("PLOTCARE_OUTPUT_DIR"),
                                      "--json"};
        args.insert(args.end(), words.begin(), words.end());
        return cli::Run(args, out, err);
    }
    // Settings in the layout "slot --json" prints; `changes` replaces or adds
    // members (raw JSON values), `extra` is put in as it is.
    std::string Settings(std::map<std::string, std::string> changes = {}, const std::string& extra = {}) {
        std::map<std::string, std::string> m{{"paperthick", "3"}, {"platen", "2"},   {"paperdraw", "-1"},
                                             {"roller", "0"},     {"forward", "5"},  {"drytime", "10"},
                                             {"paperCut", "1"},   {"threeWay", "0"}, {"mediaCode", "7"}};
        for (const auto& [k, v] : changes) {
            if (v.empty()) m.erase(k);
            else m[k] = v;
        }
        std::string json = "{";
        for (const auto& [k, v] : m) json += (json.size() > 1 ? ",\"" : "\"") + k + "\":" + v;
        return dir.write("s.json", json + extra + "}");
    }
    bool Has(const std::string& text) const { return out.str().find(text) != std::string::npos; }

    TempDir dir;
    FakeBidi fake;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    RecordingSpooler spooler;
    std::ostringstream out, err;
};

TEST_F(SlotCli, UsageErrors) {
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"slot", "QZ", "0"},  {"slot", "QZ", "11"},  {"slot", "QZ", "x"},  {"call", "QZ", "01"},
             {"call", "QZ", "std"}, {"register", "QZ", "3"}, {"register", "QZ", "11", "--from", "f.json"}}) {
        EXPECT_EQ(Run(words), 1) << words[0] << " " << words[2];
    }
    EXPECT_EQ(fake.Calls("TQSend"), 0);
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(SlotCli, ReadFailuresAreNoAnswer) {
    // No reply at all (the library times out).
    EXPECT_EQ(Run({"slots", "QZ"}), 4);
    EXPECT_TRUE(Has("\"outcome\":\"no-answer\"")) << out.str();
    // A reply without the marker: answered, but nothing could be read.
    fake.PushReceive("XX:NA;");
    EXPECT_EQ(Run({"slots", "QZ"}), 4);
    EXPECT_TRUE(Has("\"outcome\":\"unreadable-reply\"")) << out.str();
    // Names read, the settings reply without its marker.
    fake.PushReceive(NamesReply({NameEntry(1, 2, "Two")}));
    fake.PushReceive("EX:0000001D;");
    EXPECT_EQ(Run({"slot", "QZ", "2"}), 4);
}

TEST_F(SlotCli, NotReadyIsExitThree) {
    fake.Reset();
    std::vector<std::uint8_t> channels;
    FakeBidi::AddChannel(channels, CPrinterLink::kChannelLocal, 0x07);
    fake.SetChannels(channels);
    fake.PushStatus(StatusReplyBytes(StateField(3)));
    EXPECT_EQ(Run({"call", "QZ", "standard"}), 3);
    EXPECT_EQ(Run({"register", "QZ", "1", "--name", "A", "--from", Settings()}), 3);
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(SlotCli, CallingAnEmptySlotIsRefused) {
    fake.PushReceive(NamesReply({NameEntry(0, 5, "")}));
    EXPECT_EQ(Run({"call", "QZ", "5"}), 5);
    EXPECT_TRUE(Has("\"outcome\":\"not-registered\""));
    EXPECT_TRUE(spooler.Documents().empty());
}

TEST_F(SlotCli, AJobTheSpoolerRefusesIsExitSix) {
    spooler.Fail(RecordingSpooler::Step::StartDocument);
    EXPECT_EQ(Run({"call", "QZ", "standard"}), 6);
    EXPECT_TRUE(Has("\"outcome\":\"not-sent\""));
    fake.PushReceive(NamesReply({NameEntry(0, 3, "")}));
    EXPECT_EQ(Run({"register", "QZ", "3", "--name", "A", "--from", Settings()}), 6);
    EXPECT_TRUE(Has("\"outcome\":\"not-sent\""));
}

struct RefusalCase {
    const char* what;
    std::map<std::string, std::string> changes;
    std::string extra;   // raw text before the closing brace
    std::string name;    // --name ("" none)
    const char* outcome;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.what; }

class SlotCliRegisterRefusal : public SlotCli, public ::testing::WithParamInterface<RefusalCase> {};

// Refused before the printer is asked anything: exit 5, nothing sent.
TEST_P(SlotCliRegisterRefusal, ExitsFiveBeforeSending) {
    const RefusalCase& c = GetParam();
    std::vector<std::string> words{"register", "QZ", "4", "--from", Settings(c.changes, c.extra)};
    if (!c.name.empty()) words.insert(words.end(), {"--name", c.name});
    EXPECT_EQ(Run(words), 5) << err.str();
    EXPECT_TRUE(Has(std::string("\"outcome\":\"") + c.outcome + "\"")) << out.str();
    EXPECT_EQ(fake.Calls("TQSend"), 0);
    EXPECT_EQ(fake.Calls("TQGetStatus"), 0) << "not even the readiness wait";
    EXPECT_TRUE(spooler.Documents().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SlotCliRegisterRefusal,
    ::testing::Values(
        RefusalCase{"forward_71", {{"forward", "71"}}, "", "A", "out-of-range"},
        RefusalCase{"drytime_minus_1", {{"drytime", "-1"}}, "", "A", "out-of-range"},
        RefusalCase{"platen_2_at_thickness_7", {{"paperthick", "7"}}, "", "A", "out-of-range"},
        RefusalCase{"paperdraw_1", {{"paperdraw", "1"}}, "", "A", "out-of-range"},
        RefusalCase{"threeway_3", {{"threeWay", "3"}}, "", "A", "out-of-range"},
        RefusalCase{"cut_4", {{"paperCut", "4"}}, "", "A", "out-of-range"},
        RefusalCase{"member_missing", {{"roller", ""}}, "", "A", "bad-settings"},
        RefusalCase{"not_json", {}, ",]", "A", "bad-settings"},
        RefusalCase{"no_name", {}, "", "", "bad-name"},
        RefusalCase{"blank_name", {}, "", "   ", "bad-name"},
        RefusalCase{"name_31", {}, "", std::string(31, 'n'), "bad-name"},
        RefusalCase{"json_name_31", {{"name", "\"" + std::string(31, 'n') + "\""}}, "", "", "bad-name"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SlotCli, RegisterRefusesAFileItCannotTake) {
    EXPECT_EQ(Run({"register", "QZ", "4", "--name", "A", "--from", dir.file("missing.json")}), 5);
    EXPECT_EQ(Run({"register", "QZ", "4", "--name", "A", "--from", dir.path().string()}), 5);
    const std::string big = dir.write("big.json", std::string(70 * 1024, ' '));
    EXPECT_EQ(Run({"register", "QZ", "4", "--name", "A", "--from", big}), 5);
    EXPECT_TRUE(spooler.Documents().empty());
}

// German chosen: a refusal of register says the reader's reason in German
// on standard error, and --json writes the same bytes as in English.
TEST_F(SlotCli, RegisterRefusalsInGermanWithJsonUnchanged) {
    // Settings() writes one file each time: each case keeps its own.
    const auto kept = [&](const std::string& path, const char* name) {
        std::filesystem::rename(path, dir.file(name));
        return dir.file(name);
    };
    const std::string missingMember = kept(Settings({{"forward", ""}}), "missing-member.json");
    const std::string platenTooHigh = kept(Settings({{"platen", "4"}}), "platen.json");
    const std::string notJson = dir.write("not.json", "{\"paperthick\":3,,}");
    ScopedEnv env;
    struct Case {
        std::string from, german;
    };
    const Case cases[] = {
        {missingMember, "„forward“ fehlt\n"},
        {notJson, "hier sollte ein Elementname stehen bei Byte 16\n"},
        {dir.file("missing.json"), "missing.json kann nicht gelesen werden\n"},
        {platenTooHigh,
         "platen 4 liegt außerhalb von 1..3 (die Auswahl, die eine Papierstärke von 3 lässt)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        const std::vector<std::string> words{"--library", fake.Path(), "--settings",
                                             std::getenv("PLOTCARE_OUTPUT_DIR"), "register", "QZ",
                                             "4", "--name", "A", "--from", c.from};
        env.Set("PLOTCARE_LANG", "de");
        std::ostringstream plain, plainErr;
        EXPECT_EQ(cli::Run(words, plain, plainErr), 5);
        EXPECT_NE(plainErr.str().find(c.german), std::string::npos) << plainErr.str();
        EXPECT_EQ(Run({"register", "QZ", "4", "--name", "A", "--from", c.from}), 5);
        const std::string german = out.str();
        env.Set("PLOTCARE_LANG", "en");
        EXPECT_EQ(Run({"register", "QZ", "4", "--name", "A", "--from", c.from}), 5);
        EXPECT_EQ(german, out.str());
    }
    EXPECT_TRUE(spooler.Documents().empty());
}

// A custom file of `model` with entries given as (name, ID, SID, thickness,
// platen, forward, drytime, paperdraw, paperCut, roller).
struct Entry {
    std::string name;
    int id, sid, thick, platen, forward, drytime, draw, cut, roller;
};
std::string CustomFile(const std::string& model, const std::vector<Entry>& entries) {
    std::string t = "[Base]\r\nVersion=2.00\r\nMakeTime=2026/12/01 10:00:00\r\nModel=" + model +
                    "\r\nMediaCount=" + std::to_string(entries.size()) + "\r\n";
    int k = 0;
    for (const Entry& e : entries) {
        char section[32];
        std::snprintf(section, sizeof section, "[Media%02d]", ++k);
        t += std::string(section) + "\r\nCustomName=" + e.name + "\r\nID=" + std::to_string(e.id) +
             "\r\nMode=2\r\nHres=720\r\nVres=720\r\nMw=4\r\nDensity=-5\r\nForward=" + std::to_string(e.forward) +
             "\r\nDrytime=" + std::to_string(e.drytime) + "\r\nPaperthick=" + std::to_string(e.thick) +
             "\r\nPaperdraw=" + std::to_string(e.draw) + "\r\nPaperCut=" + std::to_string(e.cut) +
             "\r\nInkMode=0123456789ABCDEF0123456789ABCDEF\r\nPlaten=" + std::to_string(e.platen) +
             "\r\nRoller=" + std::to_string(e.roller) + "\r\nSID=" + std::to_string(e.sid) + "\r\n";
    }
    return t;
}

TEST_F(SlotCli, RegisterTakesACustomFileEntryByNumberOrName) {
    const std::string zmd = dir.write("Papers.ZMD", CustomFile("QZ-7100", {{"Plain", 1, 1, 2, 4, 0, 0, 0, 0, 0},
                                                                          {"Matte Film", 1, 3, 5, 3, -70, 50, -4, 3, 2}}));
    for (const std::string which : {"2", "Matte Film"}) {
        SCOPED_TRACE(which);
        spooler.Clear();
        fake.PushStatus(StatusReplyBytes(StateField(4)));
        fake.PushReceive(NamesReply({NameEntry(0, 6, "")}));
        EXPECT_EQ(Run({"register", "QZ", "6", "--from", zmd + ":" + which}), 0) << out.str() << err.str();
        ASSERT_EQ(spooler.Documents().size(), 1u);
        const auto& job = spooler.Documents()[0].bytes;
        ASSERT_EQ(job.size(), 130u);
        // ID 1 / SID 3 is media 102, printer code 3; the entry's name names the slot.
        CustomPaperSlot want;
        want.MediaCode = 3, want.Paperthick = 5, want.Platen = 3, want.Forward = -70, want.Drytime = 50;
        want.Paperdraw = -4, want.PaperCut = 3, want.Roller = 2;
        std::uint8_t packet[SlotCodec::kWritePacketLength];
        SlotCodec::BuildSlotWritePacket(packet, sizeof packet, 6, "Matte Film", want);
        EXPECT_EQ(std::vector<std::uint8_t>(job.begin() + 15, job.begin() + 15 + 107),
                  std::vector<std::uint8_t>(packet, packet + sizeof packet));
    }
}

TEST_F(SlotCli, RegisterRefusesCustomFileEntriesItCannotUse) {
    const std::string other = dir.write("Other.zmd", CustomFile("Corvan Max 7100", {{"A", 1, 1, 2, 1, 0, 0, 0, 0, 0}}));
    const std::string ours = dir.write("Ours.zmd", CustomFile("QZ-7100", {{"Unknown media", 9, 9, 2, 1, 0, 0, 0, 0, 0},
                                                                         {"Thick", 1, 1, 8, 3, 0, 0, 0, 0, 0}}));
    const std::pair<std::string, const char*> cases[] = {
        {other + ":1", "bad-settings"},   // another model's file
        {ours + ":3", "bad-settings"},    // no entry 3
        {ours + ":Nope", "bad-settings"}, // no entry of that name
        {ours + ":1", "bad-settings"},    // media not in the table
        {ours + ":2", "out-of-range"},    // platen 3 at thickness 8
    };
    for (const auto& [from, word] : cases) {
        EXPECT_EQ(Run({"register", "QZ", "4", "--from", from}), 5) << from;
        EXPECT_TRUE(Has(std::string("\"outcome\":\"") + word + "\"")) << from << out.str();
    }
    EXPECT_EQ(fake.Calls("TQSend"), 0);
    EXPECT_TRUE(spooler.Documents().empty());
}

} // namespace
