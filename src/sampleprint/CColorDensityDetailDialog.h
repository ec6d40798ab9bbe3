#pragma once

#include "sampleprint/CSampleDetailDialog.h"

class QLineEdit;
class QSlider;
struct CustomFileRecord;

// Color Density Detail: one sample sheet of a custom file setting at the
// density chosen on a slider or typed (-50 .. 50), always starting at 0.
class CColorDensityDetailDialog : public CSampleDetailDialog {
    Q_OBJECT
public:
    static constexpr int kHeading = 1109;
    static constexpr int kSlider = 1031;
    static constexpr int kEdit = 1033;
    static constexpr int kLowEndMark = 1110;
    static constexpr int kHighEndMark = 1111;
    static constexpr int kUnitLabel = 1157;
    static constexpr int kRangeEnd = 50;

    CColorDensityDetailDialog(QWidget* parent, CPlotcareApp& app, const CustomFileRecord* record);

    SamplePlan BuildPlan() const override;

    QSlider* Slider() const { return m_slider; }
    QLineEdit* Edit() const { return m_edit; }

private:
    void EditTyped();

    QSlider* m_slider = nullptr;
    QLineEdit* m_edit = nullptr;
    // Set while the edit moves the slider, so that the slider does not write
    // its value back over what is being typed ("-0").
    bool m_editMovesSlider = false;
};
