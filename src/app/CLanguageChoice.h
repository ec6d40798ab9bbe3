#pragma once

#include <functional>
#include <string>

#include <QString>

class QCoreApplication;

// Which language plotcare speaks. English lives in the Settings folder
// itself; every other language is a folder inside it named after the
// language ("de", "pt_BR") that holds the files that differ from English.
// A language is chosen by the first of these that names one:
//   1. the environment variable PLOTCARE_LANG,
//   2. the launch file's "Language" value,
//   3. the locale: LANGUAGE (a list, as gettext reads it), then the first
//      set of LC_ALL, LC_MESSAGES and LANG.
// A source that names a language decides, even when that language is not
// installed: plotcare then speaks English rather than a language the user
// did not ask for. "de_DE.UTF-8@euro" is looked for as "de_DE", then "de".
class CLanguageChoice {
public:
    struct Sources {
        std::string plotcareLang;
        std::string launchValue;
        std::string language;  // LANGUAGE
        std::string lcAll;
        std::string lcMessages;
        std::string lang;
    };

    // The process environment's sources, with the launch file's value.
    static Sources FromEnvironment(const std::string& launchValue);

    // The folder name of the chosen language, empty for English.
    // `installed` tells whether a folder of that name holds a language.
    static QString Choose(const Sources& sources, const std::function<bool(const QString&)>& installed);

    // A name that can only name a folder inside the Settings folder: letters,
    // digits, "_" and "-", at most 32 characters.
    static bool IsFolderName(const QString& name);

    // Loads Qt's own translations of the language (the standard buttons of
    // message boxes, the file dialogs) when the system has them.
    static void InstallQtTranslations(QCoreApplication& app, const QString& language);
};
