// plotcare-cli's sentences name their texts by enumerations of text ids in
// src/cli: every id of such an enumeration has an English text, a German one,
// and the German text uses the same arguments, so no message is forgotten and
// no argument is lost in the translation.
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::map<int, std::string> Texts(const fs::path& file) {
    std::map<int, std::string> texts;
    std::istringstream in(ReadAll(file));
    static const std::regex line(R"(^00(\d{6})=(.*)$)");
    std::smatch m;
    for (std::string l; std::getline(in, l);)
        if (std::regex_match(l, m, line)) texts[std::stoi(m[1])] = m[2];
    return texts;
}

// The %1 ... %9 a text uses.
std::set<char> Arguments(const std::string& text) {
    std::set<char> used;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') used.insert(text[i + 1]);
    return used;
}

// Each enumeration whose first enumerator is a plotcare-cli text id
// (110000-119999), as file and ids.
std::vector<std::pair<std::string, std::vector<int>>> EnumeratedIds() {
    std::vector<std::pair<std::string, std::vector<int>>> found;
    static const std::regex enumeration(R"(enum\s+\w+\s*:\s*int\s*\{([^}]*)\})");
    static const std::regex first(R"(^\s*\w+\s*=\s*(11\d{4})\s*$)");
    for (const auto& entry : fs::directory_iterator(SourcePath("src/cli"))) {
        if (entry.path().extension() != ".cpp") continue;
        const std::string source = ReadAll(entry.path());
        for (std::sregex_iterator it(source.begin(), source.end(), enumeration), end; it != end;
             ++it) {
            // The enumerators, comments left out.
            const std::string body =
                std::regex_replace(it->str(1), std::regex(R"(//[^\n]*)"), std::string());
            std::vector<std::string> names;
            std::istringstream items(body);
            for (std::string item; std::getline(items, item, ',');)
                if (item.find_first_not_of(" \n\t") != std::string::npos) names.push_back(item);
            std::smatch m;
            if (names.empty() || !std::regex_match(names[0], m, first)) continue;
            std::vector<int> ids;
            for (std::size_t i = 0; i < names.size(); ++i) {
                EXPECT_TRUE(i == 0 || names[i].find('=') == std::string::npos)
                    << entry.path().filename() << ": ids follow each other";
                ids.push_back(std::stoi(m[1]) + static_cast<int>(i));
            }
            found.emplace_back(entry.path().filename().string(), ids);
        }
    }
    return found;
}

TEST(CliTextIds, EveryEnumeratedIdHasItsEnglishAndGermanText) {
    const auto english = Texts(SourcePath("settings/Localize.ini"));
    const auto german = Texts(SourcePath("settings/de/Localize.ini"));
    const auto files = EnumeratedIds();
    ASSERT_GE(files.size(), 6u) << "the enumerations of the sentences were not found";
    for (const auto& [file, ids] : files) {
        for (int id : ids) {
            SCOPED_TRACE(file + ": " + std::to_string(id));
            const auto en = english.find(id);
            const auto de = german.find(id);
            ASSERT_NE(en, english.end()) << "no English text";
            ASSERT_NE(de, german.end()) << "no German text";
            EXPECT_FALSE(en->second.empty());
            EXPECT_EQ(Arguments(de->second), Arguments(en->second)) << de->second;
        }
    }
}

} // namespace
