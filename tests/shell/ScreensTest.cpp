#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Renders every window with plotcare-screens and checks each picture: it
// exists, has its window's size, and is not blank.
class Screens : public ::testing::TestWithParam<bool> {};

int DistinctColours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

TEST_P(Screens, EveryWindowRendersAtItsSize) {
    const bool qz = GetParam();
    TempDir out;
    QProcess tool;
    QStringList args{"--out", QString::fromStdString(out.path().string())};
    if (qz) args << "--qz";
    tool.start(QString::fromLocal8Bit(std::getenv("PLOTCARE_OUTPUT_DIR")) + "/plotcare-screens",
               args);
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    const auto load = [&](const char* name) {
        return QImage(QString::fromStdString(out.file(name)));
    };
    const QImage main = load("page0.png");
    ASSERT_FALSE(main.isNull());
    // The header (66) and the main menu page (393, or 332 in the QZ build)
    // below a menu bar.
    const int pageHeight = qz ? 332 : 393;
    EXPECT_EQ(main.width(), 600);
    const int menuBar = main.height() - 66 - pageHeight;
    EXPECT_GT(menuBar, 12);
    EXPECT_LT(menuBar, 40);
    EXPECT_GT(DistinctColours(main), 50);

    for (int k = 1; k <= 9; ++k) {
        SCOPED_TRACE(k);
        const QImage page = load(QStringLiteral("page%1.png").arg(k).toLatin1().constData());
        if (qz && k == 5) {
            EXPECT_TRUE(page.isNull()); // no custom file page in this build
            continue;
        }
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(page.width(), 600);
        EXPECT_GT(page.height(), 66 + menuBar);
        EXPECT_GT(DistinctColours(page), 20);
    }
    // The nozzle check page at its height, and once more with the busy
    // dialog of its readiness wait over the disabled window.
    const QImage nozzle = load("page2.png");
    EXPECT_EQ(nozzle.height(), menuBar + 66 + 262);
    const QImage busy = load("page2-busy.png");
    EXPECT_EQ(busy.size(), nozzle.size());
    EXPECT_NE(busy, nozzle);
    // The alignment pages (both builds) also as an operator fills them in,
    // and with the column chips of a four-ink printer.
    for (const char* page : {"page8", "page9"}) {
        SCOPED_TRACE(page);
        const QImage plain = load((std::string(page) + ".png").c_str());
        EXPECT_EQ(plain.height(), menuBar + 66 + 300);
        for (const char* state : {"-filled.png", "-4inks.png"}) {
            const QImage picture = load((std::string(page) + state).c_str());
            EXPECT_EQ(picture.size(), plain.size()) << state;
            EXPECT_NE(picture, plain) << state;
        }
    }
    // The custom paper call page at its height, also on a registered slot,
    // on an empty one and with its slot list open: each a different picture.
    const QImage call = load("page4.png");
    EXPECT_EQ(call.height(), menuBar + 66 + 278);
    std::vector<QImage> callStates{call};
    for (const char* name : {"page4-registered.png", "page4-empty.png", "page4-slots.png"}) {
        SCOPED_TRACE(name);
        const QImage picture = load(name);
        EXPECT_EQ(picture.size(), call.size());
        for (const QImage& other : callStates)
            EXPECT_NE(picture, other);
        callStates.push_back(picture);
    }
    // The registration page (both builds) and the custom file page (the
    // first model's only) with each tab, and the registration page's media
    // list open with greyed items: each a different picture of its page.
    std::vector<std::string> paperPictures{"page3-tab1.png", "page3-tab2.png",
                                           "page3-media-greyed.png"};
    if (!qz) paperPictures.insert(paperPictures.end(), {"page5-tab1.png", "page5-tab2.png"});
    if (qz) {
        for (const char* name : {"page5-tab1.png", "page5-tab2.png"})
            EXPECT_TRUE(load(name).isNull()) << name;
    }
    std::vector<QImage> paperStates;
    for (const std::string& name : paperPictures) {
        SCOPED_TRACE(name);
        const QImage picture = load(name.c_str());
        ASSERT_FALSE(picture.isNull());
        const QImage plain = load(name[4] == '3' ? "page3.png" : "page5.png");
        EXPECT_EQ(picture.size(), plain.size());
        for (const QImage& other : paperStates)
            EXPECT_NE(picture, other);
        paperStates.push_back(picture);
    }
    // The automatic adjustment page with its media list open and with the
    // busy dialog of an alignment up: the page's picture with more on it.
    const QImage adjustment = load("page1.png");
    for (const char* name : {"page1-media.png", "page1-busy.png"}) {
        SCOPED_TRACE(name);
        const QImage over = load(name);
        ASSERT_FALSE(over.isNull());
        EXPECT_EQ(over.size(), adjustment.size());
        int changed = 0;
        for (int y = 0; y < over.height(); y += 4)
            for (int x = 0; x < over.width(); x += 4)
                changed += over.pixel(x, y) != adjustment.pixel(x, y);
        EXPECT_GT(changed, 1000);
    }
    // The firmware update page at its height, and with an image older than
    // the printer's firmware: its status text in red left of the file version.
    const QImage firmware = load("page7.png");
    EXPECT_EQ(firmware.height(), menuBar + 66 + 278);
    const QImage older = load("page7-older.png");
    ASSERT_EQ(older.size(), firmware.size());
    int red = 0;
    for (int y = menuBar + 66 + 183; y < menuBar + 66 + 200; ++y)
        for (int x = 60; x < 170; ++x) {
            const QColor c = older.pixelColor(x, y);
            red += c.red() > 180 && c.green() < 90 && c.blue() < 90;
        }
    EXPECT_GT(red, 20);
    // The printer status page, and once more with the job text window over it.
    const QImage status = load("page6.png");
    EXPECT_EQ(status.height(), menuBar + 66 + 320);
    const QImage jobs = load("page6-jobs.png");
    ASSERT_FALSE(jobs.isNull());
    EXPECT_EQ(jobs.size(), status.size());
    int changed = 0;
    for (int y = 0; y < jobs.height(); y += 4)
        for (int x = 0; x < jobs.width(); x += 4)
            changed += jobs.pixel(x, y) != status.pixel(x, y);
    EXPECT_GT(changed, 4000);
    // The setting tabs in their tab control and the two save dialogs; the
    // custom file page's only in the build that has the page.
    for (const char* name : {"tabs-registration-1.png", "tabs-registration-2.png",
                             "tabs-file-1.png", "tabs-file-2.png"}) {
        SCOPED_TRACE(name);
        const QImage picture = load(name);
        if (qz && std::string(name).find("file") != std::string::npos) {
            EXPECT_TRUE(picture.isNull());
            continue;
        }
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), QSize(568, 194));
        EXPECT_GT(DistinctColours(picture), 20);
    }
    EXPECT_EQ(load("dialog-register.png").size(), QSize(400, 132));
    const QImage saveFile = load("dialog-savefile.png");
    if (qz)
        EXPECT_TRUE(saveFile.isNull());
    else
        EXPECT_EQ(saveFile.size(), QSize(420, 132));
    for (const char* name : {"splash.png", "about.png"}) {
        SCOPED_TRACE(name);
        const QImage picture = load(name);
        EXPECT_EQ(picture.size(), QSize(485, 250));
        EXPECT_GT(DistinctColours(picture), 50);
    }
    // The four detail dialogs of the sample prints at their sizes.
    const struct {
        const char* name;
        QSize size;
    } details[] = {{"detail-media.png", {396, 372}},
                   {"detail-feed.png", {396, 348}},
                   {"detail-density.png", {396, 288}},
                   {"detail-quality.png", {396, 345}}};
    for (const auto& d : details) {
        SCOPED_TRACE(d.name);
        const QImage picture = load(d.name);
        EXPECT_EQ(picture.size(), d.size);
        EXPECT_GT(DistinctColours(picture), 20);
    }
    // The top of a sample sheet on the widest roll (44 or 24 in at 100 dpi):
    // labels and image tiles, in colour.
    const QImage sheet = load("sample-sheet.png");
    EXPECT_EQ(sheet.width(), qz ? 2400 : 4400);
    EXPECT_GT(sheet.height(), 400);
    EXPECT_GT(DistinctColours(sheet), 200);
    const QImage text = load("textdisplay.png");
    EXPECT_FALSE(text.isNull());
    EXPECT_GE(text.width(), 300);
    EXPECT_GE(text.height(), 200);
}

// --check-fit fails on a text put into a control too small for it, and
// names it; the same tool passes the program's own texts (screens_fit_*).
TEST(ScreensFitCheck, FailsOnATextTooLongForItsControl) {
    const QString program = QString::fromLocal8Bit(std::getenv("PLOTCARE_OUTPUT_DIR"));
    TempDir folder;
    const QDir copy(QString::fromStdString(folder.path().string()));
    // The program's folder, with a Settings folder whose help button text
    // (id 100, on every page) and printer label (id 2) are far too long.
    for (const QString& name : QDir(program).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (name != "Settings") QFile::link(program + "/" + name, copy.filePath(name));
    }
    ASSERT_TRUE(copy.mkpath("Settings"));
    for (const QString& name :
         QDir(program + "/Settings").entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (name != "Localize.ini")
            QFile::link(program + "/Settings/" + name, copy.filePath("Settings/" + name));
    }
    QFile english(program + "/Settings/Localize.ini");
    ASSERT_TRUE(english.open(QIODevice::ReadOnly));
    QByteArray texts = english.readAll();
    texts.replace("\n00000100=Help", "\n00000100=Help on this page and on all others")
        .replace("\n00000002=Printer:", "\n00000002=The printer that you want to maintain:");
    QFile changed(copy.filePath("Settings/Localize.ini"));
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly));
    changed.write(texts);
    changed.close();

    TempDir out;
    QProcess tool;
    tool.start(program + "/plotcare-screens",
               {"--check-fit", "--program-folder", copy.path(), "--out",
                QString::fromStdString(out.path().string())});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_NE(tool.exitCode(), 0);
    const QString errors = QString::fromLocal8Bit(tool.readAllStandardError());
    EXPECT_TRUE(errors.contains(
        "page0.png: QPushButton id 1003 \"Help on this page and on all others\" needs"))
        << errors.toStdString();
    EXPECT_TRUE(errors.contains(
        "page0.png: QLabel id 1028 \"The printer that you want to maintain:\" needs"))
        << errors.toStdString();
    // Each text once, however many windows show it.
    EXPECT_EQ(errors.count("Help on this page"), 1);
}

INSTANTIATE_TEST_SUITE_P(Builds, Screens, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "QZ7100" : "CorvanMax7100"; });

} // namespace

namespace {

// --help and --version answer on the terminal, also without a display.
TEST(Programs, AnswerHelpAndVersionWithoutADisplay) {
    for (const char* program : {"plotcare", "plotcare-qz"}) {
        SCOPED_TRACE(program);
        const QString path =
            QString::fromLocal8Bit(std::getenv("PLOTCARE_OUTPUT_DIR")) + "/" + program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        for (const char* option : {"--help", "--version"}) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(path, {option});
            ASSERT_TRUE(p.waitForFinished(20000));
            EXPECT_EQ(p.exitCode(), 0) << option;
            const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
            if (QString(option) == "--version")
                EXPECT_EQ(out.trimmed(), QString(program) + " 2.1.0");
            else
                EXPECT_TRUE(
                    out.contains(program == QString("plotcare") ? "Corvan Max 7100" : "QZ-7100"));
        }
    }
}

} // namespace
