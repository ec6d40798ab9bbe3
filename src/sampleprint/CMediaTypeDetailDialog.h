#pragma once

#include "sampleprint/CSampleDetailDialog.h"

class CGreyCheckList;
struct CustomFileRecord;
struct CustomPaperSlot;

// Media Type Detail: the custom paper's settings printed once for each
// media type ticked, so that the base media that suits the paper best can
// be chosen. The list holds the driver's media that custom paper can use, in
// the media table's display order; with driver kind 2 the media the table
// excludes for that kind are listed greyed.
class CMediaTypeDetailDialog : public CSampleDetailDialog {
    Q_OBJECT
public:
    static constexpr int kHeading = 1095;
    static constexpr int kMediaList = 1154;

    CMediaTypeDetailDialog(QWidget* parent, CPlotcareApp& app, const CustomPaperSlot* record);
    CMediaTypeDetailDialog(QWidget* parent, CPlotcareApp& app, const CustomFileRecord* record);

    SamplePlan BuildPlan() const override;

    CGreyCheckList* MediaList() const { return m_list; }

private:
    CMediaTypeDetailDialog(QWidget* parent, CPlotcareApp& app, const SampleRecord& record);
    void FillList();
    void EnableSample();

    CGreyCheckList* m_list = nullptr;
};
