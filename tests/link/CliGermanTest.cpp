// plotcare-cli in German: what it writes for people follows the chosen
// language; what it writes for programs (--json) stays the same byte for
// byte.
#include "../firmware/UpgImages.h"
#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "cli/CliCommands.h"
#include "comm/CPrinterLink.h"
#include "platform/Clock.h"

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace {

struct Result {
    int code;
    std::string out;
    std::string err;
};

// State 4, maintenance tank 10 % free (nearly full), four inks with Cyan low.
std::vector<std::uint8_t> LowInkStatus() {
    std::vector<std::uint8_t> fields = {0x01, 0x01, 0x04, 0x0D, 0x01, 10, 0x0F, 13, 3};
    for (std::uint8_t code : {1, 2, 3, 4})
        fields.insert(fields.end(), {0x00, code, code == 2 ? std::uint8_t{5} : std::uint8_t{60}});
    return StatusReplyBytes(fields);
}

class CliGermanTest : public ::testing::Test {
protected:
    void SetUp() override { spooler.AddPrinter("QZ", "socket://127.0.0.1:9100", "ORVEX QZ-7100"); }

    // One run in `language`, the printer's side set up afresh.
    Result Run(const std::string& language, std::vector<std::string> args,
               const std::function<void(FakeBidi&)>& printer) {
        fake.Reset();
        std::vector<std::uint8_t> list;
        FakeBidi::AddChannel(list, CPrinterLink::kChannelLocal, 7);
        fake.SetChannels(list);
        if (printer) printer(fake);
        ScopedEnv env;
        env.Set("PLOTCARE_LANG", language);
        args.insert(args.begin(), {"--all", "--library", fake.Path(), "--settings",
                                   std::getenv("PLOTCARE_OUTPUT_DIR")});
        std::ostringstream out, err;
        const int code = cli::Run(args, out, err);
        return {code, out.str(), err.str()};
    }

    FakeBidi fake;
    RecordingSpooler spooler;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    TempDir dir;
};

} // namespace

TEST_F(CliGermanTest, PeopleReadGermanAndProgramsTheSameJson) {
    const auto status = [](FakeBidi& f) { f.PushStatus(LowInkStatus()); };
    const auto busy = [](FakeBidi& f) { f.PushStatus(StatusReplyBytes(StateField(3))); };
    const auto deviceId = [](FakeBidi& f) { f.SetDeviceId("MFG:ORVEX;DES:ORVEX QZ-7100;"); };
    const std::string image = dir.write("NEW.UPG", upg::Make("I03010", 100));
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::function<void(FakeBidi&)> printer;
        std::string out; // what the German run writes, in part
        std::string err;
    };
    const std::vector<Case> cases = {
        {"help", {"--help"}, {}, "Aufruf: plotcare-cli [options] COMMAND [ARGS]\n\nBefehle:\n", ""},
        {"exit codes", {"--help"}, {}, "\nExit-Codes:\n  0  Erfolg\n  1  falscher Aufruf\n", ""},
        {"status",
         {"status", "QZ"},
         status,
         "Drucker:          QZ\nKanal:            lokal\nZustand:          4 (bereit)\n"
         "Wartungstank:     10 % frei (fast voll: keine Kopfreinigung)\n"
         "Tinten:           4 (eine Tinte ist knapp: keine Kopfreinigung)\n"
         "  Schwarz         60 %\n  Cyan            5 % (knapp)\n",
         ""},
        {"status of all printers", {"status"}, status, "Kanal:            lokal\n", ""},
        {"status of all printers without their library",
         {"status", "--library", "/nonexistent/libtqapi.so"},
         {},
         "Kanal:            keiner\n"
         "keine Antwort:    die bidirektionale Bibliothek libtqapi.so kann nicht geladen werden\n",
         "plotcare-cli: \"QZ\": die bidirektionale Bibliothek libtqapi.so kann nicht geladen "
         "werden\n"},
        {"device id", {"device-id", "QZ"}, deviceId, "passt zum Treiber \"ORVEX QZ-7100\"\n", ""},
        {"a printer that stays busy",
         {"wait-ready", "QZ"},
         busy,
         "",
         "plotcare-cli: warte, bis \"QZ\" Bereitschaft meldet: 0 s von 10 s (Strg+C bricht ab)\n"},
        {"no such printer",
         {"version", "XY"},
         {},
         "",
         "plotcare-cli: es ist kein Drucker namens \"XY\" installiert\n"},
        {"unknown command",
         {"frobnicate"},
         {},
         "",
         "plotcare-cli: unbekannter Befehl \"frobnicate\"\n"},
        {"a valid firmware image",
         {"fw-check", image},
         {},
         "ein gültiges Firmware-Image, Version I03010\n",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result english = Run("en", c.args, c.printer);
        const Result german = Run("de", c.args, c.printer);
        EXPECT_EQ(german.code, english.code);
        EXPECT_NE(german.out.find(c.out), std::string::npos) << german.out;
        EXPECT_NE(german.err.find(c.err), std::string::npos) << german.err;
        EXPECT_NE(german.out + german.err, english.out + english.err);

        if (c.args[0] == "--help") continue; // the help is for people only
        std::vector<std::string> json = c.args;
        json.push_back("--json");
        const Result englishJson = Run("en", json, c.printer);
        const Result germanJson = Run("de", json, c.printer);
        EXPECT_EQ(germanJson.code, englishJson.code);
        EXPECT_EQ(germanJson.out, englishJson.out);
    }
}
