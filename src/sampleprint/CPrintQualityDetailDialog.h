#pragma once

#include "sampleprint/CSampleDetailDialog.h"

#include <array>

class QCheckBox;
struct CustomFileRecord;

// Print Quality Detail: one sample sheet of a custom file setting per
// print mode ticked, among the modes the media table offers for the
// setting's media.
class CPrintQualityDetailDialog : public CSampleDetailDialog {
    Q_OBJECT
public:
    static constexpr int kHeading = 1150;
    static constexpr int kFirstModeBox = 1162; // mode m: 1161 + m
    static constexpr int kModeCount = 4;

    CPrintQualityDetailDialog(QWidget* parent, CPlotcareApp& app, const CustomFileRecord* record);

    SamplePlan BuildPlan() const override;

    // Mode 1 .. 4.
    QCheckBox* ModeBox(int mode) const { return m_modes.at(static_cast<std::size_t>(mode - 1)); }

private:
    void EnableSample();

    std::array<QCheckBox*, kModeCount> m_modes{};
};
