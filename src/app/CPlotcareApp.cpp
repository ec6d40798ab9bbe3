#include "app/CPlotcareApp.h"

#include "app/CLanguageChoice.h"
#include "app/CSharedObjects.h"
#include "base/CKeyFileReader.h"
#include "base/TextScan.h"
#include "platform/DocumentProperties.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QUrl>

#include <cstdint>
#include <cstdio>
#include <set>

namespace {

CPlotcareApp* g_current = nullptr;

constexpr const char* kRequiredFiles[] = {"Printer.ini", "L_Refer.ini", "Localize.ini", "L_Const.ini",
                                          "L_Font.ini", "Manual.ini", "Media.ini"};

QString FolderOfRunningProgram() {
    QString path;
    if (QCoreApplication::instance()) {
        path = QCoreApplication::applicationFilePath();
    } else {
        path = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    }
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : path.left(cut);
}

// The indices i for which a line could answer the key prefix + i: lines
// that begin with the prefix, a number written as "%d" writes it, and "="
// or ":". Read with the reader's own line splitting.
std::set<std::int64_t> CandidateIndices(const std::string& path, const std::string& prefix) {
    std::set<std::int64_t> found;
    CKeyFileReader reader;
    if (!reader.Open(path)) return found;
    std::string line;
    while (reader.ReadLine(line) == 0) {
        if (line.compare(0, prefix.size(), prefix) != 0) continue;
        std::size_t p = prefix.size();
        const std::size_t digits = p;
        std::int64_t value = 0;
        while (p < line.size() && line[p] >= '0' && line[p] <= '9' && p - digits < 10)
            value = value * 10 + (line[p++] - '0');
        if (p == digits || p >= line.size() || (line[p] != '=' && line[p] != ':')) continue;
        if (line[digits] == '0') continue;  // "%d" writes no leading zero
        found.insert(value);
    }
    return found;
}

}  // namespace

CPlotcareApp::CPlotcareApp(const QString& modelName, const QString& programFolder)
    : m_modelName(modelName) {
    if (!programFolder.isEmpty()) {
        m_programFolder = programFolder;
        while (m_programFolder.size() > 1 && m_programFolder.endsWith(QLatin1Char('/')))
            m_programFolder.chop(1);
        m_programFolderKnown = true;
    }
    if (!g_current) g_current = this;
}

CPlotcareApp::~CPlotcareApp() {
    if (g_current == this) g_current = nullptr;
}

CPlotcareApp* CPlotcareApp::Current() { return g_current; }
void CPlotcareApp::SetCurrent(CPlotcareApp* app) { g_current = app; }

int CPlotcareApp::ReadLaunchMode() const {
    const std::string ope = ReadSetting("Setting_Launch.ini", "Ope");
    if (ope == "P") return kModeP;
    if (ope == "U") return kModeReview;
    return kModeNormal;
}

void CPlotcareApp::SetSelectedPrinter(const QString& printerName, const QString& driverName,
                                      const QString& portName) {
    m_printerName = printerName;
    m_driverName = driverName;
    m_portName = portName;
}

void CPlotcareApp::RefreshDriverSettings() {
    m_driverSettings.reset();
    m_driverSettings = DocumentProperties::CurrentSettings(m_printerName.toStdString());
}

CCustomPaperTable* CPlotcareApp::GetCustomPaperTable() const {
    CSharedObjects* shared = CSharedObjects::Current();
    return shared ? shared->customPaperTable.get() : nullptr;
}

CBidiLibrary* CPlotcareApp::GetBidiLibrary() const {
    CSharedObjects* shared = CSharedObjects::Current();
    return shared ? shared->bidiLibrary.get() : nullptr;
}

CDriverSettingsLibrary* CPlotcareApp::GetDriverSettingsLibrary() const {
    CSharedObjects* shared = CSharedObjects::Current();
    return shared ? shared->driverSettingsLibrary.get() : nullptr;
}

CInkChipImages* CPlotcareApp::GetInkChipImages() const {
    CSharedObjects* shared = CSharedObjects::Current();
    return shared ? shared->inkChips.get() : nullptr;
}

CMediaTable* CPlotcareApp::GetMediaTable() const {
    CSharedObjects* shared = CSharedObjects::Current();
    return shared ? shared->mediaTable.get() : nullptr;
}

QString CPlotcareApp::GetProgramFolder() const {
    if (!m_programFolderKnown) {
        m_programFolder = FolderOfRunningProgram();
        m_programFolderKnown = true;
    }
    return m_programFolder;
}

QString CPlotcareApp::GetSettingsFolder() const {
    const QString program = GetProgramFolder();
    // Never fall back to "/Settings" at the file system's root.
    return program.isEmpty() ? QString() : program + QStringLiteral("/Settings");
}

std::string CPlotcareApp::SettingsFilePath(const std::string& fileName) const {
    const QString folder = GetSettingsFolder();
    return folder.isEmpty() ? std::string() : folder.toStdString() + "/" + fileName;
}

std::string CPlotcareApp::ReadSetting(const std::string& fileName, const std::string& key) const {
    const std::string path = SettingsFilePath(fileName);
    return path.empty() ? std::string() : CKeyFileReader::Lookup(path, key);
}

bool CPlotcareApp::CheckRequiredFiles() const {
    if (GetSettingsFolder().isEmpty()) return false;
    for (const char* name : kRequiredFiles)
        if (!QFileInfo(QString::fromStdString(SettingsFilePath(name))).isFile()) return false;
    return true;
}

bool CPlotcareApp::IsListedPrinter(const QString& driverName) const {
    const std::string path = SettingsFilePath("Printer.ini");
    if (path.empty()) return false;
    const std::int32_t count = TextScan::Atoi(ReadSetting("Printer.ini", "PRINTER_NUM"));
    if (count < 1) return false;
    const std::string wanted = driverName.toStdString();
    // Only keys that some line can answer are looked up, so a huge count
    // costs nothing; each of those is read with the plain lookup.
    for (const std::int64_t i : CandidateIndices(path, "PRINTER")) {
        if (i < 1) continue;
        if (i > count) break;
        if (CKeyFileReader::Lookup(path, "PRINTER" + std::to_string(i)) == wanted) return true;
    }
    return false;
}


QString CPlotcareApp::LookUpText(int textId, bool base) const {
    std::string key = TextScan::IdKey(textId);
    const std::string refer = ReadSetting("L_Refer.ini", key);
    if (!refer.empty()) key = refer;
    std::string text = base ? ReadSetting("Localize.ini", key) : ReadLocalized("Localize.ini", key);
    if (text.empty()) text = ReadSetting("L_Const.ini", key);
    return QString::fromStdString(TextScan::WithLineBreaks(text));
}

std::string CPlotcareApp::ReadLocalized(const std::string& fileName, const std::string& key) const {
    const QString language = GetLanguage();
    if (!language.isEmpty()) {
        std::string value = ReadSetting(language.toStdString() + "/" + fileName, key);
        if (!value.empty()) return value;
    }
    return ReadSetting(fileName, key);
}

QString CPlotcareApp::GetLanguage() const {
    const std::lock_guard<std::mutex> lock(m_languageLock);
    if (!m_languageKnown) {
        const CLanguageChoice::Sources sources =
            CLanguageChoice::FromEnvironment(ReadSetting("Setting_Launch.ini", "Language"));
        m_language = CLanguageChoice::Choose(sources, [this](const QString& name) { return IsLanguageInstalled(name); });
        m_languageKnown = true;
    }
    return m_language;
}

void CPlotcareApp::SetLanguage(const QString& language) {
    const std::lock_guard<std::mutex> lock(m_textLock);
    const std::lock_guard<std::mutex> languageLock(m_languageLock);
    m_language = CLanguageChoice::IsFolderName(language) ? language : QString();
    m_languageKnown = true;
    m_textCache.clear();
}

bool CPlotcareApp::IsLanguageInstalled(const QString& language) const {
    if (!CLanguageChoice::IsFolderName(language)) return false;
    const std::string path = SettingsFilePath(language.toStdString() + "/Localize.ini");
    return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile();
}

QString CPlotcareApp::GetText(int textId) const {
    const std::lock_guard<std::mutex> lock(m_textLock);
    if (const auto it = m_textCache.find(textId); it != m_textCache.end()) return it->second;
    return m_textCache.emplace(textId, LookUpText(textId, false)).first->second;
}

QString CPlotcareApp::GetTextOr(int textId, const char* fallback) const {
    const QString text = GetText(textId);
    return text.isEmpty() ? QString::fromUtf8(fallback) : text;
}

QString CPlotcareApp::GetBaseText(int textId) const {
    const std::lock_guard<std::mutex> lock(m_textLock);
    if (const auto it = m_baseTextCache.find(textId); it != m_baseTextCache.end()) return it->second;
    return m_baseTextCache.emplace(textId, LookUpText(textId, true)).first->second;
}

int CPlotcareApp::FontDpi() const {
    if (m_fontDpi > 0) return m_fontDpi;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const int dpi = qRound(screen->logicalDotsPerInchY());
            if (dpi > 0) return dpi;
        }
    }
    return 96;
}

bool CPlotcareApp::FontFromIni(QFont& font, int fontId) const {
    std::string value = ReadLocalized("L_Font.ini", TextScan::IdKey(fontId));
    std::erase(value, ' ');
    if (value.empty()) return false;
    std::int32_t fields[4] = {0, 0, 0, 0};
    TextScan::CommaIntegers(value, fields, 4);
    const std::int64_t size = fields[0];
    if (size <= 0) return false;
    const std::int64_t dpi = FontDpi();
    // The pixel height the size has at 96 dpi, whatever the screen's
    // setting: MulDiv(size, dpi, 72) rounds, the rest rounds up.
    const std::int64_t atDpi = (size * dpi + 36) / 72;
    const std::int64_t pixels = (atDpi * 96 + dpi - 1) / dpi;
    // Beyond any screen; such an entry is as good as a broken one.
    if (pixels < 1 || pixels > 0xFFFF) return false;
    font.setPixelSize(static_cast<int>(pixels));
    font.setWeight(fields[1] == 1 ? QFont::Bold : QFont::Normal);
    font.setItalic(fields[2] == 1);
    font.setUnderline(fields[3] == 1);
    return true;
}

const QFont& CPlotcareApp::BaseFont() {
    if (!m_baseFont) m_baseFont = std::make_unique<QFont>();
    return *m_baseFont;
}

void CPlotcareApp::CreateBaseFont(const QFont& dialogFont) {
    QFont font = dialogFont;
    FontFromIni(font, 999999);
    m_baseFont = std::make_unique<QFont>(font);
}

const QFont& CPlotcareApp::GetFont(int fontId) {
    QFont font = BaseFont();
    if (!FontFromIni(font, fontId)) return BaseFont();
    char key[64];
    std::snprintf(key, sizeof key, "%x%d%d%d", static_cast<unsigned>(-font.pixelSize()),
                  static_cast<int>(font.weight()), font.italic() ? 1 : 0, font.underline() ? 1 : 0);
    return m_fontCache.try_emplace(key, font).first->second;
}

QString CPlotcareApp::GetManualPath(int page, int topic) const {
    char key[48];
    std::snprintf(key, sizeof key, "MANUAL_%02d%02d", page, topic);
    const std::string file = ReadLocalized("Manual.ini", key);
    if (file.empty()) return {};
    // Entries written with "\" separators still name the same file.
    QString relative = QString::fromStdString(file);
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return GetProgramFolder() + QLatin1Char('/') + relative;
}

void CPlotcareApp::OpenManual(QWidget* /*owner*/, int page, int topic) const {
    const QString path = GetManualPath(page, topic);
    if (!path.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
