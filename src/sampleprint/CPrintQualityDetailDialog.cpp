#include "sampleprint/CPrintQualityDetailDialog.h"

#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "custompaper/AccessibleLabel.h"
#include "custompaper/CMediaTable.h"
#include "custompaper/CustomFileRecord.h"
#include "sampleprint/CSampleImageChoice.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace {

using Dialog = CPrintQualityDetailDialog;

constexpr int kCaption = 50300;
constexpr int kFirstModeText = 50160;

const ControlRow kRows[] = {
    {Dialog::kHeading, {15, 12, 381, 30}, 50301},
    {Dialog::kFirstModeBox, {30, 38, 366, 58}, kFirstModeText},
    {Dialog::kFirstModeBox + 1, {30, 62, 366, 82}, kFirstModeText + 1},
    {Dialog::kFirstModeBox + 2, {30, 86, 366, 106}, kFirstModeText + 2},
    {Dialog::kFirstModeBox + 3, {30, 110, 366, 130}, kFirstModeText + 3},
    {CSampleDetailDialog::kSampleButton, {261, 144, 381, 170}, 50351},
    {CSampleImageChoice::kGroupBox, {15, 182, 381, 284}, 50302},
    {CSampleImageChoice::kStandardRadio, {30, 202, 366, 222}, 50303},
    {CSampleImageChoice::kUserRadio, {30, 226, 366, 246}, 50304},
    {CSampleImageChoice::kFileLabel, {48, 252, 270, 272}, -1},
    {CSampleImageChoice::kBrowseButton, {280, 248, 366, 274}, 50352},
    {CSampleDetailDialog::kHelpButton, {15, 304, 110, 330}, 50353},
    {CSampleDetailDialog::kCloseButton, {286, 304, 381, 330}, 50350},
};

} // namespace

CPrintQualityDetailDialog::CPrintQualityDetailDialog(QWidget* parent, CPlotcareApp& app,
                                                     const CustomFileRecord* record)
    : CSampleDetailDialog(parent, app, SampleRecord{nullptr, record},
                          Form{SampleDialog::PrintQuality, kCaption, QSize(396, 345), 5, 2, 5, 2}) {
    QLabel* heading = AddLabel(kHeading);
    for (int m = 1; m <= kModeCount; ++m) {
        auto* box = new QCheckBox(this);
        SetControlId(box, kFirstModeBox + m - 1);
        m_modes[static_cast<std::size_t>(m - 1)] = box;
    }
    CreateCommonControls();
    ApplyForm(kRows, static_cast<int>(std::size(kRows)));
    (void)heading;

    // A mode the media table does not offer for the setting's media stays
    // greyed; none is ticked.
    const CMediaTable* table = app.GetMediaTable();
    for (int m = 1; m <= kModeCount; ++m) {
        QCheckBox* box = ModeBox(m);
        box->setEnabled(record && table && table->ModeMw(record->MediaId, m) != -1);
        NameControl(box, box->text());
        connect(box, &QCheckBox::toggled, this, &CPrintQualityDetailDialog::EnableSample);
    }
    EnableSample();
}

SamplePlan CPrintQualityDetailDialog::BuildPlan() const {
    std::vector<int> modes;
    for (int m = 1; m <= kModeCount; ++m)
        if (ModeBox(m)->isChecked()) modes.push_back(m);
    return PrintQualityPlan(Record().file, modes, Texts(), MediaNames());
}

void CPrintQualityDetailDialog::EnableSample() {
    bool any = false;
    for (const QCheckBox* box : m_modes)
        any = any || box->isChecked();
    SampleButton()->setEnabled(any);
}
