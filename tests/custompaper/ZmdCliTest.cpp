// plotcare-cli zmd in-process: the JSON round trip show -> save, the page's
// checks before a save, and the exit codes; and the JSON reader it uses.
#include "RecordingSpooler.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "cli/CliCommands.h"
#include "cli/CliCustomFile.h"
#include "cli/JsonValue.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Media row MEDIA03 of the shipped table: id 104, ID 1, SID 2, all four modes.
const std::string kSetting =
    R"({"ID":1,"SID":2,"Mode":3,"Density":-50,"Forward":70,"Drytime":50,"Paperthick":2,"Paperdraw":-4,)"
    R"("PaperCut":3,"InkMode":"0123456789ABCDEF0123456789ABCDEF","Platen":4,"Roller":3})";

class ZmdCliTest : public ::testing::Test {
public:
    void SetUp() override {
        fs::create_directories(dir.path() / "Settings");
        fs::copy_file(SourcePath("settings/Media.ini"), dir.path() / "Settings" / "Media.ini");
        fs::copy_file(SourcePath("settings/Printer.ini"), dir.path() / "Settings" / "Printer.ini");
        // plotcare-cli's messages are texts of the Settings folder.
        fs::copy_file(SourcePath("settings/Localize.ini"), dir.path() / "Settings" / "Localize.ini");
        spooler.AddPrinter("Corvan", "socket://a:9100", "ORVEX Corvan Max 7100");
        spooler.AddPrinter("QZ", "socket://b:9100", "ORVEX QZ-7100");
        setting = dir.write("setting.json", kSetting);
        file = dir.file("papers.ZMD");
    }
    int Run(std::vector<std::string> args) {
        out.str({});
        err.str({});
        args.insert(args.begin(), {"--settings", dir.path().string()});
        return cli::Run(args, out, err);
    }

    TempDir dir;
    RecordingSpooler spooler;
    std::string setting, file;
    std::ostringstream out, err;
};

TEST_F(ZmdCliTest, ShowJsonSavesBackAsTheSameSetting) {
    ASSERT_EQ(Run({"zmd", "save", file, "--from", setting, "--name", "Matte 1"}), 0) << err.str();
    ASSERT_EQ(Run({"--json", "zmd", "show", file, "1"}), 0) << err.str();
    const std::string shown = out.str();
    // The mode's resolution comes from the media table (row 104, mode 3).
    EXPECT_NE(shown.find(R"("Hres":1440,"Vres":720,"Mw":8,"Density":-50)"), std::string::npos)
        << shown;

    const std::string copy = dir.write("copy.json", shown);
    ASSERT_EQ(Run({"zmd", "save", file, "--from", copy, "--name", "Copy"}), 0) << err.str();
    EXPECT_EQ(out.str(), "saved entry 2 \"Copy\" in \"" + file + "\"\n");
    ASSERT_EQ(Run({"--json", "zmd", "show", file, "Copy"}), 0) << err.str();
    std::string again = out.str();
    again.replace(again.find("\"entry\":2,\"CustomName\":\"Copy\""), 29,
                  "\"entry\":1,\"CustomName\":\"Matte 1\"");
    EXPECT_EQ(again, shown);

    ASSERT_EQ(Run({"zmd", "list", file}), 0);
    EXPECT_EQ(out.str(), "1\tMatte 1\n2\tCopy\n");
    ASSERT_EQ(Run({"--json", "zmd", "list", file}), 0);
    EXPECT_EQ(
        out.str(),
        "{\"file\":\"" + file +
            "\",\"model\":\"Corvan Max 7100\",\"mediaCount\":2,\"entries\":[{\"entry\":1,\"name\":"
            "\"Matte 1\"},{\"entry\":2,\"name\":\"Copy\"}]}\n");
}

TEST_F(ZmdCliTest, AnExistingNameIsRewrittenInPlaceOnlyWithOverwrite) {
    for (const char* name : {"A", "B", "C"})
        ASSERT_EQ(Run({"zmd", "save", file, "--from", setting, "--name", name}), 0) << err.str();
    const std::string before = Read(file);
    EXPECT_EQ(Run({"zmd", "save", file, "--from", setting, "--name", "B"}), 5);
    EXPECT_NE(err.str().find("entry 2 is already named \"B\""), std::string::npos) << err.str();
    EXPECT_EQ(Read(file), before);

    const std::string other =
        dir.write("other.json", std::string(kSetting).replace(kSetting.find("\"Density\":-50"), 13,
                                                              "\"Density\":7"));
    ASSERT_EQ(Run({"--json", "zmd", "save", file, "--from", other, "--name", "B", "--overwrite"}),
              0)
        << err.str();
    EXPECT_NE(out.str().find("\"entry\":2,\"name\":\"B\",\"overwritten\":true"), std::string::npos)
        << out.str();
    ASSERT_EQ(Run({"zmd", "list", file}), 0);
    EXPECT_EQ(out.str(), "1\tA\n2\tB\n3\tC\n");
    ASSERT_EQ(Run({"zmd", "show", file, "2"}), 0);
    EXPECT_NE(out.str().find("Density     7\n"), std::string::npos) << out.str();
}

TEST_F(ZmdCliTest, RefusalsAndTheirExitCodes) {
    ASSERT_EQ(Run({"zmd", "save", file, "--from", setting, "--name", "Kept"}), 0) << err.str();
    const std::string before = Read(file);
    int changed = 0;
    auto with = [&](const std::string& from, const std::string& to) {
        std::string json = kSetting;
        json.replace(json.find(from), from.size(), to);
        return dir.write("changed" + std::to_string(++changed) + ".json", json);
    };
    const std::string binary = dir.write("binary.ZMD", std::string("\0\1\2", 3));
    struct Case {
        const char* what;
        std::vector<std::string> args;
        int exit;
    };
    const Case cases[] = {
        {"name of 17 characters",
         {"zmd", "save", file, "--from", setting, "--name", "ABCDEFGHIJKLMNOPQ"},
         5},
        {"name of blanks", {"zmd", "save", file, "--from", setting, "--name", "   "}, 5},
        {"name the file cannot carry", {"zmd", "save", file, "--from", setting, "--name", "紙"}, 5},
        {"file of another model",
         {"zmd", "save", file, "--from", setting, "--name", "x", "--model", "QZ-7100"},
         5},
        {"printer of another model", {"zmd", "list", file, "--printer", "QZ"}, 5},
        {"no such printer", {"zmd", "list", file, "--printer", "Nowhere"}, 2},
        {"density out of range",
         {"zmd", "save", file, "--from", with("-50", "51"), "--name", "x"},
         5},
        {"platen the thickness does not offer",
         {"zmd", "save", file, "--from", with("\"Paperthick\":2", "\"Paperthick\":7"), "--name",
          "x"},
         5},
        {"media not in the table",
         {"zmd", "save", file, "--from", with("\"SID\":2", "\"SID\":99"), "--name", "x"},
         5},
        {"ink mode not hexadecimal",
         {"zmd", "save", file, "--from", with("0123", "xyz1"), "--name", "x"},
         5},
        {"unknown member",
         {"zmd", "save", file, "--from", with("\"Roller\"", "\"Rolle\""), "--name", "x"},
         1},
        {"number as text",
         {"zmd", "save", file, "--from", with("\"Mode\":3", "\"Mode\":\"3\""), "--name", "x"},
         1},
        {"not JSON", {"zmd", "save", file, "--from", with("}", ""), "--name", "x"}, 1},
        {"no --from", {"zmd", "save", file, "--name", "x"}, 1},
        {"no such entry", {"zmd", "show", file, "2"}, 5},
        {"no such name", {"zmd", "show", file, "Nothing"}, 5},
        {"binary file", {"zmd", "list", binary}, 5},
        {"missing file", {"zmd", "list", dir.file("missing.ZMD")}, 6},
        {"save into a folder that does not exist",
         {"zmd", "save", dir.file("no/such.ZMD"), "--from", setting, "--name", "x"},
         6},
        {"unknown action", {"zmd", "frob", file}, 1},
        {"show without an entry", {"zmd", "show", file}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.args), c.exit) << err.str();
        EXPECT_FALSE(err.str().empty());
        EXPECT_EQ(Read(file), before);
    }
    // The model of a printer's driver, and --json for a refusal.
    EXPECT_EQ(Run({"zmd", "list", file, "--printer", "Corvan"}), 0) << err.str();
    EXPECT_EQ(Run({"--json", "zmd", "show", file, "9"}), 5);
    EXPECT_NE(out.str().find("\"outcome\":\"no-entry\",\"exitCode\":5"), std::string::npos)
        << out.str();
}

// German chosen: the messages of zmd and of the other commands' checks come
// in German, while --json writes the same bytes as in English.
TEST_F(ZmdCliTest, SpeaksTheChosenLanguageAndKeepsJsonEnglish) {
    fs::create_directories(dir.path() / "Settings" / "de");
    fs::copy_file(SourcePath("settings/de/Localize.ini"),
                  dir.path() / "Settings" / "de" / "Localize.ini");
    ASSERT_EQ(Run({"zmd", "save", file, "--from", setting, "--name", "A"}), 0) << err.str();
    const std::string notJson = dir.write("bad.json", "{\"ID\":1,}");
    ScopedEnv env;
    env.Set("PLOTCARE_LANG", "de");

    struct Case {
        std::vector<std::string> args;
        bool toOut; // the text on standard output, else on standard error
        std::string german;
    };
    const Case cases[] = {
        {{"zmd", "save", file, "--from", setting, "--name", "A", "--overwrite"},
         true,
         "Eintrag 1 „A“ in „" + file + "“ überschrieben\n"},
        {{"zmd", "show", file, "1"}, true, "Eintrag     1\nCustomName  A\n"},
        {{"zmd", "show", file, "9"}, false, "hat keinen lesbaren Eintrag „9“"},
        // A nested refusal: the reader's reason inside the command's sentence.
        {{"zmd", "save", file, "--from", notJson, "--name", "x"},
         false,
         ": hier sollte ein Elementname stehen bei Byte 8\n"},
        {{"zmd", "frob", file}, false, "Aufruf: plotcare-cli zmd list FILE"},
        {{"slot", "QZ", "11"}, false, "N ist eine Speicherplatznummer, 1 bis 10\nAufruf: "},
        {{"align", "QZ", "print", "--direction", "x", "1"}, false, "--direction muss bi oder uni"},
        {{"align", "QZ", "print", "--direction", "bi", "1.9=5"}, false, "„1.9=5“: Spalten sind 1 bis 8"},
        {{"sample", "QZ"}, false, "--from nennt die Einstellung"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        Run(c.args);
        const std::string said = c.toOut ? out.str() : err.str();
        EXPECT_NE(said.find(c.german), std::string::npos) << said;
    }

    const std::vector<std::vector<std::string>> json = {
        {"--json", "zmd", "save", file, "--from", setting, "--name", "A", "--overwrite"},
        {"--json", "zmd", "show", file, "9"},
        {"--json", "zmd", "save", file, "--from", notJson, "--name", "x"},
        {"--json", "zmd", "save", file, "--from", setting, "--name", "ABCDEFGHIJKLMNOPQ"},
    };
    for (const auto& args : json) {
        SCOPED_TRACE(args[2] + " " + args.back());
        env.Set("PLOTCARE_LANG", "de");
        const int deExit = Run(args);
        const std::string de = out.str();
        env.Set("PLOTCARE_LANG", "en");
        EXPECT_EQ(Run(args), deExit);
        EXPECT_EQ(de, out.str());
        EXPECT_NE(de.find("\"message\":\""), std::string::npos) << de;
    }
}

TEST(JsonValue, ReadsJsonAndRefusesTheRest) {
    struct Case {
        std::string text;
        bool ok;
    };
    const Case cases[] = {
        {R"({"a":[1,-2,3.5e+2,true,false,null,"x\n\u00e9\ud83d\ude00"],"b":{}})", true},
        {" [ ] ", true},
        {"\"\xC3\xA9\"", true},
        {"", false},
        {"{", false},
        {"[1,]", false},
        {"{\"a\":1,}", false},
        {"{\"a\":1,\"a\":2}", false}, // a name twice
        {"01", false},
        {"1.", false},
        {"{} x", false},             // text after the value
        {"\"\xC3\"", false},         // not UTF-8
        {"\"\xED\xA0\x80\"", false}, // an encoded surrogate
        {"\"\\ud800\"", false},      // a lone surrogate
        {"\"\\udc00\\ud800\"", false},
        {"\"a\tb\"", false}, // a raw control character
        {"\"\\x\"", false},
        {"tru", false},
        {std::string(cli::JsonValue::kMaxDepth, '[') + std::string(cli::JsonValue::kMaxDepth, ']'),
         true},
        {std::string(cli::JsonValue::kMaxDepth + 1, '[') +
             std::string(cli::JsonValue::kMaxDepth + 1, ']'),
         false},
        {std::string(100000, '['), false},
    };
    for (const Case& c : cases) {
        cli::JsonValue v;
        std::string error;
        EXPECT_EQ(cli::JsonValue::Parse(c.text, v, error), c.ok) << c.text.substr(0, 60);
        EXPECT_EQ(error.empty(), c.ok) << error;
    }
    cli::JsonValue v;
    std::string error;
    ASSERT_TRUE(cli::JsonValue::Parse(
        R"({"s":"\u00e9\ud83d\ude00","n":[2147483647,-2147483648,2147483648,1.0,-0]})", v, error));
    EXPECT_EQ(v.Member("s")->Text(), "é😀");
    const auto& n = v.Member("n")->Items();
    std::int32_t x = 0;
    EXPECT_TRUE(n[0].AsInt32(x));
    EXPECT_EQ(x, 2147483647);
    EXPECT_TRUE(n[1].AsInt32(x));
    EXPECT_EQ(x, INT32_MIN);
    EXPECT_FALSE(n[2].AsInt32(x));
    EXPECT_FALSE(n[3].AsInt32(x));
    EXPECT_TRUE(n[4].AsInt32(x));
    EXPECT_FALSE(v.Member("s")->AsInt32(x));
}

} // namespace
