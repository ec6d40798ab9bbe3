// The virtual printer's reading of the driver's sheet header, and what it
// prints with: the header's settings, or its own without a readable header.
#include "SheetHeader.h"

#include "CVirtualPrinter.h"
#include "JobBytes.h"
#include "TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vprinter;

namespace {

Bytes Unhex(const std::string& hex) {
    Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

// Media 201, mode 3, density -50, output flags 5, print flags 1, paper bytes
// CE 0A ..., title "Density=-50".
const std::string kGoodHex =
    "1B4F5653 0100 2F00 1F00 C900 03 CE 0B00 05000000 01000000 CE0A050C3201000302000000"
    "44656E736974793D2D3530";
const std::string kPdf =
    "%PDF-1.4\n<< /Title (Pdf Title) /Type /Page /MediaBox [0 0 595 842] >>\n%%EOF\n";

TEST(SheetHeaderReader, ReadsAGoodHeader) {
    const Bytes bytes = Cat({Unhex(kGoodHex), Text(kPdf)});
    const SheetHeaderRead read = ReadSheetHeader(bytes.data(), bytes.size());
    ASSERT_EQ(read.status, SheetHeaderStatus::Ok);
    EXPECT_EQ(read.length, 47u);
    const SheetSettings& s = read.settings;
    EXPECT_EQ(s.given, 0x1F);
    EXPECT_EQ(s.mediaValue, 201);
    EXPECT_EQ(s.printMode, 3);
    EXPECT_EQ(s.density, -50);
    EXPECT_EQ(s.outputFlags, 5u);
    EXPECT_EQ(s.printFlags, 1u);
    EXPECT_EQ(Bytes(s.paperBytes.begin(), s.paperBytes.end()), Unhex("CE0A050C3201000302000000"));
    EXPECT_EQ(s.title, "Density=-50");
}

TEST(SheetHeaderReader, RefusesWhatIsNotAWholeHeader) {
    const Bytes good = Unhex(kGoodHex);
    const auto with = [&](std::size_t at, const std::string& hex) {
        Bytes b = good;
        const Bytes patch = Unhex(hex);
        std::copy(patch.begin(), patch.end(), b.begin() + static_cast<long>(at));
        return b;
    };
    const struct {
        const char* what;
        Bytes bytes;
        SheetHeaderStatus status;
    } cases[] = {
        {"nothing", {}, SheetHeaderStatus::NotAHeader},
        {"other mark", with(3, "54"), SheetHeaderStatus::NotAHeader},
        {"mark only", Bytes(good.begin(), good.begin() + 4), SheetHeaderStatus::Truncated},
        {"cut in the fixed part", Bytes(good.begin(), good.begin() + 35),
         SheetHeaderStatus::Truncated},
        {"cut in the title", Bytes(good.begin(), good.end() - 1), SheetHeaderStatus::Truncated},
        {"version 2", with(4, "0200"), SheetHeaderStatus::UnknownVersion},
        {"version 0", with(4, "0000"), SheetHeaderStatus::UnknownVersion},
        {"length one short", with(6, "2E00"), SheetHeaderStatus::WrongLength},
        {"length one long", with(6, "3000"), SheetHeaderStatus::WrongLength},
        {"length below the fixed part", with(6, "0400"), SheetHeaderStatus::WrongLength},
        {"length beyond any header", with(6, "2401"), SheetHeaderStatus::TooLong},
        {"length 65535", with(6, "FFFF"), SheetHeaderStatus::TooLong},
        {"title length 256",
         [&] {
             Bytes b = with(6, "2301");
             b[14] = 0x00;
             b[15] = 0x01;
             return b;
         }(),
         SheetHeaderStatus::TooLong},
        {"title length 65535", with(14, "FFFF"), SheetHeaderStatus::TooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SheetHeaderRead read = ReadSheetHeader(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(read.status, c.status);
        EXPECT_EQ(read.length, 0u);
    }
}

TEST(SheetHeaderReader, ValuesThePrinterCannotUseCountAsNotGiven) {
    Bytes b = Unhex(kGoodHex);
    b[8] = 0xFF;       // bits beyond the five fields
    b[10] = b[11] = 0; // media 0
    b[12] = 7;         // no such print mode
    const SheetHeaderRead read = ReadSheetHeader(b.data(), b.size());
    ASSERT_EQ(read.status, SheetHeaderStatus::Ok);
    EXPECT_EQ(read.settings.given,
              SheetSettings::Paper | SheetSettings::OutputFlags | SheetSettings::PrintFlags);
    const SheetSettings used = WithPrinterDefaults(read.settings);
    EXPECT_EQ(used.mediaValue, 0);
    EXPECT_EQ(used.printMode, 2);
    EXPECT_EQ(used.density, -50);
}

class SheetPrinting : public ::testing::Test {
protected:
    struct Printer {
        TempDir dir;
        std::int64_t now = 1000;
        std::unique_ptr<CVirtualPrinter> printer;

        Printer() {
            CVirtualPrinter::Options options;
            options.stateDir = dir.path().string();
            printer = std::make_unique<CVirtualPrinter>(options, [this] { return now; });
        }
        // Runs the job and lets its sheets come out; the SHEETS lines.
        std::vector<std::string> Print(const Bytes& job) {
            printer->ExecuteJob(job.data(), job.size());
            now += 10 * 60000;
            printer->Tick();
            std::vector<std::string> lines = printer->Control("SHEETS");
            lines.erase(lines.begin());
            return lines;
        }
        std::string Output(const std::string& name) const {
            std::ifstream in(dir.path() / "output" / name, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        }
    };
    Printer p;
};

TEST_F(SheetPrinting, EachSheetIsRecordedWithItsSettingsAndTitle) {
    const Bytes good = Unhex(kGoodHex);
    const Bytes partial =
        Unhex("1B4F5653 0100 2400 0100 6500 00 00 0000 00000000 00000000 000000000000000000000000");
    Bytes wrongLength = good;
    wrongLength[6] = 0x2E;
    const std::string job =
        "0001-sheet.pdf settings=job media=201 mode=3 density=-50 paper=CE0A050C3201000302000000 "
        "output-flags=5 print-flags=1 defaults=none title=Density=-50";
    const std::string defaults =
        "media=0 mode=2 density=0 paper=000000036400000201000000 output-flags=7 "
        "print-flags=9 defaults=media,mode,paper,output-flags,print-flags title=Pdf Title";
    const struct {
        const char* what;
        Bytes job;
        std::vector<std::string> records;
    } cases[] = {
        {"header", Cat({good, Text(kPdf)}), {job}},
        {"no header", Text(kPdf), {"0001-sheet.pdf settings=printer " + defaults}},
        {"header giving the media only, no title",
         Cat({partial, Text(kPdf)}),
         {"0001-sheet.pdf settings=job media=101 mode=2 density=0 paper=000000036400000201000000 "
          "output-flags=7 "
          "print-flags=9 defaults=mode,paper,output-flags,print-flags title=Pdf Title"}},
        {"header of a wrong length",
         Cat({wrongLength, Text(kPdf)}),
         {"0001-sheet.pdf settings=bad-header:wrong-length " + defaults}},
        {"header of another version",
         Cat({Unhex("1B4F5653 0200 2400"), Text(kPdf)}),
         {"0001-sheet.pdf settings=bad-header:unknown-version " + defaults}},
        // Copies: header and page, again and again, in one job.
        {"two sheets, a header each",
         Cat({good, Text(kPdf), partial, Text(kPdf)}),
         {job,
          "0002-sheet.pdf settings=job media=101 mode=2 density=0 paper=000000036400000201000000 "
          "output-flags=7 print-flags=9 defaults=mode,paper,output-flags,print-flags title=Pdf "
          "Title"}},
        {"reset between header and page",
         Cat({good, Text("\x1B@"), Text(kPdf)}),
         {"0001-sheet.pdf settings=printer " + defaults}},
        {"header without a page", good, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Printer fresh;
        EXPECT_EQ(fresh.Print(c.job), c.records);
        if (!c.records.empty()) {
            EXPECT_EQ(fresh.Output("0001-sheet.pdf"), kPdf);
        }
    }
}

TEST_F(SheetPrinting, SettingsFileBesideTheSheetAndTheJobHistory) {
    Bytes header = Unhex(kGoodHex);
    // A title with a line break and a backslash stays on its line.
    const std::string title = "A\nB\\C \xC3\xA9";
    header[6] = static_cast<std::uint8_t>(36 + title.size());
    header[14] = static_cast<std::uint8_t>(title.size());
    header.resize(36);
    Append(header, Text(title));
    p.Print(Cat({header, Text(kPdf)}));
    EXPECT_EQ(p.Output("0001-sheet.settings.txt"),
              "# Sheet 0001-sheet.pdf, printed with these settings\n"
              "Title=A\\x0AB\\\\C \xC3\xA9\n"
              "Settings=the job's\n"
              "MediaValue=201\n"
              "PrintMode=3\n"
              "Density=-50\n"
              "PaperBytes=CE0A050C3201000302000000\n"
              "OutputFlags=5\n"
              "PrintFlags=1\n"
              "PrinterDefaults=none\n");
    ASSERT_EQ(p.printer->State().jobs.size(), 1u);
    EXPECT_EQ(p.printer->State().jobs.back().name, title);
    EXPECT_EQ(p.printer->State().jobs.back().source, "PDF");
    EXPECT_EQ(p.printer->Control("GET sheet-records"), std::vector<std::string>{"OK 1"});
    EXPECT_EQ(p.printer->Control("SHEETS clear"), std::vector<std::string>{"OK"});
    EXPECT_EQ(p.printer->Control("SHEETS"), std::vector<std::string>{"OK"});
}

TEST_F(SheetPrinting, ASheetThatFailsLeavesNoRecord) {
    ASSERT_EQ(p.printer->Control("FAULT error-state"), std::vector<std::string>{"OK"});
    EXPECT_TRUE(p.Print(Cat({Unhex(kGoodHex), Text(kPdf)})).empty());
    EXPECT_FALSE(std::filesystem::exists(p.dir.path() / "output" / "0001-sheet.settings.txt"));
}

} // namespace
