// plotcare-cli's own texts (ids 110000-119999): every id its sources name
// has an English text, and every language folder translates each of them
// with the same arguments, on lines the key file reader reads whole.
#include "TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

constexpr int kFirstId = 110000;
constexpr int kLastId = 119999;
constexpr std::size_t kMaxLine = 255; // what the key file reader reads of a line

struct Text {
    std::string value;
    std::size_t lineBytes;
};

// The plotcare-cli texts of one Localize.ini: "00" + six digits + "=".
std::map<int, Text> CliTexts(const std::filesystem::path& file) {
    std::map<int, Text> texts;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 9 || line.compare(0, 2, "00") != 0 || line[8] != '=') continue;
        const std::string digits = line.substr(2, 6);
        if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
        const int id = std::stoi(digits);
        if (id >= kFirstId && id <= kLastId) texts[id] = {line.substr(9), line.size()};
    }
    return texts;
}

// The source without its comments and string literals.
std::string CodeOnly(const std::string& source) {
    std::string code;
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (source.compare(i, 2, "//") == 0) {
            i = source.find('\n', i);
            if (i == std::string::npos) break;
            code += '\n';
        } else if (source.compare(i, 2, "/*") == 0) {
            i = source.find("*/", i);
            if (i == std::string::npos) break;
            ++i;
        } else if (source[i] == '"' || source[i] == '\'') {
            const char quote = source[i];
            for (++i; i < source.size() && source[i] != quote; ++i)
                if (source[i] == '\\') ++i;
            code += ' ';
        } else {
            code += source[i];
        }
    }
    return code;
}

// Every number of the range written in the sources of plotcare-cli, with
// the file that names it: the ids of its messages, in calls and tables.
std::map<int, std::string> IdsInSources() {
    std::map<int, std::string> ids;
    for (const auto& entry : std::filesystem::directory_iterator(SourcePath("src/cli"))) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".cpp" && ext != ".h") continue;
        std::ifstream in(entry.path());
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string code = CodeOnly(buffer.str());
        for (std::size_t i = 0; i < code.size();) {
            if (!std::isdigit(static_cast<unsigned char>(code[i]))) {
                ++i;
                continue;
            }
            std::size_t end = i;
            while (end < code.size() && std::isalnum(static_cast<unsigned char>(code[end])))
                ++end;
            const bool partOfName =
                i > 0 && (std::isalnum(static_cast<unsigned char>(code[i - 1])) ||
                          code[i - 1] == '_' || code[i - 1] == '.');
            const std::string token = code.substr(i, end - i);
            if (!partOfName && token.size() == 6 &&
                token.find_first_not_of("0123456789") == std::string::npos) {
                const int id = std::stoi(token);
                if (id >= kFirstId && id <= kLastId)
                    ids.emplace(id, entry.path().filename().string());
            }
            i = end;
        }
    }
    return ids;
}

// The arguments a text takes: %1 ... %9.
std::set<char> Arguments(const std::string& text) {
    std::set<char> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') found.insert(text[i + 1]);
    return found;
}

} // namespace

TEST(CliMessages, EveryIdOfTheSourcesHasAnEnglishText) {
    const auto english = CliTexts(SourcePath("settings/Localize.ini"));
    const auto ids = IdsInSources();
    ASSERT_TRUE(ids.count(110000)) << "the scan finds the usage line's word";
    for (const auto& [id, file] : ids) {
        const auto it = english.find(id);
        EXPECT_TRUE(it != english.end() && !it->second.value.empty())
            << file << " uses text " << id << ", which settings/Localize.ini lacks";
    }
}

// A translation that drops an argument loses the printer's name from its
// message; one that adds one prints "%2" as it is.
TEST(CliMessages, EveryLanguageTranslatesEachTextWithItsArguments) {
    const auto english = CliTexts(SourcePath("settings/Localize.ini"));
    for (const auto& [id, text] : english)
        EXPECT_LE(text.lineBytes, kMaxLine) << "English text " << id << " is cut when read";
    int languages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SourcePath("settings"))) {
        const std::filesystem::path file = entry.path() / "Localize.ini";
        if (!entry.is_directory() || !std::filesystem::exists(file)) continue;
        ++languages;
        const std::string language = entry.path().filename().string();
        const auto translated = CliTexts(file);
        for (const auto& [id, text] : english) {
            const auto it = translated.find(id);
            if (it == translated.end()) {
                ADD_FAILURE() << language << " lacks text " << id << " (" << text.value << ")";
                continue;
            }
            EXPECT_EQ(Arguments(it->second.value), Arguments(text.value))
                << language << " text " << id;
            EXPECT_LE(it->second.lineBytes, kMaxLine)
                << language << " text " << id << " is cut when read";
        }
        for (const auto& [id, text] : translated)
            EXPECT_TRUE(english.count(id))
                << language << " has text " << id << ", which English lacks";
    }
    EXPECT_GE(languages, 1);
}
