#include "maintenance/CAutoAdjustmentPage.h"

#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "comm/CPrinterLink.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/COwnerDrawCombo.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CBusyDialogIndicator.h"
#include "maintenance/SelectedMediaDriver.h"
#include "platform/MessagePresenter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>

namespace {

using Direction = CAutoAdjustment::Direction;
using Page = CAutoAdjustmentPage;

// The page's controls: id, rectangle (left, top, right, bottom), text id
// (also the font id; -1 none). Group boxes come before what they hold, so
// that they lie beneath it; the rest is in tab order.
const ControlRow kControls[] = {
    {Page::kHeading, {16, 22, 584, 40}, 10008},
    {Page::kMediaLabel, {20, 49, 112, 67}, 10017},
    // The media list holds the driver's longest media names whole; the
    // thickness controls stand right of it.
    {Page::kMediaList, {114, 47, 364, 69}, 10017},
    {Page::kThicknessLabel, {374, 49, 476, 67}, 10018},
    {Page::kThicknessEdit, {478, 47, 518, 69}, 10018},
    {Page::kThicknessUnit, {522, 49, 584, 67}, 10019},
    {Page::kPlatenLabel, {20, 77, 112, 95}, 10020},
    {Page::kPlatenList, {114, 75, 364, 97}, 10020},
    {Page::kBiGroup, {16, 104, 203, 266}, 10004},
    {Page::kBiDescription, {26, 128, 195, 184}, 10005},
    {Page::kBiChecks[0], {28, 190, 68, 208}, 10009},
    {Page::kBiChecks[1], {70, 190, 110, 208}, 10010},
    {Page::kBiChecks[2], {112, 190, 152, 208}, 10011},
    {Page::kBiChecks[3], {154, 190, 194, 208}, 10012},
    {Page::kBiStart, {56, 228, 163, 254}, 10102},
    {Page::kUniGroup, {207, 104, 394, 266}, 10002},
    {Page::kUniDescription, {217, 128, 386, 184}, 10003},
    {Page::kUniChecks[0], {219, 190, 259, 208}, 10013},
    {Page::kUniChecks[1], {261, 190, 301, 208}, 10014},
    {Page::kUniChecks[2], {303, 190, 343, 208}, 10015},
    {Page::kUniChecks[3], {345, 190, 385, 208}, 10016},
    {Page::kUniStart, {247, 228, 354, 254}, 10101},
    {Page::kNozzleGroup, {398, 104, 585, 266}, 10006},
    {Page::kNozzleDescription, {408, 128, 577, 208}, 10007},
    {Page::kNozzleStart, {438, 228, 545, 254}, 10103},
    {Page::kHelpButton, {11, 283, 124, 305}, 10100},
};
constexpr int kControlCount = sizeof(kControls) / sizeof(kControls[0]);

// The grey frame around the choice and the three groups.
constexpr QColor kFrameColour(128, 128, 128);
const QRect kFrame(8, 17, 583, 257);

QLabel* MakeLabel(QWidget* parent, int id, bool wrap) {
    auto* label = new QLabel(parent);
    SetControlId(label, id);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | (wrap ? Qt::AlignTop : Qt::AlignVCenter));
    label->setWordWrap(wrap);
    return label;
}

QPushButton* MakeButton(QWidget* parent, int id) {
    auto* button = new QPushButton(parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

const CMediaTable* ApplicationTable() {
    const CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->GetMediaTable() : nullptr;
}

} // namespace

CAutoAdjustmentPage::CAutoAdjustmentPage(CMainWindow* mainWindow) : CPage(kPageIndex, mainWindow) {
    resize(kWidth, kHeight);
    setFont(ShellApp::BaseFont());
    const CMediaTable* table = ApplicationTable();
    if (!table) {
        m_noTable = std::make_unique<CMediaTable>();
        table = m_noTable.get();
    }
    m_logic = std::make_unique<CAutoAdjustment>(*table);

    // Controls in tab order: the choice, each group left to right, help.
    MakeLabel(this, kHeading, false);
    MakeLabel(this, kMediaLabel, false);
    m_media = new COwnerDrawCombo(this);
    SetControlId(m_media, kMediaList);
    MakeLabel(this, kThicknessLabel, false);
    m_thickness = new QLineEdit(this);
    SetControlId(m_thickness, kThicknessEdit);
    MakeLabel(this, kThicknessUnit, false);
    MakeLabel(this, kPlatenLabel, false);
    m_platen = new QComboBox(this);
    SetControlId(m_platen, kPlatenList);

    const auto group = [this](int id) {
        auto* box = new QGroupBox(this);
        SetControlId(box, id);
        box->setFocusPolicy(Qt::NoFocus);
        return box;
    };
    group(kBiGroup);
    MakeLabel(this, kBiDescription, true);
    for (int i = 0; i < 4; ++i) {
        m_bi[i] = new QCheckBox(this);
        SetControlId(m_bi[i], kBiChecks[i]);
    }
    m_biStart = MakeButton(this, kBiStart);
    group(kUniGroup);
    MakeLabel(this, kUniDescription, true);
    for (int i = 0; i < 4; ++i) {
        m_uni[i] = new QCheckBox(this);
        SetControlId(m_uni[i], kUniChecks[i]);
    }
    m_uniStart = MakeButton(this, kUniStart);
    group(kNozzleGroup);
    MakeLabel(this, kNozzleDescription, true);
    m_nozzleStart = MakeButton(this, kNozzleStart);
    m_help = MakeButton(this, kHelpButton);

    int ids[kControlCount];
    ControlRect rects[kControlCount];
    int texts[kControlCount];
    for (int i = 0; i < kControlCount; ++i) {
        ids[i] = kControls[i].id;
        rects[i] = kControls[i].rect;
        // Lists and the edit take their label's font, not a text.
        const bool noText = ids[i] == kMediaList || ids[i] == kThicknessEdit || ids[i] == kPlatenList;
        texts[i] = noText ? -1 : kControls[i].text;
    }
    int fonts[kControlCount];
    for (int i = 0; i < kControlCount; ++i) fonts[i] = kControls[i].text;
    ApplyLayout(this, ids, rects, kControlCount);
    ApplyFonts(this, ids, fonts, kControlCount);
    ApplyTexts(this, ids, texts, kControlCount);
    // Boxes laid out in the frame need the height of their font.
    for (QWidget* box : {static_cast<QWidget*>(m_media), static_cast<QWidget*>(m_platen)}) {
        const int h = std::max(box->sizeHint().height(), box->height());
        box->setGeometry(box->x(), box->y() + (box->height() - h) / 2, box->width(), h);
    }

    // Names for assistive tools: a box is named by its label, a control
    // inside a group by the group and its own text.
    const auto label = [this](int id) { return qobject_cast<QLabel*>(FindControl(this, id)); };
    m_media->SetAccessibleLabel(label(kMediaLabel));
    NameControl(m_thickness, label(kThicknessLabel));
    m_thickness->setAccessibleName(m_thickness->accessibleName() + QLatin1Char(' ') + ShellApp::Text(10019));
    NameControl(m_platen, label(kPlatenLabel));
    const auto nameInGroup = [](QWidget* w, int groupText, int ownText) {
        w->setAccessibleName(ShellApp::Text(groupText) + QLatin1Char(' ') + ShellApp::Text(ownText));
    };
    for (int i = 0; i < 4; ++i) {
        nameInGroup(m_bi[i], 10004, 10009 + i);
        nameInGroup(m_uni[i], 10002, 10013 + i);
    }
    nameInGroup(m_biStart, 10004, 10102);
    nameInGroup(m_uniStart, 10002, 10101);
    nameInGroup(m_nozzleStart, 10006, 10103);
    m_biStart->setAccessibleDescription(ShellApp::Text(10005));
    m_uniStart->setAccessibleDescription(ShellApp::Text(10003));
    m_nozzleStart->setAccessibleDescription(ShellApp::Text(10007));
    m_help->setAccessibleName(ShellApp::Text(10100));

    connect(m_media, &COwnerDrawCombo::SelectionPicked, this, &CAutoAdjustmentPage::OnMediaPicked);
    connect(m_thickness, &QLineEdit::textEdited, this, &CAutoAdjustmentPage::OnThicknessEdited);
    connect(m_platen, &QComboBox::currentIndexChanged, this,
            &CAutoAdjustmentPage::OnPlatenPicked);
    for (int i = 0; i < 4; ++i) {
        connect(m_bi[i], &QCheckBox::toggled, this,
                [this, i](bool on) { OnPatternToggled(Direction::Bidirectional, i + 1, on); });
        connect(m_uni[i], &QCheckBox::toggled, this,
                [this, i](bool on) { OnPatternToggled(Direction::Unidirectional, i + 1, on); });
    }
    connect(m_biStart, &QPushButton::clicked, this,
            [this] { StartAlignment(Direction::Bidirectional); });
    connect(m_uniStart, &QPushButton::clicked, this,
            [this] { StartAlignment(Direction::Unidirectional); });
    connect(m_nozzleStart, &QPushButton::clicked, this, &CAutoAdjustmentPage::StartNozzleCheck);
    connect(m_help, &QPushButton::clicked, this,
            [this] { ShellApp::OpenManual(MainWindow(), kPageIndex, kHelpTopic); });

    Mirror(true);
}

CAutoAdjustmentPage::~CAutoAdjustmentPage() = default;

QCheckBox* CAutoAdjustmentPage::PatternBox(Direction direction, int pattern) const {
    if (pattern < 1 || pattern > 4) return nullptr;
    return direction == Direction::Bidirectional ? m_bi[pattern - 1] : m_uni[pattern - 1];
}

QPushButton* CAutoAdjustmentPage::StartButton(Direction direction) const {
    return direction == Direction::Bidirectional ? m_biStart : m_uniStart;
}

bool CAutoAdjustmentPage::OnPageShow() {
    const std::string printer = ShellApp::PrinterName().toStdString();
    const auto driver = SelectedMediaDriver();
    bool refilled = false;
    if (printer != m_logic->FilledFor()) {
        const WaitCursorScope cursor;
        CBusyDialogIndicator busy(MainWindow());
        refilled = m_logic->Activate(printer, *driver, busy);
    } else {
        m_logic->Refresh(*driver);
    }
    Mirror(refilled);
    if (ShellApp::Mode() == CPlotcareApp::kModeReview) ReviewMessages();
    return true;
}

void CAutoAdjustmentPage::OnDriverSettingsChanged() {
    const auto driver = SelectedMediaDriver();
    m_logic->Refresh(*driver);
    Mirror(false);
}

void CAutoAdjustmentPage::OnMediaPicked(int index) {
    const auto driver = SelectedMediaDriver();
    m_logic->SelectMedia(index, *driver);
    Mirror(false);
}

void CAutoAdjustmentPage::OnThicknessEdited(const QString& text) {
    const QString cleaned = QString::fromStdString(m_logic->TypeThickness(text.toStdString()));
    if (cleaned != text) {
        m_thickness->setText(cleaned);
        m_thickness->setCursorPosition(static_cast<int>(cleaned.size()));
    }
    MirrorPlaten();
    UpdateStartButtons();
}

void CAutoAdjustmentPage::OnPlatenPicked(int index) {
    m_logic->SelectPlaten(index);
}

void CAutoAdjustmentPage::OnPatternToggled(Direction direction, int pattern, bool checked) {
    m_logic->SetPattern(direction, pattern, checked);
    UpdateStartButtons();
}

void CAutoAdjustmentPage::Mirror(bool refilled) {
    MirrorMedia(refilled);
    const CAlignmentMediaChoice& choice = m_logic->Choice();
    const QString thickness = QString::fromStdString(choice.ThicknessText());
    if (m_thickness->text() != thickness) m_thickness->setText(thickness);
    m_thickness->setReadOnly(choice.ThicknessReadOnly());
    MirrorPlaten();
    UpdateStartButtons();
}

void CAutoAdjustmentPage::MirrorMedia(bool refilled) {
    const auto& items = m_logic->Choice().MediaItems();
    const QSignalBlocker block(m_media);
    if (refilled || m_media->Count() != static_cast<int>(items.size())) {
        m_media->ResetContent();
        for (const auto& item : items) {
            const QString text = item.textId >= 0 ? ShellApp::Text(item.textId)
                                                  : QString::fromStdString(item.name);
            m_media->AddItem(text, item.data);
        }
    } else {
        for (std::size_t i = 0; i < items.size(); ++i)
            m_media->SetItemMark(static_cast<int>(i), items[i].data & MediaTypeList::kUnavailable);
    }
    m_media->SetSelection(m_logic->Choice().MediaIndex());
}

void CAutoAdjustmentPage::MirrorPlaten() {
    const CAlignmentMediaChoice& choice = m_logic->Choice();
    const QSignalBlocker block(m_platen);
    m_platen->clear();
    for (const auto& item : choice.PlatenItems())
        m_platen->addItem(ShellApp::Text(item.textId), item.value);
    m_platen->setCurrentIndex(choice.PlatenIndex());
    m_platen->setEnabled(choice.PlatenEnabled());
}

void CAutoAdjustmentPage::UpdateStartButtons() {
    m_biStart->setEnabled(m_logic->StartEnabled(Direction::Bidirectional));
    m_uniStart->setEnabled(m_logic->StartEnabled(Direction::Unidirectional));
    m_nozzleStart->setEnabled(true);
}

void CAutoAdjustmentPage::StartAlignment(Direction direction) {
    if (m_busy) return;
    m_busy = true;
    const auto done = qScopeGuard([this] { m_busy = false; });
    CPrinterLink link(ShellApp::BidiLibrary());
    CBusyDialog readyWait(ShellApp::Text(0), MainWindow());
    CBusyDialogIndicator busy(MainWindow());
    const auto driver = SelectedMediaDriver();
    const bool wait = ShellApp::Mode() != CPlotcareApp::kModeReview;
    const auto outcome = m_logic->StartAlignment(direction, link, ShellApp::SelectedPrinter(),
                                                 *driver, &readyWait, wait, busy);
    ShowOutcome(outcome);
}

void CAutoAdjustmentPage::StartNozzleCheck() {
    if (m_busy) return;
    m_busy = true;
    const auto done = qScopeGuard([this] { m_busy = false; });
    CPrinterLink link(ShellApp::BidiLibrary());
    CBusyDialog readyWait(ShellApp::Text(0), MainWindow());
    CBusyDialogIndicator busy(MainWindow());
    const bool wait = ShellApp::Mode() != CPlotcareApp::kModeReview;
    const auto outcome =
        m_logic->StartNozzleCheck(link, ShellApp::SelectedPrinter(), &readyWait, wait, busy);
    ShowOutcome(outcome);
}

void CAutoAdjustmentPage::ShowOutcome(CAutoAdjustment::Outcome outcome) {
    const CAutoAdjustment::Message message = CAutoAdjustment::MessageFor(outcome);
    if (message.text < 0) return;
    ShowMessage(ShellApp::Text(message.text), message.icon, MessageButtons::Ok, MainWindow());
}

// Review mode: each result message in turn.
void CAutoAdjustmentPage::ReviewMessages() {
    for (const CAutoAdjustment::Message& m : CAutoAdjustment::ReviewMessages())
        ShowMessage(ShellApp::Text(m.text), m.icon, MessageButtons::Ok, MainWindow());
}

void CAutoAdjustmentPage::paintEvent(QPaintEvent* event) {
    CPage::paintEvent(event);
    QPainter p(this);
    p.setPen(QPen(kFrameColour, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(kFrame);
}
