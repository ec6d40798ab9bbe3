// Checks the shipped "Settings" folder and the standard sample image as the
// program finds them beside itself in the build output: every text and font
// the program asks for is there, every manual link leads to a file, every key
// file line can be read whole, and Sample.bmp is an image the sample sheets
// accept.

#include "base/CKeyFileReader.h"
#include "app/CPlotcareApp.h"

#include <QFont>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---- where the files are ---------------------------------------------------

// The environment names the folders; without it, those of this build.
fs::path OutputDir() {
    const char* dir = std::getenv("PLOTCARE_OUTPUT_DIR");
    return (dir && *dir) ? fs::path(dir) : fs::path(PLOTCARE_BUILD_OUTPUT_DIR);
}

fs::path SourceDir() {
    const char* dir = std::getenv("PLOTCARE_SOURCE_DIR");
    return (dir && *dir) ? fs::path(dir) : fs::path(PLOTCARE_BUILD_SOURCE_DIR);
}

// The folder as the program finds it beside itself in the build output.
fs::path SettingsDir() { return OutputDir() / "Settings"; }

// The application object of a program in the build output: texts, fonts and
// manual links are looked up exactly as the program does.
CPlotcareApp& App() {
    static int argc = 1;
    static char name[] = "test_settings";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication qt(argc, argv); // fonts need it
    static CPlotcareApp app{"Corvan Max 7100", QString::fromStdString(OutputDir().string())};
    app.SetFontDpi(96);
    return app;
}

std::string Lookup(const char* file, const std::string& key) {
    return CKeyFileReader::Lookup((SettingsDir() / file).string(), key);
}

std::string TextKey(int id) {
    char key[16];
    std::snprintf(key, sizeof key, "00%06d", id);
    return key;
}

std::string Text(int id) { return App().GetText(id).toStdString(); }

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool IsComment(const std::string& line) { return line.empty() || line[0] == ';'; }

// ---- the ids the program uses ----------------------------------------------

using Ranges = std::vector<std::pair<int, int>>; // inclusive ranges of ids

struct TextGroup {
    const char* where;
    Ranges ids;
};

const std::vector<TextGroup>& UsedTexts() {
    static const std::vector<TextGroup> groups = {
        {"application, main menu, splash and about", {{0, 20}, {99, 100}, {200, 201}}},
        {"menu bar", {{500, 501}, {510, 511}, {550, 551}}},
        {"common messages", {{900, 902}, {904, 906}}},
        {"page names and header lines",
         {{10000, 10001}, {20000, 20001}, {30000, 30001}, {40000, 40001}, {50000, 50001},
          {60000, 60001}, {70000, 70001}, {80000, 80001}, {90000, 90001}}},
        {"busy dialog", {{10200, 10200}, {10250, 10250}}},
        {"automatic adjustment",
         {{10002, 10020}, {10100, 10103}, {10110, 10110}, {10120, 10120}, {10130, 10130},
          {10140, 10140}, {10150, 10154}, {10900, 10902}}},
        {"nozzle check and head cleaning", {{20002, 20005}, {20100, 20100}, {20900, 20904}}},
        {"custom paper registration",
         {{30002, 30025}, {30100, 30104}, {30110, 30110}, {30120, 30120}, {30131, 30134},
          {30140, 30143}, {30150, 30153}, {30160, 30162}, {30900, 30905}}},
        {"slot registration dialog", {{30600, 30602}, {30650, 30651}}},
        {"custom paper call",
         {{40002, 40013}, {40100, 40102}, {40111, 40111}, {40121, 40124}, {40130, 40134},
          {40140, 40143}, {40150, 40153}, {40160, 40164}, {40900, 40904}}},
        {"custom file",
         {{50002, 50030}, {50100, 50107}, {50110, 50110}, {50131, 50134}, {50140, 50143},
          {50150, 50153}, {50160, 50163}, {50900, 50904}}},
        {"save custom file dialog", {{50600, 50602}, {50650, 50652}}},
        {"sample print dialogs",
         {{50200, 50204}, {50250, 50253}, {50300, 50304}, {50350, 50353}, {50400, 50407},
          {50450, 50453}, {50500, 50510}, {50550, 50553}, {50950, 50954}}},
        {"printer status and job information window",
         {{60002, 60008}, {60100, 60104}, {60200, 60215}, {60230, 60236}, {60240, 60242},
          {60250, 60251}, {60300, 60300}, {60900, 60901}}},
        {"firmware update", {{70002, 70009}, {70100, 70102}, {70110, 70110}, {70900, 70906}}},
        {"bidirectional alignment",
         {{80002, 80010}, {80100, 80102}, {80110, 80110}, {80130, 80134}, {80900, 80903}}},
        {"unidirectional alignment",
         {{90002, 90010}, {90100, 90102}, {90110, 90110}, {90130, 90134}}},
    };
    return groups;
}

// Message box texts are never drawn with a font of their own.
bool IsMessage(int id) {
    const int local = id % 10000;
    return (id < 10000 && id >= 900 && id <= 999) || (id >= 10000 && local >= 900);
}

std::vector<std::pair<const char*, int>> AllUsedTextIds() {
    std::vector<std::pair<const char*, int>> ids;
    for (const TextGroup& group : UsedTexts()) {
        for (const auto& [first, last] : group.ids) {
            for (int id = first; id <= last; ++id) ids.emplace_back(group.where, id);
        }
    }
    return ids;
}

// ---- texts -------------------------------------------------------------------

TEST(SettingsTexts, EveryTextTheProgramUsesIsThere) {
    for (const auto& [where, id] : AllUsedTextIds()) {
        EXPECT_FALSE(Text(id).empty()) << where << ": no text for id " << id;
    }
}

TEST(SettingsTexts, ShellTextsHaveFallbacks) {
    // The shell still speaks when a translated Localize.ini lacks an entry.
    Ranges shell = {{0, 20}, {100, 100}, {500, 501}, {510, 511}, {550, 551}, {900, 902}, {904, 906}};
    for (int page = 1; page <= 9; ++page) shell.push_back({page * 10000, page * 10000});
    for (const auto& [first, last] : shell) {
        for (int id = first; id <= last; ++id) {
            EXPECT_FALSE(Lookup("L_Const.ini", TextKey(id)).empty()) << "no fallback for id " << id;
        }
    }
}

TEST(SettingsTexts, SampleSheetLabelsKeepTheirSeparators) {
    // Sample sheets print "name=value," labels: a name or value holding "="
    // or "," would make the printed settings unreadable.
    const Ranges onSheets = {
        {30003, 30004}, {30006, 30006}, {30009, 30009}, {30013, 30013}, {30017, 30024},
        {30131, 30134}, {30140, 30143}, {30150, 30153}, {50004, 50005}, {50007, 50007},
        {50010, 50011}, {50026, 50030}, {50131, 50134}, {50140, 50143}, {50150, 50153},
        {50160, 50163}};
    for (const auto& [first, last] : onSheets) {
        for (int id = first; id <= last; ++id) {
            const std::string text = Text(id);
            EXPECT_EQ(text.find_first_of("=,"), std::string::npos) << id << ": " << text;
        }
    }
}

TEST(SettingsTexts, ConfirmationsAskAQuestion) {
    // Shown with Yes/No or OK/Cancel: the text must ask something.
    for (int id : {900, 30902, 40901, 50902}) {
        const std::string text = Text(id);
        ASSERT_FALSE(text.empty()) << id;
        EXPECT_EQ(text.back(), '?') << id << ": " << text;
    }
}

TEST(SettingsTexts, RedirectionsLeadToTexts) {
    for (const std::string& line : Lines(SettingsDir() / "L_Refer.ini")) {
        if (IsComment(line)) continue;
        const auto eq = line.find('=');
        ASSERT_NE(eq, std::string::npos) << line;
        const std::string target = line.substr(eq + 1);
        EXPECT_FALSE(Lookup("Localize.ini", target).empty() && Lookup("L_Const.ini", target).empty())
            << "redirection to a missing text: " << line;
    }
}

// ---- key files as files ---------------------------------------------------------

TEST(SettingsFiles, EveryKeyFileLineIsReadWhole) {
    // The reader splits lines after 255 characters; the rest would be lost.
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(SettingsDir())) {
        if (entry.path().extension() == ".ini") files.push_back(entry.path());
    }
    files.push_back(SourceDir() / "settings/examples/Setting_Launch.ini");
    ASSERT_GE(files.size(), 7u);
    for (const fs::path& file : files) {
        int number = 0;
        for (const std::string& line : Lines(file)) {
            ++number;
            EXPECT_LE(line.size(), static_cast<std::size_t>(CKeyFileReader::kMaxLine))
                << file.filename() << " line " << number;
        }
    }
}

TEST(SettingsFiles, KeysAreWellFormedAndUnique) {
    // A duplicate key is silently shadowed by the first; a malformed text key
    // is never asked for.
    struct {
        const char* file;
        std::size_t keyLength; // 0: any
        bool mayBeEmpty;
    } files[] = {{"Localize.ini", 8, false}, {"L_Const.ini", 8, false}, {"L_Font.ini", 8, false},
                 {"L_Refer.ini", 8, true},   {"Manual.ini", 0, false},  {"Printer.ini", 0, false}};
    for (const auto& f : files) {
        std::map<std::string, int> seen;
        int number = 0;
        for (const std::string& line : Lines(SettingsDir() / f.file)) {
            ++number;
            if (IsComment(line)) continue;
            const auto end = line.find_first_of("=:");
            ASSERT_NE(end, std::string::npos) << f.file << " line " << number << ": " << line;
            const std::string key = line.substr(0, end);
            if (f.keyLength != 0) {
                EXPECT_EQ(key.size(), f.keyLength) << f.file << " line " << number;
                EXPECT_EQ(key.find_first_not_of("0123456789"), std::string::npos)
                    << f.file << " line " << number;
            }
            const auto [it, added] = seen.emplace(key, number);
            EXPECT_TRUE(added) << f.file << ": key " << key << " on lines " << it->second << " and "
                               << number;
        }
        EXPECT_TRUE(f.mayBeEmpty || !seen.empty()) << f.file << " holds no keys";
    }
}

TEST(SettingsFiles, BothModelsAreListedPrinters) {
    int count = 0;
    const std::string num = Lookup("Printer.ini", "PRINTER_NUM");
    std::from_chars(num.data(), num.data() + num.size(), count);
    std::vector<std::string> listed;
    for (int i = 1; i <= count; ++i) listed.push_back(Lookup("Printer.ini", "PRINTER" + std::to_string(i)));
    EXPECT_EQ(listed, (std::vector<std::string>{"ORVEX Corvan Max 7100", "ORVEX QZ-7100"}));
}

// ---- fonts -------------------------------------------------------------------------

// "size, bold, italic, underline" with spaces ignored: exactly four numbers,
// the size above 0 and the three flags 0 or 1.
bool ParseFont(std::string value, std::array<int, 4>& out) {
    std::erase(value, ' ');
    const char* p = value.data();
    const char* end = value.data() + value.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (p == end || *p != ',') return false;
            ++p;
        }
        const auto [next, ec] = std::from_chars(p, end, out[i]);
        if (ec != std::errc()) return false;
        p = next;
    }
    if (p != end || out[0] <= 0) return false;
    for (int i = 1; i < 4; ++i) {
        if (out[i] != 0 && out[i] != 1) return false;
    }
    return true;
}

TEST(SettingsFonts, WellFormedCheckRejectsMalformedEntries) {
    std::array<int, 4> f{};
    EXPECT_TRUE(ParseFont("12 , 1, 0 ,1", f));
    EXPECT_EQ(f, (std::array<int, 4>{12, 1, 0, 1}));
    for (const char* bad : {"", "0,0,0,0", "-9,0,0,0", "9,0,0", "9,0,0,0,0", "9;0;0;0", "9,2,0,0"}) {
        EXPECT_FALSE(ParseFont(bad, f)) << bad;
    }
}

TEST(SettingsFonts, EveryFontIdHasAValidFont) {
    QFont font;
    EXPECT_TRUE(App().FontFromIni(font, 999999)) << "base font";
    for (const auto& [where, id] : AllUsedTextIds()) {
        if (IsMessage(id)) continue;
        EXPECT_TRUE(App().FontFromIni(font, id))
            << where << ": font id " << id << " = '" << Lookup("L_Font.ini", TextKey(id)) << "'";
    }
}

// Stricter than the program, which reads what it can: an entry it would
// half understand is a typo in the file.
TEST(SettingsFonts, EveryFontEntryIsWellFormed) {
    for (const std::string& line : Lines(SettingsDir() / "L_Font.ini")) {
        if (IsComment(line)) continue;
        std::array<int, 4> font{};
        EXPECT_TRUE(ParseFont(line.substr(line.find('=') + 1), font)) << line;
    }
}

// ---- manuals ----------------------------------------------------------------------

TEST(SettingsManuals, EveryPageAndTopicOpensAnExistingFile) {
    // Page 0..9 from the menu and the pages' help buttons; the topics from the
    // sample print dialogs of the registration (3) and custom file (5) pages.
    std::vector<std::pair<int, int>> opened;
    for (int page = 0; page <= 9; ++page) opened.push_back({page, 0});
    opened.insert(opened.end(), {{3, 1}, {3, 2}, {5, 1}, {5, 2}, {5, 3}, {5, 4}});
    for (const auto& [page, topic] : opened) {
        char key[32];
        std::snprintf(key, sizeof key, "MANUAL_%02d%02d", page, topic);
        const std::string path = App().GetManualPath(page, topic).toStdString();
        ASSERT_FALSE(path.empty()) << key;
        EXPECT_TRUE(fs::is_regular_file(path)) << key << ": " << path;
    }
}

TEST(SettingsManuals, EveryManualEntryNamesAnExistingFile) {
    int entries = 0;
    for (const std::string& line : Lines(SettingsDir() / "Manual.ini")) {
        if (IsComment(line)) continue;
        ++entries;
        const std::string value = line.substr(line.find('=') + 1);
        EXPECT_EQ(value.find('\\'), std::string::npos) << line;
        EXPECT_TRUE(fs::is_regular_file(OutputDir() / value)) << line;
    }
    EXPECT_GE(entries, 16);
}

// The local targets of href="..." and src="..." attributes (no anchors or
// addresses with a scheme).
std::vector<std::string> LocalLinks(const std::string& html) {
    std::vector<std::string> links;
    for (const char* attribute : {"href=\"", "src=\""}) {
        const std::string mark = attribute;
        for (auto at = html.find(mark); at != std::string::npos; at = html.find(mark, at + 1)) {
            const auto begin = at + mark.size();
            const auto end = html.find('"', begin);
            if (end == std::string::npos) break;
            const std::string target = html.substr(begin, end - begin);
            if (target.find_first_of("#:") == std::string::npos) links.push_back(target);
        }
    }
    return links;
}

TEST(SettingsManuals, ManualPagesLinkOnlyToShippedFiles) {
    int pages = 0;
    for (const auto& entry : fs::directory_iterator(SettingsDir() / "manual")) {
        if (entry.path().extension() != ".html") continue;
        ++pages;
        std::ifstream in(entry.path());
        const std::string html((std::istreambuf_iterator<char>(in)), {});
        const std::vector<std::string> links = LocalLinks(html);
        EXPECT_FALSE(links.empty()) << entry.path().filename() << " links to nothing";
        for (const std::string& target : links) {
            EXPECT_TRUE(fs::is_regular_file(entry.path().parent_path() / target))
                << entry.path().filename() << " links to " << target;
        }
    }
    EXPECT_GE(pages, 16);
}

// ---- the standard sample image ----------------------------------------------------------

std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(SampleImage, IsA24BitBottomUpBitmapOfTheSheetSize) {
    // The program looks for it in its own folder, not in Settings.
    const fs::path path = OutputDir() / "Sample.bmp";
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(b.size(), 54u);

    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(U32(b, 2), b.size()) << "file size field";
    const std::uint32_t offset = U32(b, 10);
    EXPECT_EQ(U32(b, 14), 40u) << "information header size";
    const auto width = static_cast<std::int32_t>(U32(b, 18));
    const auto height = static_cast<std::int32_t>(U32(b, 22));
    EXPECT_EQ(width, 4060);
    EXPECT_EQ(height, 1190) << "a positive height: rows stored bottom-up";
    EXPECT_EQ(b[26] | b[27] << 8, 1) << "planes";
    EXPECT_EQ(b[28] | b[29] << 8, 24) << "bits per pixel";
    EXPECT_EQ(U32(b, 30), 0u) << "uncompressed";
    const std::size_t row = (4060 * 3 + 3) / 4 * 4;
    ASSERT_GE(b.size(), offset + row * 1190) << "pixel data complete";

    // Bottom-up in fact, not only in the header: the colour patches are at the
    // top of the picture, so they come last in the file. The first patch is
    // cyan (stored blue, green, red).
    const std::size_t top = offset + row * (1190 - 1 - 60) + 3 * 100;
    EXPECT_EQ(b[top], 255);
    EXPECT_EQ(b[top + 1], 255);
    EXPECT_EQ(b[top + 2], 0);
}

} // namespace
