#include "app/CLanguageChoice.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <cstdlib>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The locale names "C" and "POSIX" ask for no translation at all.
bool IsPlainLocale(const QString& value) {
    const QString name = value.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    return name == QLatin1String("C") || name == QLatin1String("POSIX");
}

// The folder names a locale value may be found under, most specific first.
QStringList Candidates(const QString& value) {
    QString name = value.trimmed();
    name = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    QStringList out;
    if (name.isEmpty()) return out;
    out << name;
    const qsizetype cut = name.indexOf(QLatin1Char('_'));
    if (cut > 0) out << name.left(cut);
    return out;
}

// The installed language a value names: empty when it names English or a
// language that is not installed.
QString Installed(const QString& value, const std::function<bool(const QString&)>& installed) {
    for (const QString& name : Candidates(value))
        if (CLanguageChoice::IsFolderName(name) && installed(name)) return name;
    return {};
}

} // namespace

CLanguageChoice::Sources CLanguageChoice::FromEnvironment(const std::string& launchValue) {
    Sources s;
    s.plotcareLang = Env("PLOTCARE_LANG");
    s.launchValue = launchValue;
    s.language = Env("LANGUAGE");
    s.lcAll = Env("LC_ALL");
    s.lcMessages = Env("LC_MESSAGES");
    s.lang = Env("LANG");
    return s;
}

QString CLanguageChoice::Choose(const Sources& sources, const std::function<bool(const QString&)>& installed) {
    for (const std::string* explicitChoice : {&sources.plotcareLang, &sources.launchValue}) {
        const QString value = QString::fromStdString(*explicitChoice).trimmed();
        if (!value.isEmpty()) return Installed(value, installed);
    }
    // The locale as the C library resolves it for messages.
    QString locale;
    for (const std::string* v : {&sources.lcAll, &sources.lcMessages, &sources.lang}) {
        if (!v->empty()) {
            locale = QString::fromStdString(*v);
            break;
        }
    }
    if (locale.isEmpty() || IsPlainLocale(locale)) return {};
    // LANGUAGE lists languages in the order the user prefers them; the first
    // installed one wins, and English listed before it means English.
    for (const QString& entry : QString::fromStdString(sources.language).split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString found = Installed(entry, installed);
        if (!found.isEmpty()) return found;
        const QStringList names = Candidates(entry);
        if (!names.isEmpty() && names.last() == QLatin1String("en")) return {};
    }
    return Installed(locale, installed);
}

bool CLanguageChoice::IsFolderName(const QString& name) {
    if (name.isEmpty() || name.size() > 32) return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
                        u == u'_' || u == u'-';
        if (!ok) return false;
    }
    return true;
}

void CLanguageChoice::InstallQtTranslations(QCoreApplication& app, const QString& language) {
    if (language.isEmpty()) return;
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}
