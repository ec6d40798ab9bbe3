// plotcare-screens: renders the main window on each of its pages, the
// splash, the about box and the text display window to PNG files, without
// a display (QT_QPA_PLATFORM=offscreen), for review and for the tests that
// check every window's size.
#include "app/Artwork.h"
#include "app/CMainWindow.h"
#include "app/CPage.h"
#include "app/CPlotcareApp.h"
#include "app/CSharedObjects.h"
#include "app/CSplashDialog.h"
#include "app/CTextDisplayDialog.h"
#include "app/ShellApp.h"
#include "maintenance/CBusyDialog.h"
#include "platform/Clock.h"
#include "platform/MessageRecorder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QPainter>
#include <QTextStream>

#include <cstdio>

namespace {

bool Save(const QPixmap& picture, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    if (picture.isNull() || !picture.save(path, "PNG")) {
        std::fprintf(stderr, "plotcare-screens: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), picture.width(), picture.height());
    return true;
}

// The main window as it looks while a page waits for the printer: the busy
// dialog centred over the disabled window.
QPixmap WithBusyDialog(CMainWindow& window) {
    CBusyDialog busy;
    if (!busy.Create(ShellApp::Text(0), CBusyDialog::kReadyWaitTimeoutMs, false, &window)) return {};
    QApplication::processEvents();
    QPixmap picture = window.grab();
    const QPixmap dialog = busy.Window()->grab();
    QPainter p(&picture);
    p.drawPixmap((picture.width() - dialog.width()) / 2, (picture.height() - dialog.height()) / 2, dialog);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(QRect((picture.width() - dialog.width()) / 2, (picture.height() - dialog.height()) / 2,
                     dialog.width() - 1, dialog.height() - 1));
    p.end();
    busy.Close();
    return picture;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("plotcare-screens"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders plotcare's windows to PNG files."));
    parser.addHelpOption();
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder for the PNG files."),
                                       QStringLiteral("folder"), QStringLiteral("."));
    const QCommandLineOption qzOption(QStringLiteral("qz"), QStringLiteral("Render the QZ-7100 build."));
    const QCommandLineOption settingsOption(
        QStringLiteral("program-folder"),
        QStringLiteral("Folder holding the Settings folder (default: this program's)."),
        QStringLiteral("folder"));
    const QCommandLineOption iconOption(
        QStringLiteral("icon"), QStringLiteral("Only write the program icon (256 pixels) to this PNG file."),
        QStringLiteral("file"));
    parser.addOption(outOption);
    parser.addOption(qzOption);
    parser.addOption(settingsOption);
    parser.addOption(iconOption);
    parser.process(qapp);

    // The installed desktop entry's icon is the one the program draws.
    if (parser.isSet(iconOption))
        return Artwork::ProgramIconPixmap(256).save(parser.value(iconOption), "PNG") ? 0 : 1;

    const QDir out(parser.value(outOption));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "plotcare-screens: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    const bool qz = parser.isSet(qzOption);

    CPlotcareApp app(qz ? QStringLiteral("QZ-7100") : QStringLiteral("Corvan Max 7100"),
                     parser.value(settingsOption));
    CPlotcareApp::SetCurrent(&app);
    // Review mode: every page opens without a printer; its messages are
    // answered by a recorder instead of boxes.
    app.SetMode(CPlotcareApp::kModeReview);
    app.SetSelectedPrinter(QStringLiteral("Corvan-Max-7100"), QStringLiteral("ORVEX Corvan Max 7100"),
                           QStringLiteral("socket://printer.example:9100"));
    const std::string driver = qz ? "ORVEX QZ-7100" : "ORVEX Corvan Max 7100";
    ShellApp::SetPrinterSource([driver] {
        return std::vector<ShellApp::PrinterRecord>{{"Plotter-Room-2", "socket://plotter:9100", driver},
                                                    {"Plotter-Lab", "usb://ORVEX/1", driver}};
    });
    MessageRecorder messages;
    FakeClock clock;
    FakeClock::Scope clockScope(clock);
    CSharedObjects shared;
    CSharedObjects::SetCurrent(&shared);

    bool ok = true;
    {
        CMainWindow window(!qz);
        if (!window.Initialize()) {
            std::fprintf(stderr, "plotcare-screens: the main window did not start\n");
            return 1;
        }
        window.show();
        for (int k = 0; k < CMainWindow::kPageCount; ++k) {
            window.ShowPage(k);
            if (window.CurrentIndex() != k) continue; // no such page in this build
            QApplication::processEvents();
            ok &= Save(window.grab(), out, QStringLiteral("page%1.png").arg(k));
        }
        // The nozzle check page while its readiness wait runs.
        window.ShowPage(2);
        ok &= Save(WithBusyDialog(window), out, QStringLiteral("page2-busy.png"));
        window.ShowPage(0);
    }
    ok &= Save(CSplashDialog(CSplashDialog::Form::Splash).Render(), out, QStringLiteral("splash.png"));
    ok &= Save(CSplashDialog(CSplashDialog::Form::About).Render(), out, QStringLiteral("about.png"));
    {
        CTextDisplayDialog text;
        text.resize(520, 360);
        QString report;
        QTextStream s(&report);
        for (int i = 1; i <= 12; ++i)
            s << QStringLiteral("Job %1   sample-%1.pdf   A1 roll   12:%2   printed\n").arg(i).arg(10 + i);
        text.SetReport(report);
        text.show();
        QApplication::processEvents();
        ok &= Save(text.grab(), out, QStringLiteral("textdisplay.png"));
    }
    CSharedObjects::SetCurrent(nullptr);
    CPlotcareApp::SetCurrent(nullptr);
    return ok ? 0 : 1;
}
