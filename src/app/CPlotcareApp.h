#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include <QByteArray>
#include <QFont>
#include <QString>

class QWidget;
class CBidiLibrary;
class CCustomPaperTable;
class CDriverSettingsLibrary;
class CInkChipImages;
class CMediaTable;

// The application object: what every page shares. It holds the operating
// mode, the selected printer, the program folder, the localized texts, fonts
// and manual links read from the key files of the "Settings" folder beside
// the program, and the selected printer's driver settings.
//
// It is a plain object: main() owns the QApplication and one CPlotcareApp,
// and makes it the current one, through which pages reach it.
class CPlotcareApp {
public:
    // Operating modes, from the launch file's "Ope" value.
    static constexpr int kModeNormal = 0;
    static constexpr int kModeP = 1;       // "P": behaves as normal here
    static constexpr int kModeReview = 2;  // "U": skips checks, pages show all their messages

    // The model the build serves ("Corvan Max 7100", "QZ-7100"): it names the
    // per-model settings key. `programFolder` empty means the folder of the
    // running program, found when first asked.
    explicit CPlotcareApp(const QString& modelName = QString(), const QString& programFolder = QString());
    virtual ~CPlotcareApp();
    CPlotcareApp(const CPlotcareApp&) = delete;
    CPlotcareApp& operator=(const CPlotcareApp&) = delete;

    // The process-wide application object; null when none is set. A new
    // object becomes current when none is; a destroyed current one leaves
    // none.
    static CPlotcareApp* Current();
    static void SetCurrent(CPlotcareApp* app);

    const QString& ModelName() const { return m_modelName; }
    void SetModelName(const QString& name) { m_modelName = name; }

    // --- operating mode -------------------------------------------------
    int GetMode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    // The mode the launch file "Setting_Launch.ini" asks for: "Ope" = "P"
    // gives 1, "U" gives 2, anything else (or no file) 0.
    int ReadLaunchMode() const;

    // --- selected printer -----------------------------------------------
    const QString& GetPrinterName() const { return m_printerName; }
    const QString& GetDriverName() const { return m_driverName; }
    const QString& GetPortName() const { return m_portName; }
    void SetSelectedPrinter(const QString& printerName, const QString& driverName, const QString& portName);

    // The selected printer's driver settings block; null until one is set.
    const QByteArray* GetDriverSettings() const { return m_driverSettings ? &*m_driverSettings : nullptr; }
    void SetDriverSettings(std::optional<QByteArray> block) { m_driverSettings = std::move(block); }
    // Replaces the copy with the selected printer's current settings (the
    // spooler's document properties); none when the printer cannot be
    // opened.
    void RefreshDriverSettings();

    // --- shared objects ---------------------------------------------------
    // Created at start-up and kept until exit (CSharedObjects); null outside
    // a run of the program.
    // The mirror of the printer's custom paper slots every custom paper page
    // works on.
    CCustomPaperTable* GetCustomPaperTable() const;
    CBidiLibrary* GetBidiLibrary() const;
    CDriverSettingsLibrary* GetDriverSettingsLibrary() const;
    CInkChipImages* GetInkChipImages() const;
    CMediaTable* GetMediaTable() const;

    // --- configuration files --------------------------------------------
    // The program's folder, without a trailing "/".
    QString GetProgramFolder() const;
    // The program folder and "/Settings"; empty when the program folder is.
    QString GetSettingsFolder() const;
    // Full path of a file in the settings folder; empty with no folder.
    std::string SettingsFilePath(const std::string& fileName) const;
    // The plain-lookup value of `key` in a settings file; empty when the
    // folder is empty, the file cannot be opened or the key is absent.
    std::string ReadSetting(const std::string& fileName, const std::string& key) const;
    // True when the seven required key files exist in the settings folder
    // (the launch file is optional).
    bool CheckRequiredFiles() const;
    // True when "Printer.ini" lists the driver among PRINTER1..PRINTER<n>,
    // n = PRINTER_NUM.
    bool IsListedPrinter(const QString& driverName) const;

    // --- language -------------------------------------------------------
    // The folder of the chosen language inside the settings folder ("de"),
    // empty for English; chosen when first asked (CLanguageChoice) and kept.
    QString GetLanguage() const;
    // Chooses the language instead: a folder name, or empty for English.
    // Texts already read are read again.
    void SetLanguage(const QString& language);
    // True when the settings folder holds a language of that folder name.
    bool IsLanguageInstalled(const QString& language) const;

    // --- localized texts, fonts, manuals ----------------------------------
    // Texts, fonts and manual links are read from the chosen language's
    // files first; what they lack comes from the English ones.
    // The text of an id: "L_Refer.ini" may redirect its key, then
    // "Localize.ini", else "L_Const.ini"; "\n" written as two characters
    // becomes a line break. Empty when nothing is found. Each id is read
    // once and kept: the key files do not change while the program runs.
    QString GetText(int textId) const;
    // The text of an id in English, the language the Settings folder itself
    // holds, whatever language is chosen: for output that programs read.
    QString GetBaseText(int textId) const;
    // The text of an id, or `fallback` when the key files have none (a
    // message about the key files themselves must show without them).
    QString GetTextOr(int textId, const char* fallback) const;

    // The font of an id from "L_Font.ini", made from the base font; the base
    // font itself when the id has no valid entry (so -1 gives the base font).
    // The same description always gives the same object, valid for the
    // application object's lifetime.
    const QFont& GetFont(int fontId);
    // Applies the id's "L_Font.ini" entry (size in points, bold, italic,
    // underline) to `font`; false, leaving `font` alone, when the entry is
    // missing, malformed or its size is not above 0.
    bool FontFromIni(QFont& font, int fontId) const;
    // Makes the dialogs' font, adjusted by font id 999999, the base font.
    void CreateBaseFont(const QFont& dialogFont);
    const QFont& BaseFont();
    // Vertical logical dpi used for font sizes; 0 (the default) means the
    // primary screen's, or 96 without a screen.
    void SetFontDpi(int dpi) { m_fontDpi = dpi; }
    int FontDpi() const;

    // The manual document of a page and topic ("Manual.ini"), under the
    // program folder; empty when there is none.
    QString GetManualPath(int page, int topic) const;
    // Opens the manual document with the desktop's viewer; nothing when there
    // is none. `owner` is the window that asks.
    void OpenManual(QWidget* owner, int page, int topic) const;

private:
    QString LookUpText(int textId, bool base) const;
    // The value of a key in the chosen language's copy of a settings file,
    // else in the settings folder's own.
    std::string ReadLocalized(const std::string& fileName, const std::string& key) const;

    QString m_modelName;
    int m_mode = kModeNormal;
    QString m_printerName;
    QString m_driverName;
    QString m_portName;
    mutable QString m_programFolder;
    mutable bool m_programFolderKnown = false;
    // Fonts by "%x%d%d%d" of (height, weight, italic, underline); the map
    // owns them until the application object goes.
    std::map<std::string, QFont> m_fontCache;
    std::optional<QByteArray> m_driverSettings;
    std::unique_ptr<QFont> m_baseFont;
    int m_fontDpi = 0;
    // The key files do not change while the program runs. plotcare-cli asks
    // several printers at once on threads of their own, hence the lock.
    mutable std::mutex m_textLock;
    mutable std::mutex m_languageLock;  // taken after m_textLock, never before
    mutable QString m_language;
    mutable bool m_languageKnown = false;
    mutable std::unordered_map<int, QString> m_textCache;
    mutable std::unordered_map<int, QString> m_baseTextCache;
};
