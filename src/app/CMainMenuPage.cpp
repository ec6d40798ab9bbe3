#include "app/CMainMenuPage.h"

#include "app/Artwork.h"
#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/CPlotcareStartup.h"
#include "app/ControlHelpers.h"
#include "app/CSettingsKey.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "platform/MessagePresenter.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kLabelPrinter = 1028;
constexpr int kPrinterList = 1026;
constexpr int kSeparator = 1137;
constexpr int kHelpButton = 1003;

// The page's 31 controls: id, rectangle (left, top, right, bottom), text id
// (also the font id; -1 none). Function buttons 1011 … 1019 open pages 1 … 9.
const ControlRow kControls[] = {
    {kLabelPrinter, {70, 12, 200, 30}, 2},
    {kPrinterList, {210, 10, 460, 28}, -1},
    {kSeparator, {60, 38, 540, 40}, -1},
    {1011, {15, 48, 55, 88}, -1},   {1009, {67, 47, 300, 66}, 3},   {1033, {67, 67, 300, 107}, 4},
    {1012, {15, 109, 55, 149}, -1}, {1007, {67, 108, 300, 127}, 5}, {1031, {67, 128, 300, 168}, 6},
    {1013, {15, 170, 55, 210}, -1}, {1010, {67, 169, 300, 188}, 7}, {1034, {67, 189, 300, 229}, 8},
    {1014, {15, 231, 55, 271}, -1}, {1020, {67, 230, 300, 249}, 9}, {1035, {67, 250, 300, 290}, 10},
    {1015, {15, 292, 55, 332}, -1}, {1021, {67, 291, 300, 310}, 11}, {1036, {67, 311, 300, 351}, 12},
    {1016, {305, 48, 345, 88}, -1}, {1022, {357, 47, 599, 66}, 13}, {1037, {357, 67, 590, 107}, 14},
    {1017, {305, 109, 345, 149}, -1}, {1008, {357, 108, 599, 127}, 15}, {1032, {357, 128, 590, 168}, 16},
    {1018, {305, 170, 345, 210}, -1}, {1006, {357, 169, 599, 188}, 17}, {1030, {357, 189, 590, 229}, 18},
    {1019, {305, 231, 345, 271}, -1}, {1005, {357, 230, 599, 249}, 19}, {1029, {357, 250, 590, 290}, 20},
    {kHelpButton, {11, 360, 124, 382}, 100},
};
constexpr int kControlCount = sizeof(kControls) / sizeof(kControls[0]);
constexpr ControlRect kHelpRectShort{11, 299, 124, 321};

// Function k's button, label and description ids.
constexpr int kButtonIds[9] = {1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018, 1019};
constexpr int kLabelIds[9] = {1009, 1007, 1010, 1020, 1021, 1022, 1008, 1006, 1005};
constexpr int kDescriptionIds[9] = {1033, 1031, 1034, 1035, 1036, 1037, 1032, 1030, 1029};

QLabel* MakeLabel(QWidget* parent, int id, bool wrap) {
    auto* label = new QLabel(parent);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | (wrap ? Qt::AlignTop : Qt::AlignVCenter));
    label->setWordWrap(wrap);
    return label;
}

} // namespace

CMainMenuPage::CMainMenuPage(CMainWindow* mainWindow, bool customFilePage)
    : CPage(0, mainWindow), m_customFilePage(customFilePage) {
    resize(600, customFilePage ? 393 : 332);
    setFont(ShellApp::BaseFont());

    // 1. Controls, placed, with their fonts and texts.
    MakeLabel(this, kLabelPrinter, false);
    m_list = new QComboBox(this);
    SetControlId(m_list, kPrinterList);
    auto* line = new QFrame(this);
    SetControlId(line, kSeparator);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    for (int k = 1; k <= 9; ++k) {
        auto* button = new QPushButton(this);
        SetControlId(button, kButtonIds[k - 1]);
        button->setIcon(QIcon(Artwork::ButtonPicture(k)));
        button->setIconSize(QSize(Artwork::kButtonPictureSize, Artwork::kButtonPictureSize));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, k] { OpenFunction(k); });
        m_buttons[k - 1] = button;
        MakeLabel(this, kLabelIds[k - 1], false);
        MakeLabel(this, kDescriptionIds[k - 1], true);
    }
    m_help = new QPushButton(this);
    SetControlId(m_help, kHelpButton);
    m_help->setAutoDefault(false);
    connect(m_help, &QPushButton::clicked, this, [this] { ShellApp::OpenManual(MainWindow(), 0, 0); });

    int ids[kControlCount];
    ControlRect rects[kControlCount];
    int texts[kControlCount];
    for (int i = 0; i < kControlCount; ++i) {
        ids[i] = kControls[i].id;
        rects[i] = kControls[i].id == kHelpButton && !customFilePage ? kHelpRectShort : kControls[i].rect;
        texts[i] = kControls[i].text;
    }
    ApplyLayout(this, ids, rects, kControlCount);
    ApplyFonts(this, ids, texts, kControlCount);
    ApplyTexts(this, ids, texts, kControlCount);
    // The labels' fonts once more, one by one.
    for (int k = 0; k < 9; ++k) {
        for (int id : {kLabelIds[k], kDescriptionIds[k]}) {
            for (const ControlRow& row : kControls)
                if (row.id == id) FindControl(this, id)->setFont(ShellApp::Font(row.text));
        }
        m_buttons[k]->setAccessibleName(ShellApp::Text(kControls[3 + 3 * k + 1].text));
    }
    // A drop-down list needs the height of its font; keep it centred on its row.
    const int listHeight = std::max(m_list->sizeHint().height(), m_list->height());
    m_list->setGeometry(m_list->x(), m_list->y() + (m_list->height() - listHeight) / 2,
                        m_list->width(), listHeight);
    if (!customFilePage) {
        for (int id : {1015, 1021, 1036}) FindControl(this, id)->hide();
    }

    // 2.-4. The supported printers, the remembered one selected.
    FillPrinterList();

    // 5. The printer picture.
    m_printerPicture = Artwork::PrinterPicture();
}

void CMainMenuPage::FillPrinterList() {
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    const std::string remembered =
        key.ReadString(ShellApp::ModelName().toStdString(), kRememberedValue, "");

    m_records = ShellApp::EnumeratePrinters();
    int select = -1;
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const ShellApp::PrinterRecord& r = m_records[i];
        if (!ShellApp::IsListedPrinter(QString::fromStdString(r.driver))) continue;
        m_list->addItem(QString::fromStdString(r.printer), static_cast<int>(i));
        if (select < 0 && r.printer == remembered) select = m_list->count() - 1;
    }
    m_list->setCurrentIndex(select >= 0 ? select : (m_list->count() > 0 ? 0 : -1));
}

int CMainMenuPage::PrinterCount() const {
    return m_list->count();
}

QPushButton* CMainMenuPage::FunctionButton(int k) const {
    return k >= 1 && k <= 9 ? m_buttons[k - 1] : nullptr;
}

void CMainMenuPage::OpenFunction(int k) {
    const bool checks = ShellApp::Mode() != 2;

    // 1. The listed printer becomes the application's selected printer.
    if (m_list->currentIndex() >= 0) {
        const int record = m_list->currentData().toInt();
        if (record >= 0 && record < static_cast<int>(m_records.size()))
            ShellApp::SelectPrinter(m_records[record]);
    }
    const std::string printer = ShellApp::SelectedPrinter();
    const std::string driver = ShellApp::SelectedDriver();

    // 2. The status monitor must know the driver.
    if (checks) {
        CSettingsKey drivers(SettingsRoot::LocalMachine, CSettingsKey::kStatusMonitorDriverKey, true);
        bool registered = false;
        std::string name;
        for (unsigned i = 0; drivers.EnumSubkey(i, name) == 0; ++i) {
            if (name == driver) {
                registered = true;
                break;
            }
        }
        if (!registered) {
            ShowMessage(ShellApp::Text(905), MessageIcon::Error, MessageButtons::Ok, MainWindow());
            return;
        }
    }

    // 3. The bidirectional library for this printer: by plain name first,
    // from the driver's folder when that one cannot reach the printer.
    CBidiLibrary* bidi = ShellApp::BidiLibrary();
    if (bidi) {
        bidi->Unload();
        if (bidi->Load(printer, 1) == 1) {
            CPrinterLink link(bidi);
            const int handle = link.OpenChannel(printer);
            if (handle < 1) {
                bidi->Unload();
                bidi->Load(printer, 0);
            } else {
                link.CloseChannel(handle);
            }
        }
    }

    // 4. The printer must be the one its driver is for.
    if (checks) {
        CPrinterLink link(bidi);
        if (!link.DeviceIdMatches(printer, driver)) {
            ShowMessage(ShellApp::Text(906), MessageIcon::Error, MessageButtons::Ok, MainWindow());
            return;
        }
    }

    // 5. Remember the choice, 6. open the page.
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    key.WriteString(ShellApp::ModelName().toStdString(), kRememberedValue, printer);
    if (MainWindow()) MainWindow()->ShowPage(k);
}

bool CMainMenuPage::OnPageShow() {
    if (ShellApp::Mode() == 2) ReviewMessages();
    return true;
}

// Mode 2 lets a translator see every start-up and selection message.
void CMainMenuPage::ReviewMessages() {
    QWidget* owner = MainWindow();
    const CPlotcareApp* app = CPlotcareApp::Current();
    ShowMessage(app ? app->GetTextOr(CPlotcareStartup::kNecessaryFileTextId, kNecessaryFileText)
                    : QString::fromLatin1(kNecessaryFileText),
                MessageIcon::Error, MessageButtons::Ok, owner);
    for (int id : {904, 905, 906})
        ShowMessage(ShellApp::Text(id), MessageIcon::Error, MessageButtons::Ok, owner);
    ShowMessage(ShellApp::Text(901), MessageIcon::Warning, MessageButtons::Ok, owner);
    ShowMessage(ShellApp::Text(902), MessageIcon::Error, MessageButtons::Ok, owner);
    ShowMessage(ShellApp::Text(900), MessageIcon::Information, MessageButtons::OkCancel, owner);
}

void CMainMenuPage::paintEvent(QPaintEvent* event) {
    CPage::paintEvent(event);
    QPainter p(this);
    p.drawPixmap(15, 0, m_printerPicture);
}

void CMainMenuPage::showEvent(QShowEvent* event) {
    CPage::showEvent(event);
    m_list->setFocus(Qt::OtherFocusReason);
}
