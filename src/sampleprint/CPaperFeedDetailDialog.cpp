#include "sampleprint/CPaperFeedDetailDialog.h"

#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "base/NumberText.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CNumberTextRule.h"
#include "sampleprint/CRangeScale.h"
#include "sampleprint/CSampleImageChoice.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

using Dialog = CPaperFeedDetailDialog;

constexpr int kCaption = 50500;

const ControlRow kRows[] = {
    {Dialog::kHeading, {15, 12, 381, 30}, 50501},
    {Dialog::kMinLabel, {15, 37, 56, 55}, 50505},
    {Dialog::kScale, {60, 36, 300, 76}, -1},
    {Dialog::kMaxLabel, {15, 57, 56, 75}, 50506},
    {Dialog::kMinEdit, {310, 36, 370, 55}, -1},
    {Dialog::kMaxEdit, {310, 57, 370, 76}, -1},
    {Dialog::kLowEndMark, {60, 80, 110, 96}, 50507},
    {Dialog::kHighEndMark, {250, 80, 300, 96}, 50508},
    {Dialog::kUnitLabel, {310, 80, 381, 96}, 50509},
    {Dialog::kPointsHeading, {15, 108, 381, 126}, 50510},
    {Dialog::kPointsLabel, {30, 130, 381, 148}, -1},
    {CSampleDetailDialog::kSampleButton, {261, 160, 381, 186}, 50551},
    {CSampleImageChoice::kGroupBox, {15, 196, 381, 298}, 50502},
    {CSampleImageChoice::kStandardRadio, {30, 216, 366, 236}, 50503},
    {CSampleImageChoice::kUserRadio, {30, 240, 366, 260}, 50504},
    {CSampleImageChoice::kFileLabel, {48, 266, 270, 286}, -1},
    {CSampleImageChoice::kBrowseButton, {280, 262, 366, 288}, 50552},
    {CSampleDetailDialog::kHelpButton, {15, 310, 110, 336}, 50553},
    {CSampleDetailDialog::kCloseButton, {286, 310, 381, 336}, 50550},
};

QLineEdit* MakeEdit(QWidget* parent, int id) {
    auto* edit = new QLineEdit(parent);
    SetControlId(edit, id);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

} // namespace

CPaperFeedDetailDialog::CPaperFeedDetailDialog(QWidget* parent, CPlotcareApp& app,
                                               const CustomPaperSlot* record)
    : CPaperFeedDetailDialog(parent, app, SampleRecord{record, nullptr}) {}

CPaperFeedDetailDialog::CPaperFeedDetailDialog(QWidget* parent, CPlotcareApp& app,
                                               const CustomFileRecord* record)
    : CPaperFeedDetailDialog(parent, app, SampleRecord{nullptr, record}) {}

CPaperFeedDetailDialog::CPaperFeedDetailDialog(QWidget* parent, CPlotcareApp& app,
                                               const SampleRecord& record)
    : CSampleDetailDialog(parent, app, record,
                          Form{SampleDialog::PaperFeed, kCaption, QSize(396, 348), 3, 2, 5, 4}) {
    // Created in focus order: the scale, the two edits, then the shared
    // controls.
    QLabel* heading = AddLabel(kHeading);
    QLabel* minLabel = AddLabel(kMinLabel);
    QLabel* maxLabel = AddLabel(kMaxLabel);
    m_scale = new CRangeScale(this);
    SetControlId(m_scale, kScale);
    m_minEdit = MakeEdit(this, kMinEdit);
    m_maxEdit = MakeEdit(this, kMaxEdit);
    AddLabel(kLowEndMark);
    AddLabel(kHighEndMark, Qt::AlignRight | Qt::AlignVCenter);
    AddLabel(kUnitLabel);
    QLabel* pointsHeading = AddLabel(kPointsHeading);
    m_points = AddLabel(kPointsLabel);
    CreateCommonControls();
    ApplyForm(kRows, static_cast<int>(std::size(kRows)));

    m_scale->SetRange(kRangeEnd, -kRangeEnd);
    m_maxEdit->setText(QString::number(kRangeEnd));
    m_minEdit->setText(QString::number(-kRangeEnd));
    RefreshPoints();

    NameControl(m_scale, heading);
    m_scale->SetThumbNames(AccessibleNameFromLabel(minLabel->text()),
                           AccessibleNameFromLabel(maxLabel->text()));
    NameControl(m_minEdit, minLabel);
    NameControl(m_maxEdit, maxLabel);
    NameControl(m_points, pointsHeading->text());

    connect(m_scale, &CRangeScale::MinChanged, this, [this](int value) {
        m_minEdit->setText(QString::number(value));
        RefreshPoints();
    });
    connect(m_scale, &CRangeScale::MaxChanged, this, [this](int value) {
        m_maxEdit->setText(QString::number(value));
        RefreshPoints();
    });
    for (QLineEdit* edit : {m_minEdit, m_maxEdit}) {
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { CleanTyped(edit); });
        edit->installEventFilter(this);
    }
}

SamplePlan CPaperFeedDetailDialog::BuildPlan() const {
    return PaperFeedPlan(Record(), EditValue(m_minEdit), EditValue(m_maxEdit), Texts(), MediaNames());
}

bool CPaperFeedDetailDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = watched == m_minEdit ? m_minEdit : watched == m_maxEdit ? m_maxEdit : nullptr;
    if (edit && !IsSampleRunning()) {
        if (event->type() == QEvent::FocusOut) {
            ApplyEdit(edit);
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ApplyEdit(edit);
                return true;
            }
        }
    }
    return CSampleDetailDialog::eventFilter(watched, event);
}

void CPaperFeedDetailDialog::CleanTyped(QLineEdit* edit) {
    if (m_scale->IsDragging()) return;
    const QString clean = NormalizeNumberText(edit->text(), -kRangeEnd, kRangeEnd, true);
    if (clean != edit->text()) edit->setText(clean);
}

void CPaperFeedDetailDialog::ApplyEdit(QLineEdit* edit) {
    const bool isMax = edit == m_maxEdit;
    const int which = isMax ? CRangeScale::kMaxThumb : CRangeScale::kMinThumb;
    m_scale->SetThumb(which, EditValue(edit), true);
    // An edit left empty, or with a sign alone, shows the value it stands for.
    if (!CNumberTextRule(-kRangeEnd, kRangeEnd, true).ValidValue(edit->text()))
        edit->setText(QString::number(isMax ? m_scale->UpperValue() : m_scale->LowerValue()));
    RefreshPoints();
}

void CPaperFeedDetailDialog::RefreshPoints() {
    m_points->setText(QString::fromStdString(
        FeedPointsText(FeedSamplePoints(EditValue(m_minEdit), EditValue(m_maxEdit)))));
}

int CPaperFeedDetailDialog::EditValue(const QLineEdit* edit) const {
    return CNumberTextRule::Read(edit->text());
}
