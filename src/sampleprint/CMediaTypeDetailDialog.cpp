#include "sampleprint/CMediaTypeDetailDialog.h"

#include "app/CPlotcareApp.h"
#include "app/ControlHelpers.h"
#include "custompaper/CGreyCheckList.h"
#include "custompaper/CMediaTable.h"
#include "maintenance/SelectedMediaDriver.h"
#include "sampleprint/CSampleImageChoice.h"

#include <QLabel>
#include <QPushButton>
#include <vector>

namespace {

using Dialog = CMediaTypeDetailDialog;

constexpr int kCaption = 50200;

const ControlRow kRows[] = {
    {Dialog::kHeading, {15, 12, 381, 30}, 50201},
    {Dialog::kMediaList, {15, 34, 381, 182}, -1},
    {CSampleDetailDialog::kSampleButton, {261, 192, 381, 218}, 50251},
    {CSampleImageChoice::kGroupBox, {15, 228, 381, 330}, 50202},
    {CSampleImageChoice::kStandardRadio, {30, 248, 366, 268}, 50203},
    {CSampleImageChoice::kUserRadio, {30, 272, 366, 292}, 50204},
    {CSampleImageChoice::kFileLabel, {48, 298, 270, 318}, -1},
    {CSampleImageChoice::kBrowseButton, {280, 294, 366, 320}, 50252},
    {CSampleDetailDialog::kHelpButton, {15, 338, 110, 364}, 50253},
    {CSampleDetailDialog::kCloseButton, {286, 338, 381, 364}, 50250},
};

} // namespace

CMediaTypeDetailDialog::CMediaTypeDetailDialog(QWidget* parent, CPlotcareApp& app,
                                               const CustomPaperSlot* record)
    : CMediaTypeDetailDialog(parent, app, SampleRecord{record, nullptr}) {}

CMediaTypeDetailDialog::CMediaTypeDetailDialog(QWidget* parent, CPlotcareApp& app,
                                               const CustomFileRecord* record)
    : CMediaTypeDetailDialog(parent, app, SampleRecord{nullptr, record}) {}

CMediaTypeDetailDialog::CMediaTypeDetailDialog(QWidget* parent, CPlotcareApp& app,
                                               const SampleRecord& record)
    : CSampleDetailDialog(parent, app, record,
                          Form{SampleDialog::MediaType, kCaption, QSize(396, 372), 3, 1, 5, 1}) {
    QLabel* heading = AddLabel(kHeading);
    m_list = new CGreyCheckList(this);
    SetControlId(m_list, kMediaList);
    CreateCommonControls();
    ApplyForm(kRows, static_cast<int>(std::size(kRows)));
    m_list->SetAccessibleLabel(heading);

    FillList();
    connect(m_list, &CGreyCheckList::CheckToggled, this, &CMediaTypeDetailDialog::EnableSample);
    connect(m_list, &QListWidget::currentRowChanged, this, &CMediaTypeDetailDialog::EnableSample);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CMediaTypeDetailDialog::EnableSample);
    EnableSample();
}

void CMediaTypeDetailDialog::FillList() {
    m_list->ResetContent();
    const CMediaTable* table = App().GetMediaTable();
    const MediaTypeList::DriverMedia& media = DriverMedia();
    if (!table || media.empty()) return;
    std::vector<std::uint16_t> ids;
    ids.reserve(media.size());
    for (const auto& entry : media)
        ids.push_back(entry.first);
    table->SortByDisplayOrder(ids.data(), static_cast<int>(ids.size()));

    const bool kind2 = SelectedMediaDriver()->DriverKind() == 2;
    const MediaNameLookup name = MediaNames();
    for (const std::uint16_t id : ids) {
        if (table->FileId(id) == -1) continue;
        const int index = m_list->AddItem(QString::fromStdString(name(id)), id);
        if (kind2 && table->IsKind2Excluded(id)) m_list->EnableItem(index, false);
    }
    m_list->SetSelection(0);
}

SamplePlan CMediaTypeDetailDialog::BuildPlan() const {
    std::vector<SampleMediaChoice> ticked;
    for (int i = 0; i < m_list->Count(); ++i)
        if (m_list->IsChecked(i))
            ticked.push_back({static_cast<std::int32_t>(m_list->ItemData(i)), m_list->ItemText(i).toStdString()});
    return MediaTypePlan(Record(), ticked, Texts(), MediaNames());
}

void CMediaTypeDetailDialog::EnableSample() {
    SampleButton()->setEnabled(m_list->CheckedCount() > 0);
}
