// plotcare-cli's commands run in-process on the fake library and the test
// spooler: what they print, in text and JSON, and their exit codes.
#include "cli/CliCommands.h"
#include "comm/CPrinterLink.h"
#include "platform/Clock.h"

#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "RecordingSpooler.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <sstream>

namespace {

struct Result {
    int code;
    std::string out;
    std::string err;
};

class CliCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        spooler.AddPrinter("QZ", "socket://127.0.0.1:9100", "ORVEX QZ-7100");
        std::vector<std::uint8_t> list;
        FakeBidi::AddChannel(list, CPrinterLink::kChannelLocal, 7);
        fake.SetChannels(list);
    }

    Result Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--all", "--library", fake.Path()});
        std::ostringstream out, err;
        const int code = cli::Run(args, out, err);
        return {code, out.str(), err.str()};
    }

    // A JSON document, or a failure naming the parse error. JSON text is
    // UTF-8: the bytes must survive a round trip through QString.
    static QJsonObject Json(const std::string& text) {
        EXPECT_EQ(QString::fromStdString(text).toStdString(), text) << "not UTF-8";
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << text;
        return doc.object();
    }

    FakeBidi fake;
    RecordingSpooler spooler;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
};

// State 4, maintenance tank 10 % free, eight inks in the printer's order of
// colour codes with Cyan at 20 %.
std::vector<std::uint8_t> EightInkStatus() {
    std::vector<std::uint8_t> fields = {0x01, 0x01, 0x04, 0x0D, 0x01, 10, 0x0F, 25, 3};
    const std::uint8_t codes[8] = {1, 2, 3, 6, 7, 4, 5, 8};
    for (int i = 0; i < 8; ++i) fields.insert(fields.end(), {0x00, codes[i], static_cast<std::uint8_t>(i == 1 ? 20 : 80)});
    return StatusReplyBytes(fields);
}

std::string Ascii(const std::string& s) {
    std::string bad;
    for (unsigned char c : s)
        if ((c < 0x20 && c != '\n') || c == 0x7F) bad += "\\x" + std::to_string(c);
    return bad;
}

} // namespace

TEST_F(CliCommandsTest, StatusNamesTheMaintenanceTankAndTheInkColours) {
    fake.PushStatus(EightInkStatus());
    Result r = Run({"status", "QZ"});
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    EXPECT_NE(r.out.find("maintenance tank: 10 % free (nearly full: no head cleaning)"), std::string::npos) << r.out;
    for (const char* line : {"  Photo Black     80 %\n", "  Cyan            20 % (low)\n", "  Light Cyan      80 %\n",
                             "  Matte Black     80 %\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    EXPECT_EQ(r.out.find("0D"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("code"), std::string::npos) << r.out;

    const QJsonObject json = Json(Run({"status", "QZ", "--json"}).out);
    EXPECT_EQ(json["maintenanceTankFree"].toInt(-1), 10);
    EXPECT_TRUE(json["maintenanceTankNearlyFull"].toBool());
    EXPECT_FALSE(json.contains("field0D"));
    const QJsonArray inks = json["inks"].toArray();
    ASSERT_EQ(inks.size(), 8);
    EXPECT_EQ(inks[0].toObject()["colour"].toString(), "Photo Black");
    EXPECT_EQ(inks[1].toObject()["colour"].toString(), "Cyan");
    EXPECT_EQ(inks[1].toObject()["level"].toInt(), 20);
    EXPECT_TRUE(inks[1].toObject()["low"].toBool());
    EXPECT_EQ(inks[3].toObject()["colour"].toString(), "Light Cyan");
    EXPECT_FALSE(inks[0].toObject().contains("code"));

    Result help = Run({"--help"});
    EXPECT_NE(help.out.find("maintenance tank"), std::string::npos) << help.out;
    EXPECT_EQ(help.out.find("0D"), std::string::npos) << help.out;
}

TEST_F(CliCommandsTest, StatusOfAFourInkPrinterWithoutATankField) {
    std::vector<std::uint8_t> fields = {0x01, 0x01, 0x03, 0x0F, 13, 3};
    for (std::uint8_t code : {1, 2, 3, 4}) fields.insert(fields.end(), {0x00, code, 50});
    fake.PushStatus(StatusReplyBytes(fields));
    Result r = Run({"status", "QZ"});
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    EXPECT_NE(r.out.find("maintenance tank: not reported"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  Black           50 %\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  Yellow          50 %\n"), std::string::npos) << r.out;

    const QJsonObject json = Json(Run({"status", "QZ", "--json"}).out);
    EXPECT_TRUE(json["maintenanceTankFree"].isNull());
    EXPECT_EQ(json["inks"].toArray()[0].toObject()["colour"].toString(), "Black");
}

// status --all of a spooler with one supported printer: the same block and
// object as status PRINTER (another maker's printer is not asked); with no
// library to reach it, neither by name nor in a driver folder, exit 2.
TEST_F(CliCommandsTest, StatusAllShowsEachPrinterAsStatusDoesAndNeedsALibrary) {
    // The shipped Settings folder lists the supported drivers.
    const std::string settings = std::getenv("PLOTCARE_OUTPUT_DIR");
    spooler.AddPrinter("Other", "socket://127.0.0.1:9101", "Another Maker 1");
    fake.PushStatus(EightInkStatus());
    const Result single = Run({"status", "QZ"});
    fake.PushStatus(EightInkStatus());
    const Result all = Run({"--settings", settings, "status"}); // Run adds --all
    EXPECT_EQ(all.code, cli::kExitOk) << all.err;
    EXPECT_EQ(all.out, single.out);
    EXPECT_EQ(all.err, "");

    fake.PushStatus(EightInkStatus());
    const Result json = Run({"--settings", settings, "status", "--json"});
    const QJsonObject doc = Json(json.out);
    const QJsonArray printers = doc["printers"].toArray();
    ASSERT_EQ(printers.size(), 1) << json.out;
    fake.PushStatus(EightInkStatus());
    QJsonObject expected = Json(Run({"status", "QZ", "--json"}).out);
    expected["answered"] = true;
    EXPECT_EQ(printers[0].toObject(), expected);
    EXPECT_EQ(doc["total"].toInt(), 1);
    EXPECT_EQ(doc["exitCode"].toInt(), cli::kExitOk);

    std::ostringstream out, err;
    EXPECT_EQ(cli::Run({"--settings", settings, "--library", "/nonexistent/libtqapi.so", "status", "--all"}, out, err),
              cli::kExitNotSupported);
    EXPECT_NE(out.str().find("printer:          QZ\nchannel:          none\nno answer:        the bidirectional "
                             "library libtqapi.so cannot be loaded\n"),
              std::string::npos)
        << out.str();
}

// The device id comes from the printer: control characters and broken
// UTF-8 never reach the terminal as they are, and the JSON stays valid.
TEST_F(CliCommandsTest, DeviceIdIsPrintedWithControlCharactersEscaped) {
    const std::string id = "MFG:ORVEX;DES:ORVEX QZ-7100;X:\x1b[2J\x07\t\\\xc2\x9b\xff\xc3\xa9;";
    fake.SetDeviceId(id);
    Result r = Run({"device-id", "QZ"});
    ASSERT_EQ(r.code, cli::kExitOk) << r.err;
    EXPECT_EQ(Ascii(r.out), "");
    EXPECT_NE(r.out.find("X:\\x1B[2J\\x07\\t\\\\\\xC2\\x9B\\xFF\xc3\xa9;\n"), std::string::npos) << r.out;

    const QJsonObject json = Json(Run({"device-id", "QZ", "--json"}).out);
    EXPECT_EQ(json["deviceId"].toString(),
              QString::fromUtf8("MFG:ORVEX;DES:ORVEX QZ-7100;X:\x1b[2J\x07\t\\\xc2\x9b\xef\xbf\xbd\xc3\xa9;"));
    EXPECT_TRUE(json["matches"].toBool());
}

TEST_F(CliCommandsTest, WaitReadyTellsNotReadyFromNoAnswer) {
    struct Case {
        const char* name;
        std::function<void(FakeBidi&)> setUp;
        int code;
    };
    const std::vector<Case> cases = {
        {"ready", [](FakeBidi& f) { f.PushStatus(StatusReplyBytes(StateField(4))); }, cli::kExitOk},
        {"busy throughout", [](FakeBidi& f) { f.PushStatus(StatusReplyBytes(StateField(3))); }, cli::kExitNotReady},
        {"answers without a record", [](FakeBidi& f) { f.PushStatus({'@', 'B', 'D', 'C'}); }, cli::kExitNotReady},
        {"offline: no status read answers", [](FakeBidi& f) { f.PushStatus({}, -6); }, cli::kExitNoAnswer},
        {"no channel", [](FakeBidi& f) { f.SetOpenResult(-1); }, cli::kExitNoAnswer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fake.Reset();
        std::vector<std::uint8_t> list;
        FakeBidi::AddChannel(list, CPrinterLink::kChannelLocal, 7);
        fake.SetChannels(list);
        c.setUp(fake);
        Result r = Run({"wait-ready", "QZ"});
        EXPECT_EQ(r.code, c.code) << r.err;
    }
}

TEST_F(CliCommandsTest, CtrlCEndsWaitReadyAsCancelled) {
    fake.PushStatus(StatusReplyBytes(StateField(3)));
    clock.SetOnAdvance([raised = false](std::int64_t now) mutable {
        if (!raised && now >= 1000) {
            raised = true;
            std::raise(SIGINT);
        }
    });
    Result r = Run({"wait-ready", "QZ"});
    EXPECT_EQ(r.code, cli::kExitCancelled) << r.err;
    EXPECT_NE(r.err.find("cancelled"), std::string::npos) << r.err;
}
