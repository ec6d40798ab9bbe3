// plotcare-screens: renders the main window on each of its pages, the
// splash, the about box and the text display window to PNG files, without
// a display (QT_QPA_PLATFORM=offscreen), for review and for the tests that
// check every window's size. With --check-fit it also checks that every
// text of each rendered window fits its control (CTextFit), in the language
// chosen with --lang.
#include "app/Artwork.h"
#include "app/CInkChipImages.h"
#include "app/CMainWindow.h"
#include "app/CPage.h"
#include "app/CPlotcareApp.h"
#include "app/CSharedObjects.h"
#include "app/CSplashDialog.h"
#include "app/CTextDisplayDialog.h"
#include "app/CTextFit.h"
#include "app/ShellApp.h"
#include "custompaper/CCustomFilePage.h"
#include "custompaper/CCustomPaperCallPage.h"
#include "custompaper/CCustomPaperRegPage.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CCutSuctionTab.h"
#include "custompaper/CDigitEdit.h"
#include "custompaper/CFeedDryTab.h"
#include "custompaper/CFileCutTab.h"
#include "custompaper/CFileQualityTab.h"
#include "custompaper/CGreyCheckList.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/COwnerDrawCombo.h"
#include "custompaper/CRegisterSlotDialog.h"
#include "custompaper/CSaveCustomFileDialog.h"
#include "custompaper/CustomFileRecord.h"
#include "firmware/CFirmwareUpdatePage.h"
#include "maintenance/CAutoAdjustment.h"
#include "maintenance/CAutoAdjustmentPage.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CBusyDialogIndicator.h"
#include "maintenance/CManualAlignmentPage.h"
#include "maintenance/SelectedMediaDriver.h"
#include "platform/Clock.h"
#include "platform/DeviceMode.h"
#include "platform/MessageRecorder.h"
#include "sampleprint/CColorDensityDetailDialog.h"
#include "sampleprint/CMediaTypeDetailDialog.h"
#include "sampleprint/CPaperFeedDetailDialog.h"
#include "sampleprint/CPrintQualityDetailDialog.h"
#include "sampleprint/CRangeScale.h"
#include "sampleprint/CSampleImageChoice.h"
#include "sampleprint/PrintSampleSheet.h"
#include "sampleprint/SampleImage.h"
#include "sampleprint/SampleLabels.h"
#include "status/CPrinterStatusPage.h"
#include "status/JobReport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

namespace {

// A small valid firmware image with the given six-character version.
QByteArray FirmwareImage(const char* version) {
    QByteArray image(32 + 64, '\0');
    std::uint32_t sum = 0;
    for (int i = 32; i < image.size(); ++i) {
        image[i] = static_cast<char>(i * 7);
        sum += static_cast<std::uint8_t>(image[i]);
    }
    const std::uint32_t length = 64;
    for (int i = 0; i < 4; ++i) {
        image[8 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
        image[12 + i] = static_cast<char>((sum >> (8 * i)) & 0xFF);
    }
    image.replace(16, 6, version);
    return image;
}

// The text fit check of every rendered window (--check-fit): each finding
// is printed once on stderr, with the picture it was first seen in.
struct FitCheck {
    bool enabled = false;
    QSet<QString> seen;
    int findings = 0;
};
FitCheck g_fit;

void CheckFit(const QWidget* window, const QString& picture) {
    if (!g_fit.enabled || !window) return;
    for (const CTextFit::Finding& f : CTextFit::Check(window, picture)) {
        CTextFit::Finding key = f;
        key.window.clear();
        if (g_fit.seen.contains(key.Describe())) continue;
        g_fit.seen.insert(key.Describe());
        ++g_fit.findings;
        std::fprintf(stderr, "plotcare-screens: text does not fit: %s\n", qPrintable(f.Describe()));
    }
}

bool Save(const QPixmap& picture, const QDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    if (picture.isNull() || !picture.save(path, "PNG")) {
        std::fprintf(stderr, "plotcare-screens: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), picture.width(), picture.height());
    return true;
}

// Saves a window's picture and checks the window's texts (and those of
// the window drawn over it, if any).
bool SaveWindow(const QWidget& window, const QPixmap& picture, const QDir& dir, const QString& name,
                const QWidget* over = nullptr) {
    CheckFit(&window, name);
    if (over && over->isVisible()) CheckFit(over, name + QStringLiteral(" (over)"));
    return Save(picture, dir, name);
}

// The driver of the review: a part of the driver's media list, so that the
// media boxes show real names, the greyed ones among them.
class ReviewDriver final : public MediaDriver {
public:
    explicit ReviewDriver(int kind = 1) : m_kind(kind) {}
    int DriverKind() override { return m_kind; }
    MediaTypeList::DriverMedia Media() override {
        return {{101, "Premium Glossy Photo Paper 260"}, {104, "Premium Glossy Photo Paper 170"},
                {102, "Premium Semigloss Photo Paper 260"}, {103, "Premium Luster Photo Paper 260"},
                {202, "Singleweight Matte Paper"}, {204, "Enhanced Matte Paper"},
                {301, "Proofing Paper White Semimatte"}, {401, "Watercolor Paper Radiant White"},
                {501, "Clear Film"}, {502, "Backlight Film"}, {601, "Canvas Satin"},
                {602, "Canvas Matte"}};
    }
    int ApplyMedia(std::uint32_t) override { return -1; }

private:
    int m_kind;
};

// The window with another top-level window drawn over it where it stands,
// with a plain frame and its caption (offscreen windows have no frame).
QPixmap WithWindowOver(QWidget& base, QWidget* top, bool framed) {
    QPixmap picture = base.grab();
    if (!top || !top->isVisible()) return picture;
    QPainter p(&picture);
    const QPoint at = top->mapToGlobal(QPoint(0, 0)) - base.mapToGlobal(QPoint(0, 0));
    if (framed) {
        const int bar = 22;
        const QRect frame(at.x() - 1, at.y() - bar - 1, top->width() + 1, top->height() + bar + 1);
        p.fillRect(frame.adjusted(0, 0, 1, -top->height()), QColor(60, 72, 96));
        p.setPen(Qt::white);
        p.setFont(ShellApp::BaseFont());
        p.drawText(frame.adjusted(8, 0, 0, -top->height() - 1).translated(0, 1),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, top->windowTitle());
        p.setPen(QColor(60, 72, 96));
        p.drawRect(frame);
    }
    p.drawPixmap(at, top->grab());
    return picture;
}

// The alignment pages as an operator fills them in: a thickness typed, rows
// #1 and #3 checked, a few values typed; and the four-ink column headers.
bool SaveAlignmentStates(CMainWindow& window, const QDir& out, const QString& stem) {
    auto* page = static_cast<CManualAlignmentPage*>(window.Page(window.CurrentIndex()));
    page->ThicknessEdit()->setText(QStringLiteral("3"));
    emit page->ThicknessEdit()->textEdited(QStringLiteral("3"));
    page->RowCheck(0)->setChecked(true);
    page->RowCheck(2)->setChecked(true);
    page->Cell(0, 2)->setText(QStringLiteral("4"));
    page->Cell(2, 5)->setText(QStringLiteral("7"));
    page->Cell(2, 5)->setFocus();
    QApplication::processEvents();
    bool ok = SaveWindow(window, window.grab(), out, stem + QStringLiteral("-filled.png"));
    CInkChipImages* chips = CSharedObjects::Current()->inkChips.get();
    const int inks = chips->InkCount();
    chips->SetInkCount(4);
    page->update();
    QApplication::processEvents();
    ok &= SaveWindow(window, window.grab(), out, stem + QStringLiteral("-4inks.png"));
    chips->SetInkCount(inks);
    return ok;
}

// The custom paper slots of the review: three registered (one with a name
// of the full 30 characters), the others empty.
void FillReviewSlots(CSharedObjects& shared) {
    const CPlotcareApp* app = CPlotcareApp::Current();
    shared.customPaperTable = std::make_unique<CCustomPaperTable>(
        app ? app->GetText(CCustomPaperTable::kTextNotRegistered).toStdString() : std::string());
    CCustomPaperTable& table = *shared.customPaperTable;
    const struct {
        int index;
        const char* name;
    } names[] = {{0, "Glossy Photo 260"}, {1, "Canvas Matte Heavy 2 Roll Feed"}, {3, "Backlight Film"}};
    for (const auto& n : names) {
        CustomPaperSlot& slot = table.SlotAt(n.index);
        slot.Name = n.name;
        slot.Registered = 1;
    }
    CustomPaperSlot& canvas = table.SlotAt(1);
    canvas.Paperthick = 6;
    canvas.Platen = 1;
    canvas.Paperdraw = -2;
    canvas.Roller = 2;
    canvas.Forward = -35;
    canvas.Drytime = 20;
    canvas.PaperCut = 2;
    canvas.ThreeWay = 1;
    canvas.MediaCode = 25; // Canvas Matte
}

// The call page with its slot list open, on a registered slot and on an
// empty one.
bool SaveCallPageStates(CMainWindow& window, const QDir& out) {
    window.ShowPage(CCustomPaperCallPage::kPageIndex);
    auto* page = dynamic_cast<CCustomPaperCallPage*>(window.Page(CCustomPaperCallPage::kPageIndex));
    if (!page || window.CurrentIndex() != CCustomPaperCallPage::kPageIndex) return true;
    page->PreviewItem(2);
    QApplication::processEvents();
    bool ok = SaveWindow(window, window.grab(), out, QStringLiteral("page4-registered.png"));
    page->Selector()->showPopup();
    QApplication::processEvents();
    ok &= SaveWindow(window, WithWindowOver(window, page->Selector()->view()->window(), false), out,
                     QStringLiteral("page4-slots.png"), page->Selector()->view()->window());
    page->Selector()->hidePopup();
    page->PreviewItem(3);
    QApplication::processEvents();
    ok &= SaveWindow(window, window.grab(), out, QStringLiteral("page4-empty.png"));
    // The rows of a registered slot with each value text they can show.
    if (g_fit.enabled) {
        CustomPaperSlot& slot = CSharedObjects::Current()->customPaperTable->SlotAt(1);
        const CustomPaperSlot kept = slot;
        for (int k = 0; k <= 4; ++k) {
            slot.Platen = 1 + k;
            slot.Paperdraw = -k;
            slot.Roller = k;
            slot.PaperCut = k;
            slot.ThreeWay = k;
            slot.Forward = -70;
            page->PreviewItem(2);
            QApplication::processEvents();
            CheckFit(&window, QStringLiteral("page4 values %1").arg(k));
        }
        slot = kept;
        page->PreviewItem(3);
    }
    return ok;
}

// Presses a key on a control, as the operator does.
void PressKey(QWidget* control, int key, int times = 1) {
    for (int i = 0; i < times; ++i) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(control, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(control, &release);
    }
}

// The four detail dialogs of the sample prints as an operator uses them:
// media ticked (with kind 2 media greyed), the feed range narrowed from
// both ends, a density chosen, two print modes ticked.
bool SaveDetailDialogs(CMainWindow& window, CSharedObjects& shared, const QDir& out) {
    CPlotcareApp& app = *CPlotcareApp::Current();
    const CustomPaperSlot& slot = shared.customPaperTable->SlotAt(1);
    CustomFileRecord file;
    file.MediaId = 106;
    file.Mode = 3;
    file.Density = 5;
    const auto shot = [&](QDialog& dialog, const QString& name) {
        dialog.show();
        QApplication::processEvents();
        const bool saved = SaveWindow(dialog, dialog.grab(), out, name);
        dialog.hide();
        return saved;
    };
    bool ok = true;
    SetSelectedMediaDriverSource([] { return std::make_unique<ReviewDriver>(2); });
    {
        CMediaTypeDetailDialog dialog(&window, app, &slot);
        CGreyCheckList* list = dialog.MediaList();
        dialog.show();
        list->setFocus();
        PressKey(list, Qt::Key_Space);
        PressKey(list, Qt::Key_Down, 2);
        PressKey(list, Qt::Key_Space);
        PressKey(list, Qt::Key_Down);
        ok &= shot(dialog, QStringLiteral("detail-media.png"));
    }
    SetSelectedMediaDriverSource([] { return std::make_unique<ReviewDriver>(); });
    {
        CPaperFeedDetailDialog dialog(&window, app, &slot);
        dialog.show();
        CRangeScale* scale = dialog.Scale();
        scale->setFocus();
        PressKey(scale, Qt::Key_PageUp, 3);  // "min" thumb from -70 to -28
        PressKey(scale, Qt::Key_Down);       // the "max" thumb
        PressKey(scale, Qt::Key_PageDown, 2); // from 70 to 42
        dialog.ImageChoiceControls()->Show({ImageChoice::kUserDefined, "/home/operator/samples/Canvas Test.bmp"});
        ok &= shot(dialog, QStringLiteral("detail-feed.png"));
    }
    {
        CColorDensityDetailDialog dialog(&window, app, &file);
        dialog.show();
        dialog.Slider()->setFocus();
        PressKey(dialog.Slider(), Qt::Key_PageUp, 2);
        PressKey(dialog.Slider(), Qt::Key_Right, 5);
        ok &= shot(dialog, QStringLiteral("detail-density.png"));
    }
    {
        CPrintQualityDetailDialog dialog(&window, app, &file);
        dialog.ModeBox(2)->click();
        dialog.ModeBox(4)->click();
        ok &= shot(dialog, QStringLiteral("detail-quality.png"));
    }
    return ok;
}

// The setting tabs of the registration page (and of the custom file page in
// the build that has it), each shown in a tab control bound to a sample
// record, and the two dialogs that finish the pages' saves.
bool SaveSettingTabs(CCustomPaperTable& table, bool withFilePage, const QDir& out) {
    const auto render = [&](QWidget* first, QWidget* second, int firstText, int secondText,
                            const QString& stem) {
        QTabWidget tabs;
        tabs.setFont(ShellApp::BaseFont());
        tabs.addTab(first, ShellApp::Text(firstText));
        tabs.addTab(second, ShellApp::Text(secondText));
        tabs.resize(CFeedDryTab::kWidth + 8, CFeedDryTab::kHeight + 30);
        tabs.show();
        bool ok = true;
        for (int t = 0; t < 2; ++t) {
            tabs.setCurrentIndex(t);
            QApplication::processEvents();
            ok &= SaveWindow(tabs, tabs.grab(), out, stem + QStringLiteral("-%1.png").arg(t + 1));
        }
        return ok;
    };
    CustomPaperSlot& canvas = table.SlotAt(1);
    auto* feed = new CFeedDryTab;
    auto* cut = new CCutSuctionTab;
    feed->Bind(&canvas, true);
    cut->Bind(&canvas, true);
    bool ok = render(feed, cut, 30007, 30008, QStringLiteral("tabs-registration"));

    table.SetCurrentIndex(1);
    {
        CRegisterSlotDialog dialog(table, nullptr);
        dialog.show();
        QApplication::processEvents();
        ok &= SaveWindow(dialog, dialog.grab(), out, QStringLiteral("dialog-register.png"));
    }
    table.SetCurrentIndex(0);
    if (!withFilePage) return ok;

    CustomFileRecord record;
    record.CustomName = "Canvas 2026";
    record.MediaId = 101;
    record.Mode = 3;
    record.Density = -12;
    record.Forward = 25;
    record.Drytime = 15;
    record.PaperCut = 1;
    record.Roller = 2;
    record.Paperdraw = -3;
    auto* quality = new CFileQualityTab;
    auto* fileCut = new CFileCutTab;
    quality->Bind(&record, true);
    fileCut->Bind(&record, true);
    ok &= render(quality, fileCut, 50008, 50009, QStringLiteral("tabs-file"));
    {
        CSaveCustomFileDialog dialog(
            QDir::home().filePath(QStringLiteral("Custom Papers/Canvas rolls of the photo lab.ZMD")),
            &record, nullptr);
        dialog.show();
        QApplication::processEvents();
        ok &= SaveWindow(dialog, dialog.grab(), out, QStringLiteral("dialog-savefile.png"));
    }
    return ok;
}

// The registration and custom file pages on a setting, with each of their
// tabs, and the registration page's media list open while the driver kind
// greys the media it excludes.
bool SavePaperEditStates(CMainWindow& window, const QDir& out) {
    bool ok = true;
    window.ShowPage(CCustomPaperRegPage::kPageIndex);
    if (auto* page = dynamic_cast<CCustomPaperRegPage*>(window.Page(CCustomPaperRegPage::kPageIndex));
        page && window.CurrentIndex() == CCustomPaperRegPage::kPageIndex) {
        page->Preview(1);
        for (int tab = 0; tab < page->Tabs()->count(); ++tab) {
            page->Tabs()->setCurrentIndex(tab);
            QApplication::processEvents();
            ok &= SaveWindow(window, window.grab(), out,
                             QStringLiteral("page3-tab%1.png").arg(tab + 1));
        }
        page->Tabs()->setCurrentIndex(0);
        // Kind 2 greys the media it excludes.
        SetSelectedMediaDriverSource([] { return std::make_unique<ReviewDriver>(2); });
        page->OnDriverSettingsChanged();
        page->MediaList()->showPopup();
        QApplication::processEvents();
        ok &= SaveWindow(window, WithWindowOver(window, page->MediaList()->view()->window(), false),
                         out, QStringLiteral("page3-media-greyed.png"),
                         page->MediaList()->view()->window());
        page->MediaList()->hidePopup();
        SetSelectedMediaDriverSource([] { return std::make_unique<ReviewDriver>(); });
        page->OnDriverSettingsChanged();
    }
    window.ShowPage(CCustomFilePage::kPageIndex);
    if (auto* page = dynamic_cast<CCustomFilePage*>(window.Page(CCustomFilePage::kPageIndex));
        page && window.CurrentIndex() == CCustomFilePage::kPageIndex) {
        for (int tab = 0; tab < page->Tabs()->count(); ++tab) {
            page->Tabs()->setCurrentIndex(tab);
            QApplication::processEvents();
            ok &= SaveWindow(window, window.grab(), out,
                             QStringLiteral("page5-tab%1.png").arg(tab + 1));
        }
        page->Tabs()->setCurrentIndex(0);
    }
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
    CheckFit(busy.Window(), QStringLiteral("page2-busy.png (over)"));
    QPainter p(&picture);
    p.drawPixmap((picture.width() - dialog.width()) / 2, (picture.height() - dialog.height()) / 2, dialog);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawRect(QRect((picture.width() - dialog.width()) / 2, (picture.height() - dialog.height()) / 2,
                     dialog.width() - 1, dialog.height() - 1));
    p.end();
    busy.Close();
    return picture;
}

// The first page of a sample sheet on the model's widest roll, as the driver
// receives it: the sheet's PDF (the standard image, the labels of the review
// slot with its feed highlighted) rendered by poppler at 100 dpi, cut below
// the image.
bool SaveSampleSheet(const QDir& out, bool qz, const CustomPaperSlot& slot) {
    const QString folder = CPlotcareApp::Current()->GetProgramFolder();
    const std::string model = qz ? "ovqz7100" : "ovcm7100";
    DeviceMode mode;
    mode.options = {{"PageSize", qz ? "Roll24x48in" : "Roll44x60in"}};
    const auto page = SampleSheetPageFor((folder + QStringLiteral("/driver/")).toStdString() + model + ".ppd", mode);
    const QImage image = LoadSampleImage(SampleImagePathBeside((folder + QStringLiteral("/plotcare")).toStdString()));
    if (!page || image.isNull()) {
        std::fprintf(stderr, "plotcare-screens: no driver PPD or sample image beside the program\n");
        return false;
    }
    const CPlotcareApp* app = CPlotcareApp::Current();
    const auto text = [app](int id) { return app->GetText(id).toStdString(); };
    const auto media = [](int id) { return id == 101 ? std::string("Premium Glossy Photo Paper 260") : std::string(); };
    CustomPaperSlot record = slot;
    record.MediaId = 101;
    const QByteArray pdf = RenderSampleSheetPdf(*page, image, BuildRegistrationLabels(record, text, media), 3,
                                                ShellApp::BaseFont());
    QTemporaryDir temp;
    QFile file(temp.filePath(QStringLiteral("sheet.pdf")));
    if (pdf.isEmpty() || !temp.isValid() || !file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size()) {
        std::fprintf(stderr, "plotcare-screens: the sample sheet was not drawn\n");
        return false;
    }
    file.close();
    const int dpi = 100;
    const int height = static_cast<int>((page->marginTopPt / 72.0 + 4.2) * dpi);
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"),
                  QStringLiteral("-singlefile"), QStringLiteral("-png"), QStringLiteral("-H"), QString::number(height),
                  QStringLiteral("-W"), QString::number(static_cast<int>(page->paperWidthPt / 72.0 * dpi)),
                  file.fileName(), temp.filePath(QStringLiteral("sheet"))});
    if (!render.waitForFinished(60000) || render.exitCode() != 0) {
        std::fprintf(stderr, "plotcare-screens: pdftoppm could not render the sample sheet\n");
        return false;
    }
    return Save(QPixmap(temp.filePath(QStringLiteral("sheet.png"))), out,
                QStringLiteral("sample-sheet.png"));
}

// The value of --lang LANG (or --lang=LANG), read before the application
// object exists: the language is chosen when the texts are first read.
QByteArray LanguageArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--lang" && i + 1 < argc) return QByteArray(argv[i + 1]);
        if (arg.startsWith("--lang=")) return arg.mid(7);
    }
    return {};
}

// The main window's menus, each opened as the operator opens it.
bool CheckMenus(CMainWindow& window) {
    for (QAction* action : window.MenuBar()->actions()) {
        QMenu* menu = action->menu();
        if (!menu) continue;
        menu->popup(window.mapToGlobal(window.MenuBar()->actionGeometry(action).bottomLeft()));
        QApplication::processEvents();
        CheckFit(menu, QStringLiteral("menu ") + action->text());
        menu->hide();
    }
    return true;
}

// A message box as long as the longest German message, shown by the real
// presenter: it wraps its text and sizes itself, and must show it whole.
void CheckMessageBox(QWidget* owner) {
    MessagePresenter* recorder = &MessagePresenter::Current();
    MessagePresenter::SetCurrent(nullptr);
    QTimer::singleShot(0, owner, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            std::fprintf(stderr, "plotcare-screens: the message box did not open\n");
            ++g_fit.findings;
            return;
        }
        CheckFit(box, QStringLiteral("message box"));
        std::printf("message box %dx%d\n", box->width(), box->height());
        box->done(QMessageBox::Ok);
    });
    ShowMessage(
        QStringLiteral("Die Druckkopfjustage konnte nicht abgeschlossen werden, weil der Drucker "
                       "w\u00e4hrend des Musterdrucks einen Fehler gemeldet hat. Beheben Sie den "
                       "Fehler am Bedienfeld des Druckers, legen Sie Papier der gew\u00e4hlten "
                       "Rollenbreite ein und starten Sie die Automatische Justage erneut. "
                       "Papiervorschubkorrekturwerte bleiben unver\u00e4ndert."),
        MessageIcon::Warning, MessageButtons::OkCancel, owner);
    MessagePresenter::SetCurrent(recorder);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (const QByteArray lang = LanguageArgument(argc, argv); !lang.isEmpty())
        qputenv("PLOTCARE_LANG", lang);
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
    const QCommandLineOption langOption(
        QStringLiteral("lang"),
        QStringLiteral("Language of the texts (a folder of Settings, e.g. de)."),
        QStringLiteral("language"));
    const QCommandLineOption fitOption(
        QStringLiteral("check-fit"),
        QStringLiteral("Check that every text fits its control; report each one that does not."));
    parser.addOption(iconOption);
    parser.addOption(langOption);
    parser.addOption(fitOption);
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
    g_fit.enabled = parser.isSet(fitOption);

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
    SetSelectedMediaDriverSource([] { return std::make_unique<ReviewDriver>(); });
    FillReviewSlots(shared);

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
            ok &= SaveWindow(window, window.grab(), out, QStringLiteral("page%1.png").arg(k));
            if (k == 8 || k == 9) ok &= SaveAlignmentStates(window, out, QStringLiteral("page%1").arg(k));
        }
        ok &= SaveCallPageStates(window, out);
        ok &= SaveDetailDialogs(window, shared, out);
        SetSelectedMediaDriverSource([] { return std::make_unique<ReviewDriver>(); });
        ok &= SaveSettingTabs(*shared.customPaperTable, !qz, out);
        ok &= SavePaperEditStates(window, out);
        // The nozzle check page while its readiness wait runs.
        window.ShowPage(2);
        ok &= Save(WithBusyDialog(window), out, QStringLiteral("page2-busy.png"));
        // The automatic adjustment page with its media list open (the
        // greyed media visible), and with the busy dialog of an alignment.
        window.ShowPage(1);
        if (auto* page = dynamic_cast<CAutoAdjustmentPage*>(window.Page(1)); page && window.CurrentIndex() == 1) {
            page->MediaList()->showPopup();
            QApplication::processEvents();
            QWidget* popup = page->MediaList()->view()->window();
            ok &= SaveWindow(window, WithWindowOver(window, popup, false), out,
                             QStringLiteral("page1-media.png"), popup);
            page->MediaList()->hidePopup();
            // As an operator starts it: a thickness, the patterns ticked.
            page->ThicknessEdit()->insert(QStringLiteral("3"));
            for (int k = 1; k <= 4; ++k)
                page->PatternBox(CAutoAdjustment::Direction::Bidirectional, k)->setChecked(true);
            {
                CBusyDialogIndicator busy(&window);
                const auto& bi = CAutoAdjustment::Constants(CAutoAdjustment::Direction::Bidirectional);
                busy.Begin(bi.captionText, bi.allPatternsMs, true);
                busy.Poll();
                ok &= SaveWindow(window, WithWindowOver(window, busy.Dialog().Window(), true), out,
                                 QStringLiteral("page1-busy.png"), busy.Dialog().Window());
                busy.End();
            }
        }
        // The firmware update page with an image older than the printer's
        // firmware: the status text in red, Update disabled.
        window.ShowPage(CFirmwareUpdatePage::kPageIndex);
        if (auto* page = dynamic_cast<CFirmwareUpdatePage*>(window.Page(CFirmwareUpdatePage::kPageIndex))) {
            QTemporaryDir temp;
            QFile file(temp.filePath(QStringLiteral("CM7100_I00302.UPG")));
            if (temp.isValid() && file.open(QIODevice::WriteOnly) && file.write(FirmwareImage("I00302")) == 96) {
                file.close();
                page->ShowPrinterVersion("I00203");
                page->OpenFile(file.fileName());
                QApplication::processEvents();
                ok &= SaveWindow(window, window.grab(), out, QStringLiteral("page7-older.png"));
            } else {
                ok = false;
            }
        }
        // The printer status page with the job text window over it, as
        // Display Job leaves it: the printer's last jobs, newest first.
        window.ShowPage(CPrinterStatusPage::kPageIndex);
        if (auto* page = dynamic_cast<CPrinterStatusPage*>(window.Page(CPrinterStatusPage::kPageIndex))) {
            const struct {
                int number, state, result;
                const char* user;
                const char* name;
                int usedMm, pages, printed, minute, seconds;
            } jobs[] = {{14, 2, 0, "anna", "Poster A0 exhibition.pdf", 1189, 3, 1, 42, 0},
                        {13, 3, 1, "Remote", "Status Sheet", 297, 1, 1, 31, 30},
                        {12, 4, 2, "anna", "Banner 3m.pdf", 612, 2, 0, 18, 95},
                        {11, 3, 1, "PDF", "Sample Media", 297, 1, 1, 5, 60}};
            QString report;
            for (const auto& j : jobs) {
                JobInfoRecord r;
                r.number = j.number;
                r.state = j.state;
                r.result = j.result;
                r.user = j.user;
                r.name = j.name;
                r.usedThousandths = j.usedMm;
                r.pages = j.pages;
                r.printedPages = j.printed;
                r.received = {26, 12, 10, 9, j.minute};
                r.printSeconds = j.seconds * 60 / 10;
                report += QString::fromStdString(JobReport::Format(r, JobReport::AppText)) + QStringLiteral("\r\n");
            }
            page->ShowReport(report);
            QApplication::processEvents();
            ok &= SaveWindow(window, WithWindowOver(window, page->JobWindow(), true), out,
                             QStringLiteral("page6-jobs.png"), page->JobWindow());
            page->JobWindow()->hide();
        }
        window.ShowPage(0);
        QApplication::processEvents();
        if (g_fit.enabled) {
            CheckMenus(window);
            CheckMessageBox(&window);
        }
    }
    SetSelectedMediaDriverSource(nullptr);
    ok &= SaveSampleSheet(out, qz, shared.customPaperTable->SlotAt(1));
    for (const auto form : {CSplashDialog::Form::Splash, CSplashDialog::Form::About}) {
        const CSplashDialog splash(form);
        const QString name = form == CSplashDialog::Form::Splash ? QStringLiteral("splash.png")
                                                                 : QStringLiteral("about.png");
        ok &= SaveWindow(splash, splash.Render(), out, name);
    }
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
        ok &= SaveWindow(text, text.grab(), out, QStringLiteral("textdisplay.png"));
    }
    CSharedObjects::SetCurrent(nullptr);
    CPlotcareApp::SetCurrent(nullptr);
    if (g_fit.enabled && g_fit.findings > 0) {
        std::fprintf(stderr, "plotcare-screens: %d texts do not fit their controls\n",
                     g_fit.findings);
        return 2;
    }
    return ok ? 0 : 1;
}
