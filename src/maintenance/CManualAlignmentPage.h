#pragma once

#include "app/CPage.h"
#include "maintenance/CManualAlignment.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDigitEdit;
class CMediaTable;
class COwnerDrawCombo;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The bidirectional (page 8) and unidirectional (page 9) alignment pages:
// media type, paper thickness and platen gap; the dot-size rows to work on
// with one pattern number per column; Print and Save. Leaving the page
// tells the printer to go back to its kept values. The decisions are
// CManualAlignment's; the page mirrors it into its controls.
class CManualAlignmentPage : public CPage {
    Q_OBJECT
public:
    static constexpr int kMediaLabel = 1095;
    static constexpr int kMediaList = 1096;
    static constexpr int kThicknessLabel = 1077;
    static constexpr int kThicknessEdit = 1098;
    static constexpr int kUnitLabel = 1099;
    static constexpr int kPlatenLabel = 1140;
    static constexpr int kPlatenList = 1101;
    static constexpr int kDotSizeLabel = 1168;
    static constexpr int kFirstRowCheck = 1164;
    static constexpr int kSaveButton = 1102;
    static constexpr int kPrintButton = 1145;
    static constexpr int kHelpButton = 1003;
    // Grid edits by row, left to right.
    static constexpr int kBidirectionalCells[4][8] = {
        {1024, 1028, 1032, 1036, 1052, 1040, 1044, 1048},
        {1025, 1029, 1033, 1037, 1053, 1041, 1045, 1049},
        {1026, 1030, 1034, 1038, 1054, 1042, 1046, 1050},
        {1027, 1031, 1035, 1039, 1055, 1043, 1047, 1051}};
    static constexpr int kUnidirectionalCells[4][7] = {{1028, 1032, 1036, 1052, 1040, 1044, 1048},
                                                       {1029, 1033, 1037, 1053, 1041, 1045, 1049},
                                                       {1030, 1034, 1038, 1054, 1042, 1046, 1050},
                                                       {1031, 1035, 1039, 1055, 1043, 1047, 1051}};
    static constexpr int kHelpTopic = 0;
    static constexpr int kPageHeight = 300;

    CManualAlignmentPage(CManualAlignment::Direction direction, CMainWindow* mainWindow);
    ~CManualAlignmentPage() override;

    bool OnPageShow() override;
    void OnPageLeave() override;
    void OnDriverSettingsChanged() override;
    bool TabLeavesPage() const override { return true; }

    const CManualAlignment& Alignment() const { return m_alignment; }
    COwnerDrawCombo* MediaList() const { return m_mediaList; }
    QLineEdit* ThicknessEdit() const { return m_thickness; }
    QComboBox* PlatenList() const { return m_platenList; }
    QCheckBox* RowCheck(int row) const;
    CDigitEdit* Cell(int row, int column) const;
    QPushButton* PrintButton() const { return m_print; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* HelpButton() const { return m_help; }
    // The ink chip image over each column; -1 where none is drawn.
    std::vector<int> HeaderImages() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildControls();
    const CMediaTable& Table() const;

    // Logic -> controls.
    void MirrorMedia();
    void MirrorThicknessAndPlaten();
    void MirrorGrid();
    void EnableRows();

    void OnMediaPicked(int index);
    void OnThicknessEdited(const QString& text);
    void OnPlatenPicked(int index);
    void OnRowToggled(int row, bool checked);
    void OnCellEdited(int row, int column, const QString& text);
    void RunAction(CManualAlignment::Action action);
    void Block(bool blocking);
    void Refresh();

    CManualAlignment m_alignment;
    std::string m_filledFor;
    bool m_mirroring = false;
    QWidget* m_focusBeforeBlock = nullptr;

    COwnerDrawCombo* m_mediaList = nullptr;
    QLineEdit* m_thickness = nullptr;
    QComboBox* m_platenList = nullptr;
    std::array<QCheckBox*, CManualAlignment::kRows> m_rowChecks{};
    std::array<std::array<CDigitEdit*, CManualAlignment::kMaxColumns>, CManualAlignment::kRows>
        m_cells{};
    QPushButton* m_print = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_help = nullptr;
};
