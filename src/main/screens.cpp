// plotcare-screens: renders the main window on each of its pages, the
// splash, the about box and the text display window to PNG files, without
// a display (QT_QPA_PLATFORM=offscreen), for review and for the tests that
// check every window's size.
#include "app/Artwork.h"
#include "app/CInkChipImages.h"
#include "app/CMainWindow.h"
#include "app/CPage.h"
#include "app/CPlotcareApp.h"
#include "app/CSharedObjects.h"
#include "app/CSplashDialog.h"
#include "app/CTextDisplayDialog.h"
#include "app/ShellApp.h"
#include "custompaper/CMediaTable.h"
#include "maintenance/CAlignmentDriver.h"
#include "maintenance/CManualAlignmentPage.h"
#include "maintenance/CBusyDialog.h"
#include "platform/Clock.h"
#include "platform/MessageRecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
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

// A driver of kind 2 with a few media, one of which that kind cannot use
// (301) and one that custom paper cannot use (201, left out of the lists).
class ReviewDriver final : public CAlignmentDriver {
public:
    int DriverKind() override { return 2; }
    MediaTypeList::DriverMedia Media() override {
        return {{101, "Premium Glossy Photo Paper 260"}, {104, "Premium Glossy Photo Paper 170"},
                {102, "Premium Semigloss Photo Paper 260"}, {201, "Plain Paper"},
                {301, "Singleweight Matte Paper"},         {401, "Enhanced Matte Paper"},
                {501, "Proofing Paper White Semimatte"}};
    }
    int ApplyMedia(std::uint32_t) override { return 3; }
};

// The alignment pages as an operator fills them in: a media chosen, rows #1
// and #3 checked, a few values typed; and the four-ink column headers.
bool SaveAlignmentStates(CMainWindow& window, const QDir& out, const QString& stem) {
    auto* page = static_cast<CManualAlignmentPage*>(window.Page(window.CurrentIndex()));
    page->MediaList()->setCurrentIndex(1);
    emit page->MediaList()->activated(1);
    page->RowCheck(0)->setChecked(true);
    page->RowCheck(2)->setChecked(true);
    page->Cell(0, 2)->setText(QStringLiteral("4"));
    page->Cell(2, 5)->setText(QStringLiteral("7"));
    page->Cell(2, 5)->setFocus();
    QApplication::processEvents();
    bool ok = Save(window.grab(), out, stem + QStringLiteral("-filled.png"));
    CInkChipImages* chips = CSharedObjects::Current()->inkChips.get();
    const int inks = chips->InkCount();
    chips->SetInkCount(4);
    page->update();
    QApplication::processEvents();
    ok &= Save(window.grab(), out, stem + QStringLiteral("-4inks.png"));
    chips->SetInkCount(inks);
    return ok;
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
    shared.inkChips = std::make_unique<CInkChipImages>();
    shared.mediaTable = std::make_unique<CMediaTable>(app.SettingsFilePath("Media.ini"));
    CManualAlignmentPage::SetDriverFactory([] { return std::make_unique<ReviewDriver>(); });

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
            if (k == 8 || k == 9) ok &= SaveAlignmentStates(window, out, QStringLiteral("page%1").arg(k));
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
    CManualAlignmentPage::SetDriverFactory({});
    CSharedObjects::SetCurrent(nullptr);
    CPlotcareApp::SetCurrent(nullptr);
    return ok ? 0 : 1;
}
