#pragma once

#include "sampleprint/CSampleDetailDialog.h"

class CRangeScale;
class QLabel;
class QLineEdit;
struct CustomFileRecord;
struct CustomPaperSlot;

// Paper Feed Detail: a range of feed adjustment values, chosen on the range
// scale or typed as minimum and maximum, sampled at up to five points, one
// sheet each, so that the custom paper's Forward value can be judged.
class CPaperFeedDetailDialog : public CSampleDetailDialog {
    Q_OBJECT
public:
    static constexpr int kHeading = 1081;
    static constexpr int kMinLabel = 1157;
    static constexpr int kMaxLabel = 1158;
    static constexpr int kScale = 1030;
    static constexpr int kMinEdit = 1022;
    static constexpr int kMaxEdit = 1024;
    static constexpr int kLowEndMark = 1116;
    static constexpr int kHighEndMark = 1117;
    static constexpr int kUnitLabel = 1118;
    static constexpr int kPointsHeading = 1159;
    static constexpr int kPointsLabel = 1154;
    static constexpr int kRangeEnd = 70;

    CPaperFeedDetailDialog(QWidget* parent, CPlotcareApp& app, const CustomPaperSlot* record);
    CPaperFeedDetailDialog(QWidget* parent, CPlotcareApp& app, const CustomFileRecord* record);

    SamplePlan BuildPlan() const override;

    CRangeScale* Scale() const { return m_scale; }
    QLineEdit* MinEdit() const { return m_minEdit; }
    QLineEdit* MaxEdit() const { return m_maxEdit; }
    QLabel* PointsLabel() const { return m_points; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CPaperFeedDetailDialog(QWidget* parent, CPlotcareApp& app, const SampleRecord& record);
    // Cleans what is typed into an edit (a drag writes its values itself).
    void CleanTyped(QLineEdit* edit);
    // Puts an edit's value on the scale: the minimum edit moves the "min"
    // thumb, the maximum edit the "max" thumb.
    void ApplyEdit(QLineEdit* edit);
    void RefreshPoints();
    int EditValue(const QLineEdit* edit) const;

    CRangeScale* m_scale = nullptr;
    QLineEdit* m_minEdit = nullptr;
    QLineEdit* m_maxEdit = nullptr;
    QLabel* m_points = nullptr;
};
