#include "app/CLanguageChoice.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct ChoiceCase {
    const char* name;
    CLanguageChoice::Sources sources;
    const char* expected;
};

// Installed here: German, Brazilian Portuguese (not plain Portuguese).
QString Choose(const CLanguageChoice::Sources& s) {
    const std::set<QString> installed = {"de", "pt_BR"};
    return CLanguageChoice::Choose(s, [&](const QString& n) { return installed.count(n) != 0; });
}

class LanguageChoiceTable : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(LanguageChoiceTable, PicksTheFirstSourceThatNamesALanguage) {
    EXPECT_EQ(Choose(GetParam().sources), QString::fromLatin1(GetParam().expected));
}

// Sources: plotcareLang, launchValue, LANGUAGE, LC_ALL, LC_MESSAGES, LANG.
INSTANTIATE_TEST_SUITE_P(
    Sources, LanguageChoiceTable,
    ::testing::Values(
        ChoiceCase{"nothingSet", {}, ""},
        ChoiceCase{"langWithRegionAndCodeset", {"", "", "", "", "", "de_DE.UTF-8"}, "de"},
        ChoiceCase{"lcMessagesBeatsLang", {"", "", "", "", "de_AT.UTF-8", "en_GB.UTF-8"}, "de"},
        ChoiceCase{"lcAllBeatsLcMessages", {"", "", "", "en_US.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8"}, ""},
        ChoiceCase{"modifierIgnored", {"", "", "", "", "", "de_DE@euro"}, "de"},
        ChoiceCase{"regionFolderFirst", {"", "", "", "", "", "pt_BR.UTF-8"}, "pt_BR"},
        ChoiceCase{"regionFolderMissingAndNoLanguageFolder", {"", "", "", "", "", "pt_PT.UTF-8"}, ""},
        ChoiceCase{"notInstalled", {"", "", "", "", "", "fr_FR.UTF-8"}, ""},
        ChoiceCase{"plainCLocaleIgnoresLanguageList", {"", "", "de", "C", "", ""}, ""},
        ChoiceCase{"languageListFirstInstalledWins", {"", "", "fr:de:en", "", "", "fr_FR.UTF-8"}, "de"},
        ChoiceCase{"englishListedFirstMeansEnglish", {"", "", "en_GB:de", "", "", "de_DE.UTF-8"}, ""},
        ChoiceCase{"launchValueBeatsLocale", {"", "de", "", "", "", "en_US.UTF-8"}, "de"},
        ChoiceCase{"launchValueEnglishBeatsGermanLocale", {"", "en", "", "", "", "de_DE.UTF-8"}, ""},
        ChoiceCase{"environmentBeatsLaunchValue", {"en", "de", "", "", "", "de_DE.UTF-8"}, ""},
        ChoiceCase{"environmentGerman", {"de_CH", "", "", "", "", "C"}, "de"},
        // An explicit choice that is not installed gives English, not the
        // locale's language.
        ChoiceCase{"explicitButMissing", {"fr", "", "", "", "", "de_DE.UTF-8"}, ""},
        // Names that could leave the Settings folder never name a folder.
        ChoiceCase{"pathInEnvironment", {"../de", "", "", "", "", ""}, ""},
        ChoiceCase{"pathInLocale", {"", "", "", "", "", "de/../../x"}, ""}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

} // namespace
