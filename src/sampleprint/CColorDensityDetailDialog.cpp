#include "sampleprint/CColorDensityDetailDialog.h"

#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "base/NumberText.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CNumberTextRule.h"
#include "sampleprint/CSampleImageChoice.h"

#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace {

using Dialog = CColorDensityDetailDialog;

constexpr int kCaption = 50400;

const ControlRow kRows[] = {
    {Dialog::kHeading, {15, 12, 381, 30}, 50401},
    {Dialog::kSlider, {15, 38, 300, 62}, -1},
    {Dialog::kEdit, {310, 40, 370, 60}, -1},
    {Dialog::kLowEndMark, {15, 64, 65, 80}, 50405},
    {Dialog::kHighEndMark, {250, 64, 300, 80}, 50406},
    {Dialog::kUnitLabel, {310, 64, 381, 80}, 50407},
    {CSampleDetailDialog::kSampleButton, {261, 96, 381, 122}, 50451},
    {CSampleImageChoice::kGroupBox, {15, 134, 381, 236}, 50402},
    {CSampleImageChoice::kStandardRadio, {30, 154, 366, 174}, 50403},
    {CSampleImageChoice::kUserRadio, {30, 178, 366, 198}, 50404},
    {CSampleImageChoice::kFileLabel, {48, 204, 270, 224}, -1},
    {CSampleImageChoice::kBrowseButton, {280, 200, 366, 226}, 50452},
    {CSampleDetailDialog::kHelpButton, {15, 250, 110, 276}, 50453},
    {CSampleDetailDialog::kCloseButton, {286, 250, 381, 276}, 50450},
};

} // namespace

CColorDensityDetailDialog::CColorDensityDetailDialog(QWidget* parent, CPlotcareApp& app,
                                                     const CustomFileRecord* record)
    : CSampleDetailDialog(parent, app, SampleRecord{nullptr, record},
                          Form{SampleDialog::ColorDensity, kCaption, QSize(396, 288), 5, 3, 5, 3}) {
    QLabel* heading = AddLabel(kHeading);
    m_slider = new QSlider(Qt::Horizontal, this);
    SetControlId(m_slider, kSlider);
    m_slider->setRange(-kRangeEnd, kRangeEnd);
    m_slider->setPageStep(10);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_slider->setTickInterval(10);
    m_edit = new QLineEdit(this);
    SetControlId(m_edit, kEdit);
    m_edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    AddLabel(kLowEndMark);
    AddLabel(kHighEndMark, Qt::AlignRight | Qt::AlignVCenter);
    QLabel* unit = AddLabel(kUnitLabel);
    CreateCommonControls();
    ApplyForm(kRows, static_cast<int>(std::size(kRows)));

    // Always from 0, whatever the record holds.
    m_slider->setValue(0);
    m_edit->setText(QStringLiteral("0"));

    NameControl(m_slider, heading);
    NameControl(m_edit, heading->text() + QLatin1Char(' ') + unit->text());

    connect(m_edit, &QLineEdit::textEdited, this, &CColorDensityDetailDialog::EditTyped);
    connect(m_slider, &QSlider::valueChanged, this, [this](int value) {
        if (!m_editMovesSlider) m_edit->setText(QString::number(value));
    });
}

SamplePlan CColorDensityDetailDialog::BuildPlan() const {
    return ColorDensityPlan(Record().file, m_slider->value(), Texts(), MediaNames());
}

void CColorDensityDetailDialog::EditTyped() {
    const QString clean = NormalizeNumberText(m_edit->text(), -kRangeEnd, kRangeEnd, false);
    if (clean != m_edit->text()) {
        m_edit->setText(clean);
        m_edit->end(false);
    }
    if (m_edit->text().isEmpty()) return;
    m_editMovesSlider = true;
    m_slider->setValue(CNumberTextRule::Read(m_edit->text()));
    m_editMovesSlider = false;
}
