#include "maintenance/CManualAlignmentPage.h"

#include "app/CInkChipImages.h"
#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/CSharedObjects.h"
#include "app/ControlHelpers.h"
#include "app/ShellApp.h"
#include "comm/CPrinterLink.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CDigitEdit.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/COwnerDrawCombo.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/CBusyDialogIndicator.h"
#include "maintenance/SelectedMediaDriver.h"
#include "platform/MessagePresenter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

using MA = CManualAlignment;

// Rows of the grid: check box on the left, one edit under each ink chip.
constexpr int kGridTop = 116;
constexpr int kRowStep = 32;
constexpr int kRowHeight = 24;
constexpr int kCellWidth = 32;

struct OffsetRow {
    int id;
    ControlRect rect;
    int textOffset; // from the page's text base; -1: no text
};

// Everything but the grid edits; the check boxes' rows follow kGridTop.
const OffsetRow kControls[] = {
    {CManualAlignmentPage::kMediaLabel, {20, 17, 128, 35}, 2},
    {CManualAlignmentPage::kMediaList, {132, 14, 412, 36}, -1},
    {CManualAlignmentPage::kThicknessLabel, {20, 49, 128, 67}, 3},
    {CManualAlignmentPage::kThicknessEdit, {132, 46, 168, 68}, -1},
    {CManualAlignmentPage::kUnitLabel, {173, 49, 240, 67}, 4},
    {CManualAlignmentPage::kPlatenLabel, {268, 49, 352, 67}, 5},
    {CManualAlignmentPage::kPlatenList, {356, 46, 510, 68}, -1},
    {CManualAlignmentPage::kDotSizeLabel, {20, 88, 100, 106}, 10},
    {CManualAlignmentPage::kHelpButton, {11, 266, 124, 290}, 100},
    {CManualAlignmentPage::kPrintButton, {364, 266, 474, 290}, 101},
    {CManualAlignmentPage::kSaveButton, {480, 266, 590, 290}, 102},
};
constexpr int kRowTextOffset = 6;
// The frame around the grid.
constexpr QRect kGridFrame{8, 78, 585, 168};

int CellId(const MA::Kind& kind, int row, int column) {
    return kind.direction == MA::Direction::Bidirectional
               ? CManualAlignmentPage::kBidirectionalCells[row][column]
               : CManualAlignmentPage::kUnidirectionalCells[row][column];
}

ControlRect CellRect(const MA::Kind& kind, int row, int column) {
    const int left = kind.headerLeft + kind.headerStep * column + (38 - kCellWidth) / 2;
    const int top = kGridTop + kRowStep * row;
    return {left, top, left + kCellWidth, top + kRowHeight};
}

ControlRect RowCheckRect(int row) {
    const int top = kGridTop + kRowStep * row;
    return {24, top, 96, top + kRowHeight};
}

bool ReviewMode() {
    return ShellApp::Mode() == CPlotcareApp::kModeReview;
}

void ShowMessageOf(const MA::Message& message, QWidget* owner) {
    ShowMessage(ShellApp::Text(message.text),
                message.warning ? MessageIcon::Warning : MessageIcon::Information,
                MessageButtons::Ok, owner);
}

} // namespace

CManualAlignmentPage::CManualAlignmentPage(CManualAlignment::Direction direction,
                                           CMainWindow* mainWindow)
    : CPage(MA::KindOf(direction).pageIndex, mainWindow), m_alignment(MA::KindOf(direction)) {
    resize(600, kPageHeight);
    BuildControls();
    MirrorThicknessAndPlaten();
    MirrorGrid();
    EnableRows();
}

CManualAlignmentPage::~CManualAlignmentPage() = default;

void CManualAlignmentPage::BuildControls() {
    const MA::Kind& kind = m_alignment.GetKind();
    auto label = [this](int id) {
        auto* l = new QLabel(this);
        SetControlId(l, id);
        return l;
    };
    QLabel* mediaLabel = label(kMediaLabel);
    m_mediaList = new COwnerDrawCombo(this);
    SetControlId(m_mediaList, kMediaList);
    QLabel* thicknessLabel = label(kThicknessLabel);
    m_thickness = new QLineEdit(this);
    SetControlId(m_thickness, kThicknessEdit);
    QLabel* unitLabel = label(kUnitLabel);
    QLabel* platenLabel = label(kPlatenLabel);
    m_platenList = new QComboBox(this);
    SetControlId(m_platenList, kPlatenList);
    QLabel* dotSizeLabel = label(kDotSizeLabel);
    for (int r = 0; r < MA::kRows; ++r) {
        m_rowChecks[r] = new QCheckBox(this);
        SetControlId(m_rowChecks[r], kFirstRowCheck + r);
        for (int c = 0; c < kind.columns; ++c) {
            // One pattern number 1..9; an emptied cell gets its last value back.
            auto* cell = new CDigitEdit(this);
            cell->setAlignment(Qt::AlignCenter);
            SetControlId(cell, CellId(kind, r, c));
            m_cells[r][c] = cell;
        }
    }
    m_help = new QPushButton(this);
    SetControlId(m_help, kHelpButton);
    m_print = new QPushButton(this);
    SetControlId(m_print, kPrintButton);
    m_save = new QPushButton(this);
    SetControlId(m_save, kSaveButton);
    for (QPushButton* b : {m_help, m_print, m_save})
        b->setAutoDefault(false);

    std::vector<int> ids;
    std::vector<ControlRect> rects;
    std::vector<int> texts;
    for (const OffsetRow& row : kControls) {
        ids.push_back(row.id);
        rects.push_back(row.rect);
        texts.push_back(row.textOffset < 0 ? -1 : kind.textBase + row.textOffset);
    }
    for (int r = 0; r < MA::kRows; ++r) {
        ids.push_back(kFirstRowCheck + r);
        rects.push_back(RowCheckRect(r));
        texts.push_back(kind.textBase + kRowTextOffset + r);
        for (int c = 0; c < kind.columns; ++c) {
            ids.push_back(CellId(kind, r, c));
            rects.push_back(CellRect(kind, r, c));
            texts.push_back(-1);
        }
    }
    const int count = static_cast<int>(ids.size());
    ApplyLayout(this, ids.data(), rects.data(), count);
    ApplyFonts(this, ids.data(), texts.data(), count);
    ApplyTexts(this, ids.data(), texts.data(), count);

    // Tab follows the page from top to bottom, each row left to right.
    QList<QWidget*> order{m_mediaList, m_thickness, m_platenList};
    for (int r = 0; r < MA::kRows; ++r) {
        order << m_rowChecks[r];
        for (int c = 0; c < kind.columns; ++c)
            order << m_cells[r][c];
    }
    order << m_help << m_print << m_save;
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Names for assistive tools: a box by its label; a row's check box and
    // cells by the "dotsize" label, the row and the column's number.
    m_mediaList->SetAccessibleLabel(mediaLabel);
    NameControl(m_thickness, thicknessLabel);
    m_thickness->setAccessibleName(m_thickness->accessibleName() + QLatin1Char(' ') +
                                   unitLabel->text());
    NameControl(m_platenList, platenLabel);
    const QString dotSize = AccessibleNameFromLabel(dotSizeLabel->text());
    for (int r = 0; r < MA::kRows; ++r) {
        const QString rowName = m_rowChecks[r]->text();
        m_rowChecks[r]->setAccessibleName(dotSize + QLatin1Char(' ') + rowName);
        for (int c = 0; c < kind.columns; ++c)
            m_cells[r][c]->setAccessibleName(
                QStringLiteral("%1 %2, %3").arg(dotSize, rowName).arg(c + 1));
    }
    for (QPushButton* b : {m_help, m_print, m_save})
        b->setAccessibleName(AccessibleNameFromLabel(b->text()));

    connect(m_mediaList, &COwnerDrawCombo::SelectionPicked, this,
            &CManualAlignmentPage::OnMediaPicked);
    connect(m_thickness, &QLineEdit::textEdited, this, &CManualAlignmentPage::OnThicknessEdited);
    connect(m_platenList, qOverload<int>(&QComboBox::activated), this,
            &CManualAlignmentPage::OnPlatenPicked);
    for (int r = 0; r < MA::kRows; ++r)
        connect(m_rowChecks[r], &QCheckBox::toggled, this,
                [this, r](bool on) { OnRowToggled(r, on); });
    connect(m_print, &QPushButton::clicked, this, [this] { RunAction(MA::Action::Print); });
    connect(m_save, &QPushButton::clicked, this, [this] { RunAction(MA::Action::Save); });
    connect(m_help, &QPushButton::clicked, this, [this] {
        ShellApp::OpenManual(MainWindow(), m_alignment.GetKind().pageIndex, kHelpTopic);
    });
}

QCheckBox* CManualAlignmentPage::RowCheck(int row) const {
    return row >= 0 && row < MA::kRows ? m_rowChecks[row] : nullptr;
}

CDigitEdit* CManualAlignmentPage::Cell(int row, int column) const {
    if (row < 0 || row >= MA::kRows || column < 0 || column >= m_alignment.Columns())
        return nullptr;
    return m_cells[row][column];
}

const CMediaTable& CManualAlignmentPage::Table() const {
    static const CMediaTable empty;
    CSharedObjects* shared = CSharedObjects::Current();
    return shared && shared->mediaTable ? *shared->mediaTable : empty;
}

std::vector<int> CManualAlignmentPage::HeaderImages() const {
    const MA::Kind& kind = m_alignment.GetKind();
    const CSharedObjects* shared = CSharedObjects::Current();
    std::vector<int> images(static_cast<std::size_t>(kind.columns), -1);
    if (!shared || !shared->inkChips) return images;
    for (int c = 0; c < kind.columns; ++c)
        images[static_cast<std::size_t>(c)] =
            shared->inkChips->ImageIndexForColumn(c + kind.headerImageOffset);
    return images;
}

void CManualAlignmentPage::paintEvent(QPaintEvent* event) {
    CPage::paintEvent(event);
    QPainter p(this);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(kGridFrame);
    const CSharedObjects* shared = CSharedObjects::Current();
    if (!shared || !shared->inkChips) return;
    const MA::Kind& kind = m_alignment.GetKind();
    for (int c = 0; c < kind.columns; ++c)
        shared->inkChips->DrawColumn(p,
                                     QPoint(kind.headerLeft + kind.headerStep * c, kind.headerTop),
                                     c + kind.headerImageOffset);
}

// --- logic -> controls -------------------------------------------------------

void CManualAlignmentPage::MirrorMedia() {
    const QSignalBlocker block(m_mediaList);
    m_mediaList->ResetContent();
    for (const auto& item : m_alignment.Media().MediaItems()) {
        const QString text = item.textId >= 0 ? ShellApp::Text(item.textId)
                                              : QString::fromStdString(item.name);
        m_mediaList->AddItem(text, item.data);
    }
    m_mediaList->SetSelection(m_alignment.Media().MediaIndex());
}

void CManualAlignmentPage::MirrorThicknessAndPlaten() {
    m_mirroring = true;
    const CAlignmentMediaChoice& media = m_alignment.Media();
    const QString thickness = QString::fromStdString(media.ThicknessText());
    if (m_thickness->text() != thickness) m_thickness->setText(thickness);
    m_thickness->setReadOnly(media.ThicknessReadOnly());
    m_platenList->clear();
    for (const auto& item : media.PlatenItems())
        m_platenList->addItem(ShellApp::Text(item.textId), item.value);
    m_platenList->setCurrentIndex(media.PlatenIndex());
    m_platenList->setEnabled(media.PlatenEnabled());
    m_mirroring = false;
}

void CManualAlignmentPage::MirrorGrid() {
    for (int r = 0; r < MA::kRows; ++r)
        for (int c = 0; c < m_alignment.Columns(); ++c)
            m_cells[r][c]->SetValue(m_alignment.Value(r, c));
}

void CManualAlignmentPage::EnableRows() {
    for (int r = 0; r < MA::kRows; ++r)
        for (int c = 0; c < m_alignment.Columns(); ++c)
            m_cells[r][c]->setEnabled(m_alignment.RowEnabled(r));
    const bool enabled = m_alignment.ActionsEnabled(Table());
    m_print->setEnabled(enabled);
    m_save->setEnabled(enabled);
}

// --- operator input ----------------------------------------------------------

void CManualAlignmentPage::OnMediaPicked(int index) {
    if (m_mirroring) return;
    const auto driver = SelectedMediaDriver();
    if (!m_alignment.SelectMedia(index, *driver)) {
        // An unavailable item never stays the choice.
        const QSignalBlocker block(m_mediaList);
        m_mediaList->SetSelection(m_alignment.Media().MediaIndex());
        return;
    }
    MirrorThicknessAndPlaten();
    EnableRows();
}

void CManualAlignmentPage::OnThicknessEdited(const QString& text) {
    if (m_mirroring) return;
    const QString cleaned =
        QString::fromStdString(m_alignment.Media().SetThicknessText(text.toStdString()));
    if (cleaned != text) {
        m_thickness->setText(cleaned);
        m_thickness->setCursorPosition(static_cast<int>(cleaned.size()));
    }
    MirrorThicknessAndPlaten();
    EnableRows();
}

void CManualAlignmentPage::OnPlatenPicked(int index) {
    if (m_mirroring) return;
    m_alignment.Media().SelectPlaten(index);
}

void CManualAlignmentPage::OnRowToggled(int row, bool checked) {
    m_alignment.SetRowChecked(row, checked);
    EnableRows();
}

void CManualAlignmentPage::Block(bool blocking) {
    if (blocking) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // The page takes no input while the printer starts on the job.
        m_focusBeforeBlock = QApplication::focusWidget();
        setEnabled(false);
    } else {
        setEnabled(true);
        if (m_focusBeforeBlock && isAncestorOf(m_focusBeforeBlock) &&
            m_focusBeforeBlock->isEnabled())
            m_focusBeforeBlock->setFocus();
        m_focusBeforeBlock = nullptr;
        QApplication::restoreOverrideCursor();
    }
}

void CManualAlignmentPage::RunAction(CManualAlignment::Action action) {
    for (int r = 0; r < MA::kRows; ++r)
        for (int c = 0; c < m_alignment.Columns(); ++c)
            m_alignment.SetValue(r, c, m_cells[r][c]->Value());
    CPrinterLink link(ShellApp::BidiLibrary());
    CBusyDialog readyDialog(ShellApp::Text(0), MainWindow());
    const auto driver = SelectedMediaDriver();
    const MA::Target target{link,          ShellApp::SelectedPrinter(),
                            !ReviewMode(), &readyDialog,
                            Table(),       [&driver] { return driver->DriverKind(); }};
    const MA::Outcome outcome = m_alignment.Run(action, target, [this](bool on) { Block(on); });
    if (outcome == MA::Outcome::Sent) MirrorGrid();
    ShowMessageOf(MA::MessageFor(action, outcome), MainWindow());
}

// --- page notifications ------------------------------------------------------

bool CManualAlignmentPage::OnPageShow() {
    const MA::Kind& kind = m_alignment.GetKind();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CBusyDialogIndicator busy(MainWindow());
    busy.Begin(kind.textBase, MA::kActivationTimeoutMs, false);
    busy.Poll();
    const std::string printer = ShellApp::SelectedPrinter();
    if (printer != m_filledFor) {
        m_filledFor = printer;
        m_alignment.FillMedia(*SelectedMediaDriver(), Table());
        busy.Poll();
        MirrorMedia();
        MirrorThicknessAndPlaten();
        EnableRows();
        if (CSharedObjects* shared = CSharedObjects::Current(); shared && shared->inkChips) {
            CPrinterLink link(ShellApp::BidiLibrary());
            shared->inkChips->SetInkCount(MA::ReadInkCount(link, printer));
        }
        update();
    } else {
        Refresh();
    }
    busy.End();
    QApplication::restoreOverrideCursor();
    if (ReviewMode())
        for (const MA::Message& message : MA::kReviewMessages)
            ShowMessageOf(message, MainWindow());
    return true;
}

void CManualAlignmentPage::OnPageLeave() {
    // Values printed but not saved do not stay in the printer.
    if (!ReviewMode()) MA::SendLeaveJob(ShellApp::SelectedPrinter());
}

void CManualAlignmentPage::OnDriverSettingsChanged() {
    Refresh();
}

void CManualAlignmentPage::Refresh() {
    m_alignment.RefreshMedia(*SelectedMediaDriver(), Table());
    MirrorMedia();
    MirrorThicknessAndPlaten();
    EnableRows();
}
