// The driver's CUPS filter: the sheet header it builds from a job's options
// and the queue's PPD, and the filter program as CUPS runs it.
#include "SheetHeader.h"
#include "SheetOptions.h"
#include "TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/wait.h>

using namespace sheetfilter;

namespace {

std::string DriverDir() {
    const char* out = std::getenv("PLOTCARE_OUTPUT_DIR");
    return std::string(out && *out ? out : PLOTCARE_TEST_OUTPUT_DIR) + "/driver";
}

std::string CorvanPpd() {
    return DriverDir() + "/ovcm7100.ppd";
}

std::string Unhex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        i += 2;
    }
    return out;
}

std::string Header(const SheetSettings& s) {
    std::uint8_t out[kSheetMaxSize];
    const std::size_t n = BuildSheetHeader(s, out, sizeof out);
    return std::string(reinterpret_cast<const char*>(out), n);
}

std::string HeaderFor(const SheetPpd& ppd, const std::string& options, const std::string& title,
                      std::vector<std::string>& warnings) {
    cups_option_t* parsed = nullptr;
    const int count = cupsParseOptions(options.c_str(), 0, &parsed);
    const SheetSettings s = SettingsFromOptions(ppd, parsed, count, title, warnings);
    cupsFreeOptions(count, parsed);
    return Header(s);
}

// The fixed part of a header ends with 12 paper bytes; the title follows.
const std::string kNoFlags = "00000000 00000000";
const std::string kNoPaper = "000000000000000000000000";

TEST(SheetFilter, HeaderFromJobOptionsAndThePpdIsByteExact) {
    const auto ppd = ReadSheetPpd(CorvanPpd());
    ASSERT_TRUE(ppd) << CorvanPpd();
    const struct {
        const char* what;
        std::string options;
        std::string title;
        std::string hex; // the header without its title
        std::size_t warnings;
    } cases[] = {
        {"every setting given",
         "MediaType=PlainPaper OVPrintQuality=Mode3 OVPaperAdjust=CE0A050C3201000302000000 "
         "OVOutputFlags=5 "
         "OVPrintFlags=1 OVSettingsSource=1 PageSize=A4",
         "Density=-50",
         "1B4F5653 0100 2F00 1F00 C900 03 CE 0B00 05000000 01000000 CE0A050C3201000302000000", 0},
        // The PPD's defaults: Premium Glossy 260 (101), Mode2; no paper
        // bytes, no flags.
        {"no options", "", "T",
         "1B4F5653 0100 2500 0300 6500 02 00 0100 " + kNoFlags + " " + kNoPaper, 0},
        {"OVPaperAdjust missing", "MediaType=CanvasMatte OVPrintQuality=Mode4 OVPrintFlags=9", "",
         "1B4F5653 0100 2400 1300 5A02 04 00 0000 00000000 09000000 " + kNoPaper, 0},
        {"OVPaperAdjust too short", "MediaType=CanvasMatte OVPaperAdjust=0102", "",
         "1B4F5653 0100 2400 0300 5A02 02 00 0000 " + kNoFlags + " " + kNoPaper, 1},
        {"OVPaperAdjust not hex", "OVPaperAdjust=0102030405060708090A0BZZ", "",
         "1B4F5653 0100 2400 0300 6500 02 00 0000 " + kNoFlags + " " + kNoPaper, 1},
        {"OVPaperAdjust empty", "OVPaperAdjust=", "",
         "1B4F5653 0100 2400 0300 6500 02 00 0000 " + kNoFlags + " " + kNoPaper, 1},
        // Choices as CUPS matches them, in any case; one the PPD lacks gives
        // way to the default.
        {"choices in lower case", "MediaType=plainpaper OVPrintQuality=mode1", "",
         "1B4F5653 0100 2400 0300 C900 01 00 0000 " + kNoFlags + " " + kNoPaper, 0},
        {"unknown choices", "MediaType=Cardboard OVPrintQuality=Mode9", "",
         "1B4F5653 0100 2400 0300 6500 02 00 0000 " + kNoFlags + " " + kNoPaper, 2},
        {"flags at their limits", "OVOutputFlags=4294967295 OVPrintFlags=4294967296", "",
         "1B4F5653 0100 2400 0B00 6500 02 00 0000 FFFFFFFF 00000000 " + kNoPaper, 1},
        {"flags not decimal", "OVOutputFlags=0x7 OVPrintFlags=-1", "",
         "1B4F5653 0100 2400 0300 6500 02 00 0000 " + kNoFlags + " " + kNoPaper, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> warnings;
        const std::string header = HeaderFor(*ppd, c.options, c.title, warnings);
        EXPECT_EQ(header, Unhex(c.hex) + c.title);
        EXPECT_EQ(warnings.size(), c.warnings);
    }
}

TEST(SheetFilter, TitleIsCutWholeCharactersAt255Bytes) {
    SheetSettings s;
    s.title = std::string(254, 'a') + "\xC3\xA9" + "bc"; // the é crosses byte 255
    const std::string header = Header(s);
    ASSERT_EQ(header.size(), kSheetFixedSize + 254);
    EXPECT_EQ(header.substr(6, 2), Unhex("2201"));
    EXPECT_EQ(header.substr(14, 2), Unhex("FE00"));
    s.title = std::string(253, 'a') + "\xC3\xA9" + "bc"; // the é ends at byte 255
    EXPECT_EQ(Header(s).size(), kSheetMaxSize);
    EXPECT_EQ(Header(s).substr(kSheetFixedSize + 253), "\xC3\xA9");
}

TEST(SheetFilter, HeaderNeedsRoomForItAll) {
    SheetSettings s;
    s.title = "Title";
    std::uint8_t out[kSheetMaxSize];
    EXPECT_EQ(BuildSheetHeader(s, out, kSheetFixedSize + 4), 0u);
    EXPECT_EQ(BuildSheetHeader(s, nullptr, sizeof out), 0u);
    EXPECT_EQ(BuildSheetHeader(s, out, kSheetFixedSize + 5), kSheetFixedSize + 5);
}

// The filter program, run as CUPS runs it: arguments, PPD in the
// environment, the document on standard input or as a file.
class FilterProgram : public ::testing::Test {
protected:
    struct Result {
        int code = -1;
        std::string out, err;
    };

    Result Run(const std::string& args, const std::string& input,
               const std::string& ppd = CorvanPpd()) {
        const std::string in = dir.write("in", input);
        const std::string command =
            (ppd.empty() ? std::string("env -u PPD ") : "PPD='" + ppd + "' ") + "'" + DriverDir() +
            "/orvex-sheetfilter' " + args + " <'" + in + "' >'" + dir.file("out") + "' 2>'" +
            dir.file("err") + "'";
        Result r;
        const int status = std::system(command.c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = Read(dir.file("out"));
        r.err = Read(dir.file("err"));
        return r;
    }
    static std::string Read(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }

    TempDir dir;
    const std::string pdf = "%PDF-1.4\n1 0 obj << /Type /Page >> endobj\n%%EOF\n";
};

TEST_F(FilterProgram, WritesTheHeaderInFrontOfEachCopy) {
    std::vector<std::string> warnings;
    const auto ppd = ReadSheetPpd(CorvanPpd());
    ASSERT_TRUE(ppd);
    const std::string header = HeaderFor(
        *ppd, "MediaType=PlainPaper OVPaperAdjust=000102030405060708090A0B", "Sample", warnings);
    const std::string options = "'MediaType=PlainPaper OVPaperAdjust=000102030405060708090A0B'";

    const Result fromStdin = Run("7 user Sample 1 " + options, pdf);
    EXPECT_EQ(fromStdin.code, 0) << fromStdin.err;
    EXPECT_EQ(fromStdin.out, header + pdf);
    EXPECT_NE(fromStdin.err.find("INFO: "), std::string::npos) << fromStdin.err;

    const Result twoFromStdin = Run("7 user Sample 2 " + options, pdf);
    EXPECT_EQ(twoFromStdin.out, header + pdf + header + pdf);

    const std::string file = dir.write("doc.pdf", pdf);
    const Result threeFromFile = Run("7 user Sample 3 " + options + " '" + file + "'", "");
    EXPECT_EQ(threeFromFile.code, 0) << threeFromFile.err;
    EXPECT_EQ(threeFromFile.out, header + pdf + header + pdf + header + pdf);

    // A copy count that is no number prints once.
    EXPECT_EQ(Run("7 user Sample x " + options, pdf).out, header + pdf);
}

TEST_F(FilterProgram, FailsWithAnErrorMessageAndNoOutput) {
    const struct {
        const char* what;
        std::string args, input, ppd;
    } cases[] = {
        {"too few arguments", "7 user Sample 1", pdf, CorvanPpd()},
        {"no PPD", "7 user Sample 1 ''", pdf, ""},
        {"unreadable PPD", "7 user Sample 1 ''", pdf, "/nonexistent.ppd"},
        {"empty document", "7 user Sample 1 ''", "", CorvanPpd()},
        {"not a PDF", "7 user Sample 1 ''", "GIF89a....", CorvanPpd()},
        {"missing file", "7 user Sample 1 '' /nonexistent.pdf", "", CorvanPpd()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result r = Run(c.args, c.input, c.ppd);
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.rfind("ERROR: ", 0) == 0 || r.err.rfind("Usage: ", 0) == 0) << r.err;
    }
}

// A value that does not parse is reported on one line: CUPS takes every line
// a filter writes as a message or a command of its own.
TEST_F(FilterProgram, WarnsAboutAGarbledValueOnOneLine) {
    const Result r = Run("7 user Sample 1 'OVPaperAdjust=\"12\nATTR: marker-levels=1\"'", pdf);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("WARNING: OVPaperAdjust=12?ATTR: marker-levels=1 is not 24 hex digits"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("\nATTR:"), std::string::npos) << r.err;
}

} // namespace
