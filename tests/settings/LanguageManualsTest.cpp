// The manual in every language, as kept in the sources: a language folder's
// Manual.ini names only keys the program asks for (those of the English one)
// and its own pages, and every page of every language declares its language
// and links only to files and anchors beside it.

#include "TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path SettingsSource() {
    return fs::path(SourcePath("settings"));
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// MANUAL_ key -> value, comments and blank lines skipped.
std::map<std::string, std::string> ManualEntries(const fs::path& file) {
    std::map<std::string, std::string> entries;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        const auto eq = line.find('=');
        entries[line.substr(0, eq)] = eq == std::string::npos ? "" : line.substr(eq + 1);
    }
    return entries;
}

// A language: its code and its folder ("en" is the Settings folder itself).
struct Language {
    std::string code;
    fs::path folder;
};

// Each folder beside the English texts that holds a Manual.ini or manual pages.
std::vector<Language> FurtherLanguages() {
    std::vector<Language> languages;
    for (const auto& entry : fs::directory_iterator(SettingsSource())) {
        const fs::path& dir = entry.path();
        if (!entry.is_directory() || dir.filename() == "manual") continue;
        if (fs::exists(dir / "Manual.ini") || fs::is_directory(dir / "manual")) {
            languages.push_back({dir.filename().string(), dir});
        }
    }
    return languages;
}

std::vector<Language> AllLanguages() {
    std::vector<Language> languages{{"en", SettingsSource()}};
    for (Language& language : FurtherLanguages())
        languages.push_back(std::move(language));
    return languages;
}

// The values of every href="..." and src="..." attribute.
std::vector<std::string> Links(const std::string& html) {
    std::vector<std::string> links;
    for (const std::string mark : {" href=\"", " src=\""}) {
        for (auto at = html.find(mark); at != std::string::npos; at = html.find(mark, at + 1)) {
            const auto begin = at + mark.size();
            const auto end = html.find('"', begin);
            if (end == std::string::npos) break;
            links.push_back(html.substr(begin, end - begin));
        }
    }
    return links;
}

TEST(LanguageManuals, EntriesAreKnownKeysNamingTheLanguagesOwnPages) {
    const auto english = ManualEntries(SettingsSource() / "Manual.ini");
    ASSERT_GE(english.size(), 16u);
    int languages = 0;
    for (const Language& language : FurtherLanguages()) {
        const fs::path ini = language.folder / "Manual.ini";
        if (!fs::exists(ini)) continue;
        ++languages;
        const std::string own = "Settings/" + language.code + "/";
        const auto entries = ManualEntries(ini);
        EXPECT_FALSE(entries.empty()) << ini;
        for (const auto& [key, value] : entries) {
            const std::string where = language.code + "/Manual.ini " + key + "=" + value;
            // A key the English file lacks is never asked for: a typo.
            EXPECT_TRUE(english.contains(key)) << where;
            // Another folder's page is the English fallback, or a leftover.
            EXPECT_TRUE(value.starts_with(own)) << where;
            EXPECT_TRUE(fs::is_regular_file(SettingsSource() /
                                            value.substr(std::string("Settings/").size())))
                << where;
        }
    }
    EXPECT_GE(languages, 1) << "no language folder with a Manual.ini";
}

TEST(LanguageManuals, PagesDeclareTheirLanguageAndLinkOnlyBesideThemselves) {
    int pages = 0;
    for (const Language& language : AllLanguages()) {
        const fs::path manual = language.folder / "manual";
        if (!fs::is_directory(manual)) continue;
        for (const auto& entry : fs::directory_iterator(manual)) {
            if (entry.path().extension() != ".html") continue;
            ++pages;
            const std::string page = language.code + "/" + entry.path().filename().string();
            const std::string html = ReadAll(entry.path());
            EXPECT_NE(html.find("<html lang=\"" + language.code + "\""), std::string::npos) << page;
            EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos) << page;
            for (const std::string& link : Links(html)) {
                if (link.find(':') != std::string::npos) continue; // an address with a scheme
                const auto hash = link.find('#');
                const std::string file = link.substr(0, hash);
                // A link into another folder would leave the reader's language.
                EXPECT_EQ(file.find('/'), std::string::npos) << page << " links to " << link;
                const fs::path target = file.empty() ? entry.path() : manual / file;
                if (!fs::is_regular_file(target)) {
                    ADD_FAILURE() << page << " links to a missing file: " << link;
                    continue;
                }
                if (hash != std::string::npos) {
                    const std::string id = "id=\"" + link.substr(hash + 1) + "\"";
                    EXPECT_NE(ReadAll(target).find(id), std::string::npos)
                        << page << " links to " << link;
                }
            }
        }
    }
    EXPECT_GE(pages, 32); // 16 in English and in German
}

} // namespace
