#include "app/CPlotcareApp.h"
#include "EnsureQtApp.h"
#include "ScopedEnv.h"
#include "SpecialFiles.h"
#include "TestFiles.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// A program folder with a Settings folder of key files.
class PlotcareApp : public ::testing::Test {
protected:
    void SetUp() override { EnsureQtApp(); }
    void Settings(const std::string& name, const std::string& text) { dir.write("Settings/" + name, text); }
    TempDir dir;
    CPlotcareApp app{"Corvan Max 7100", QString::fromStdString(dir.path().string())};
};

TEST_F(PlotcareApp, FoldersAndCurrentInstance) {
    EXPECT_EQ(CPlotcareApp::Current(), &app);
    EXPECT_EQ(app.GetProgramFolder().toStdString(), dir.path().string());
    EXPECT_EQ(app.GetSettingsFolder().toStdString(), dir.file("Settings"));
    {
        // By default the program folder is the running program's.
        CPlotcareApp other;
        EXPECT_EQ(CPlotcareApp::Current(), &app);
        EXPECT_EQ(other.GetProgramFolder(), QFileInfo("/proc/self/exe").symLinkTarget().section('/', 0, -2));
        CPlotcareApp::SetCurrent(&other);
    }
    EXPECT_EQ(CPlotcareApp::Current(), nullptr);
    CPlotcareApp::SetCurrent(&app);
    CPlotcareApp trailing("", QString::fromStdString(dir.path().string() + "/"));
    EXPECT_EQ(trailing.GetSettingsFolder().toStdString(), dir.file("Settings"));
}

TEST_F(PlotcareApp, LaunchFileSetsTheMode) {
    struct Case { const char* file; int mode; };
    const Case cases[] = {
        {nullptr, 0},
        {"Ope=P\n", 1},
        {"Ope=U\n", 2},
        {"Ope=u\n", 0},
        {"Ope=U \n", 0},
        {"[Launch]\nOpe=U\r\n", 2},
        {"Ope:Mode\nMode=P\n", 1},
        {"Opera=U\nOpe=P\n", 1},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir.file("Settings/Setting_Launch.ini"));
        if (c.file) Settings("Setting_Launch.ini", c.file);
        EXPECT_EQ(app.ReadLaunchMode(), c.mode) << (c.file ? c.file : "(no file)");
    }
}

// A FIFO in the launch file's place must not hang start-up: the mode is the
// normal one, at once.
TEST_F(PlotcareApp, LaunchFileThatIsAFifoIsNoLaunchFile) {
    std::filesystem::create_directories(dir.file("Settings"));
    LateWriterFifo fifo(dir.file("Settings/Setting_Launch.ini"));
    ASSERT_TRUE(fifo.Made());
    EXPECT_LT(ElapsedMs([&] { EXPECT_EQ(app.ReadLaunchMode(), CPlotcareApp::kModeNormal); }), 1000);
}

TEST_F(PlotcareApp, RequiredFilesAreAllSevenButNotTheLaunchFile) {
    const char* required[] = {"Printer.ini", "L_Refer.ini", "Localize.ini", "L_Const.ini",
                              "L_Font.ini", "Manual.ini", "Media.ini"};
    for (const char* name : required) Settings(name, "");
    EXPECT_TRUE(app.CheckRequiredFiles());
    for (const char* name : required) {
        std::filesystem::rename(dir.file(std::string("Settings/") + name), dir.file("aside"));
        EXPECT_FALSE(app.CheckRequiredFiles()) << name;
        std::filesystem::rename(dir.file("aside"), dir.file(std::string("Settings/") + name));
    }
    // A folder of that name is no file.
    std::filesystem::remove(dir.file("Settings/Media.ini"));
    std::filesystem::create_directory(dir.file("Settings/Media.ini"));
    EXPECT_FALSE(app.CheckRequiredFiles());
}

TEST_F(PlotcareApp, ListedPrinters) {
    Settings("Printer.ini",
             "PRINTER_NUM=3\n"
             "PRINTER10=ORVEX Ten\n"      // a longer key first does not hide PRINTER1
             "PRINTER1=ORVEX Corvan Max 7100\n"
             "PRINTER2:PRINTER9\n"
             "PRINTER9=ORVEX Redirected\n"
             "PRINTER3=ORVEX Caf\xC3\xA9\n"
             "PRINTER4=ORVEX Beyond Count\n");
    EXPECT_TRUE(app.IsListedPrinter("ORVEX Corvan Max 7100"));
    EXPECT_TRUE(app.IsListedPrinter("ORVEX Redirected"));
    EXPECT_TRUE(app.IsListedPrinter(QString::fromUtf8("ORVEX Caf\xC3\xA9")));
    EXPECT_FALSE(app.IsListedPrinter("ORVEX Ten"));
    EXPECT_FALSE(app.IsListedPrinter("ORVEX Beyond Count"));
    EXPECT_FALSE(app.IsListedPrinter("orvex corvan max 7100"));
    EXPECT_FALSE(app.IsListedPrinter(""));

    // A huge count answers at once, and still finds listed entries.
    Settings("Printer.ini", "PRINTER_NUM=2147483647\nPRINTER2000000000=ORVEX Far\nPRINTER07=ORVEX Zero\n");
    EXPECT_TRUE(app.IsListedPrinter("ORVEX Far"));
    EXPECT_FALSE(app.IsListedPrinter("ORVEX Zero"));  // "PRINTER7" is not "PRINTER07"
    Settings("Printer.ini", "PRINTER1=ORVEX Corvan Max 7100\n");
    EXPECT_FALSE(app.IsListedPrinter("ORVEX Corvan Max 7100"));  // no count
}

TEST_F(PlotcareApp, TextsFollowReferralsAndFallBack) {
    Settings("L_Refer.ini", "00000901=00000905\n00000003=\n");
    Settings("Localize.ini",
             "00000000=plotcare\n"
             "00000901=Not ready\n"
             "00000905=Driver not registered\n"
             "00070902=Two\\nlines\\\\n\n"
             "00000004=\n");
    Settings("L_Const.ini", "00000003=Constant\n00000004=Fallback\n00000000=Other\n");
    EXPECT_EQ(app.GetText(0), "plotcare");
    EXPECT_EQ(app.GetText(901), "Driver not registered");
    EXPECT_EQ(app.GetText(905), "Driver not registered");
    EXPECT_EQ(app.GetText(70902), "Two\nlines\\\n");
    EXPECT_EQ(app.GetText(3), "Constant");  // empty referral is no referral
    EXPECT_EQ(app.GetText(4), "Fallback");
    EXPECT_EQ(app.GetText(77), "");
    EXPECT_EQ(app.GetText(-1), "");
}

TEST_F(PlotcareApp, TextsAreUtf8) {
    Settings("Localize.ini", "00000010=R\xC3\xA9glage \xE7\x94\xA8\xE7\xB4\x99\n");
    EXPECT_EQ(app.GetText(10), QString::fromUtf8("R\xC3\xA9glage \xE7\x94\xA8\xE7\xB4\x99"));
}

TEST_F(PlotcareApp, FontsKeepTheirPixelHeightAtAnyDpi) {
    Settings("L_Font.ini",
             "00000001= 12 , 1 , 0 , 1\n"
             "00000002=12,1,0,1\n"
             "00000003=9,0,1,0\n"
             "00000004=0,1,1,1\n"
             "00000005=\n"
             "00000006=abc\n"
             "00000007=10\n"
             "00000008=2147483647,1,0,0\n");
    QFont dialog("DejaVu Sans");
    dialog.setPixelSize(11);
    app.CreateBaseFont(dialog);

    for (const int dpi : {96, 120, 144, 72}) {
        app.SetFontDpi(dpi);
        QFont f = app.BaseFont();
        ASSERT_TRUE(app.FontFromIni(f, 1)) << dpi;
        EXPECT_EQ(f.pixelSize(), 16) << dpi;
        EXPECT_EQ(f.weight(), QFont::Bold);
        EXPECT_FALSE(f.italic());
        EXPECT_TRUE(f.underline());
        EXPECT_EQ(f.family(), "DejaVu Sans");
    }
    app.SetFontDpi(96);
    EXPECT_EQ(app.GetFont(3).pixelSize(), 12);
    EXPECT_TRUE(app.GetFont(3).italic());
    EXPECT_EQ(app.GetFont(3).weight(), QFont::Normal);
    EXPECT_EQ(app.GetFont(7).pixelSize(), 13);  // missing fields are 0
    EXPECT_FALSE(app.GetFont(7).bold());
    // At 120 dpi a 9 point font is 15 pixels, which is 12 at 96 dpi.
    app.SetFontDpi(120);
    EXPECT_EQ(app.GetFont(3).pixelSize(), 12);

    // The same description is the same object.
    EXPECT_EQ(&app.GetFont(1), &app.GetFont(2));
    EXPECT_NE(&app.GetFont(1), &app.GetFont(3));
    // Anything unusable gives the base font itself.
    for (const int id : {4, 5, 6, 8, 99, -1})
        EXPECT_EQ(&app.GetFont(id), &app.BaseFont()) << id;
    EXPECT_EQ(app.BaseFont().pixelSize(), 11);
}

TEST_F(PlotcareApp, BaseFontTakesEntry999999) {
    Settings("L_Font.ini", "00999999=10,0,0,0\n");
    app.SetFontDpi(96);
    QFont dialog("DejaVu Sans");
    dialog.setBold(true);
    app.CreateBaseFont(dialog);
    EXPECT_EQ(app.BaseFont().pixelSize(), 13);
    EXPECT_EQ(app.BaseFont().weight(), QFont::Normal);
    EXPECT_EQ(app.BaseFont().family(), "DejaVu Sans");
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

TEST_F(PlotcareApp, ManualsOpenFromTheProgramFolder) {
    Settings("Manual.ini", "MANUAL_0000=Manual/index.html\nMANUAL_0302=Manual\\custom paper.html\nMANUAL_1010=\n");
    const QString folder = QString::fromStdString(dir.path().string());
    EXPECT_EQ(app.GetManualPath(0, 0), folder + "/Manual/index.html");
    EXPECT_EQ(app.GetManualPath(3, 2), folder + "/Manual/custom paper.html");
    EXPECT_EQ(app.GetManualPath(10, 10), "");
    EXPECT_EQ(app.GetManualPath(1, 0), "");

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    app.OpenManual(nullptr, 3, 2);
    app.OpenManual(nullptr, 1, 0);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(folder + "/Manual/custom paper.html"));
}

// A German folder holds what differs from English; everything it lacks,
// texts, fonts and manual pages, comes from the English files.
TEST_F(PlotcareApp, LanguageFolderComesFirstAndEnglishFillsItsGaps) {
    Settings("Localize.ini", "00000000=plotcare\n00000901=Not ready\n00000902=Out of memory\n");
    Settings("L_Const.ini", "00000904=No printer\n");
    Settings("L_Font.ini", "00000901=12,1,0,0\n00000902=10,0,0,0\n");
    Settings("Manual.ini", "MANUAL_0000=Settings/manual/a.html\nMANUAL_0100=Settings/manual/b.html\n");
    Settings("de/Localize.ini", "00000901=Nicht bereit\\nZweite Zeile\n00000902=\n");
    Settings("de/L_Font.ini", "00000901=9,1,0,0\n");
    Settings("de/Manual.ini", "MANUAL_0000=Settings/de/manual/a.html\n");
    app.SetFontDpi(96);
    const QString folder = QString::fromStdString(dir.path().string());

    ScopedEnv env;
    env.Set("PLOTCARE_LANG", "de_DE.UTF-8");
    EXPECT_EQ(app.GetLanguage(), "de");
    EXPECT_EQ(app.GetText(901), "Nicht bereit\nZweite Zeile");
    EXPECT_EQ(app.GetText(902), "Out of memory");  // empty in German: English
    EXPECT_EQ(app.GetText(0), "plotcare");
    EXPECT_EQ(app.GetText(904), "No printer");
    EXPECT_EQ(app.GetBaseText(901), "Not ready");
    EXPECT_EQ(app.GetFont(901).pixelSize(), 12);
    EXPECT_EQ(app.GetFont(902).pixelSize(), 13);
    EXPECT_EQ(app.GetManualPath(0, 0), folder + "/Settings/de/manual/a.html");
    EXPECT_EQ(app.GetManualPath(1, 0), folder + "/Settings/manual/b.html");

    app.SetLanguage("");
    EXPECT_EQ(app.GetText(901), "Not ready");
    EXPECT_EQ(app.GetManualPath(0, 0), folder + "/Settings/manual/a.html");
}

// The language is chosen once, from the environment, else the launch file,
// else the locale; a folder without texts is no language.
TEST_F(PlotcareApp, LanguageComesFromEnvironmentLaunchFileOrLocale) {
    Settings("de/Localize.ini", "00000901=Nicht bereit\n");
    Settings("fr/L_Font.ini", "00000901=9,1,0,0\n");
    struct Case {
        const char* plotcareLang;
        const char* launch;
        const char* lang;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "de_DE.UTF-8", "de"},
        {nullptr, "Language=en\n", "de_DE.UTF-8", ""},
        {nullptr, "Ope=U\nLanguage=de\n", "C.UTF-8", "de"},
        {"en", "Language=de\n", "de_DE.UTF-8", ""},
        {nullptr, nullptr, "fr_FR.UTF-8", ""},
    };
    for (const Case& c : cases) {
        ScopedEnv env;
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) env.Unset(name);
        if (c.plotcareLang) env.Set("PLOTCARE_LANG", c.plotcareLang); else env.Unset("PLOTCARE_LANG");
        env.Set("LANG", c.lang);
        Settings("Setting_Launch.ini", c.launch ? c.launch : "");
        CPlotcareApp fresh{"Corvan Max 7100", QString::fromStdString(dir.path().string())};
        EXPECT_EQ(fresh.GetLanguage(), c.expected) << (c.launch ? c.launch : "") << c.lang;
    }
}

TEST_F(PlotcareApp, SelectedPrinterAndDriverSettings) {
    EXPECT_EQ(app.GetDriverSettings(), nullptr);
    app.SetSelectedPrinter("Plotter", "ORVEX Corvan Max 7100", "socket://127.0.0.1:9100");
    app.SetDriverSettings(QByteArray("media=plain"));
    EXPECT_EQ(app.GetPrinterName(), "Plotter");
    EXPECT_EQ(app.GetDriverName(), "ORVEX Corvan Max 7100");
    EXPECT_EQ(app.GetPortName(), "socket://127.0.0.1:9100");
    ASSERT_NE(app.GetDriverSettings(), nullptr);
    EXPECT_EQ(*app.GetDriverSettings(), "media=plain");
    app.SetDriverSettings(std::nullopt);
    EXPECT_EQ(app.GetDriverSettings(), nullptr);
}

}  // namespace

#include "PlotcareAppTest.moc"
