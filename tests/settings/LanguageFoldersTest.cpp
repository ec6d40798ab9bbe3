// Checks each language folder of the Settings sources (settings/<lang>/)
// against the English texts: a translation may only hold ids the program
// has, every line must be read whole and be valid UTF-8, and each text keeps
// the line breaks and menu accelerators of its English original. A folder
// named as complete must translate every English id.

#include "base/CKeyFileReader.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path SourceSettings() {
    const char* dir = std::getenv("PLOTCARE_SOURCE_DIR");
    return ((dir && *dir) ? fs::path(dir) : fs::path(PLOTCARE_BUILD_SOURCE_DIR)) / "settings";
}

// Languages whose folder must translate every English text.
const std::set<std::string> kCompleteLanguages = {"de"};

struct Line {
    int number;
    std::string text;
};

std::vector<Line> Lines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<Line> lines;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        lines.push_back({number, text});
    }
    return lines;
}

bool IsComment(const std::string& line) {
    return line.empty() || line[0] == ';';
}

// key -> value of a key file; every key once.
std::map<std::string, std::string> Texts(const fs::path& file) {
    std::map<std::string, std::string> texts;
    for (const Line& line : Lines(file)) {
        if (IsComment(line.text)) continue;
        const auto eq = line.text.find('=');
        EXPECT_NE(eq, std::string::npos) << file << " line " << line.number << ": " << line.text;
        if (eq == std::string::npos) continue;
        const std::string key = line.text.substr(0, eq);
        EXPECT_TRUE(texts.emplace(key, line.text.substr(eq + 1)).second)
            << file << ": key " << key << " again on line " << line.number;
    }
    return texts;
}

int Count(std::string_view text, std::string_view part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size()))
        ++n;
    return n;
}

bool IsUtf8(const std::string& bytes) {
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decode.hasError();
}

// The language folders beside the English texts: sub-folders with texts.
// "size, bold, italic, underline", spaces ignored: four numbers, the
// flags 0 or 1; the size, or 0 when the entry is malformed.
int FontSize(std::string value) {
    std::erase(value, ' ');
    int fields[4] = {};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && (at >= value.size() || value[at++] != ',')) return 0;
        const auto [next, ec] =
            std::from_chars(value.data() + at, value.data() + value.size(), fields[i]);
        if (ec != std::errc()) return 0;
        at = static_cast<std::size_t>(next - value.data());
    }
    if (at != value.size()) return 0;
    for (int i = 1; i < 4; ++i)
        if (fields[i] != 0 && fields[i] != 1) return 0;
    return fields[0];
}

std::vector<std::string> LanguageFolders() {
    std::vector<std::string> languages;
    for (const auto& entry : fs::directory_iterator(SourceSettings())) {
        if (entry.is_directory() && fs::is_regular_file(entry.path() / "Localize.ini"))
            languages.push_back(entry.path().filename().string());
    }
    return languages;
}

TEST(LanguageFolders, UtfEightCheckTellsBrokenBytes) {
    EXPECT_TRUE(IsUtf8("Papierst\xC3\xA4rke"));
    for (const char* bad : {"Papierst\xE4rke", "\xC3", "\xC3\x28", "\xED\xA0\x80"})
        EXPECT_FALSE(IsUtf8(bad)) << bad;
}

TEST(LanguageFolders, FontSizeReadsOnlyWellFormedEntries) {
    EXPECT_EQ(FontSize("8, 0, 0, 0"), 8);
    EXPECT_EQ(FontSize("12,1,0,1"), 12);
    for (const char* bad : {"", "8", "8,0,0", "8,0,0,0,0", "8;0;0;0", "8,2,0,0", "x,0,0,0"})
        EXPECT_EQ(FontSize(bad), 0) << bad;
}

TEST(LanguageFolders, EveryCompleteLanguageIsThere) {
    const std::vector<std::string> found = LanguageFolders();
    for (const std::string& language : kCompleteLanguages)
        EXPECT_NE(std::find(found.begin(), found.end(), language), found.end()) << language;
}

TEST(LanguageFolders, EveryLineIsUtfEightAndReadWhole) {
    // The reader cuts a line after kMaxLine bytes (an umlaut takes two).
    std::vector<std::string> files = {"Localize.ini"};
    for (const std::string& language : LanguageFolders())
        files.push_back(language + "/Localize.ini");
    for (const std::string& file : files) {
        for (const Line& line : Lines(SourceSettings() / file)) {
            EXPECT_LE(line.text.size(), static_cast<std::size_t>(CKeyFileReader::kMaxLine))
                << file << " line " << line.number;
            EXPECT_TRUE(IsUtf8(line.text)) << file << " line " << line.number;
        }
    }
}

TEST(LanguageFolders, TextsMatchTheEnglishOnes) {
    const std::map<std::string, std::string> english = Texts(SourceSettings() / "Localize.ini");
    ASSERT_FALSE(english.empty());
    for (const std::string& language : LanguageFolders()) {
        SCOPED_TRACE("language " + language);
        const std::map<std::string, std::string> texts =
            Texts(SourceSettings() / language / "Localize.ini");
        for (const auto& [key, text] : texts) {
            const auto original = english.find(key);
            if (original == english.end()) {
                ADD_FAILURE() << key << " is no English text id";
                continue;
            }
            EXPECT_FALSE(text.empty()) << key;
            EXPECT_EQ(Count(text, "\\n"), Count(original->second, "\\n")) << key << ": line breaks";
            EXPECT_EQ(Count(text, "&"), Count(original->second, "&")) << key << ": accelerators";
        }
        if (!kCompleteLanguages.contains(language)) continue;
        for (const auto& [key, text] : english)
            EXPECT_TRUE(texts.contains(key)) << key << " (" << text << ") is not translated";
    }
}

TEST(LanguageFolders, FontsChangeKnownIdsAndStayReadable) {
    // A language's fonts only shrink what does not fit otherwise: never
    // below 8 points, and only for ids the English font table has.
    const std::map<std::string, std::string> english = Texts(SourceSettings() / "L_Font.ini");
    ASSERT_FALSE(english.empty());
    for (const std::string& language : LanguageFolders()) {
        const fs::path file = SourceSettings() / language / "L_Font.ini";
        if (!fs::exists(file)) continue;
        SCOPED_TRACE("language " + language);
        for (const auto& [key, value] : Texts(file)) {
            EXPECT_TRUE(english.contains(key)) << key << " is no English font id";
            EXPECT_GE(FontSize(value), 8) << key << " = " << value;
        }
    }
}

} // namespace
