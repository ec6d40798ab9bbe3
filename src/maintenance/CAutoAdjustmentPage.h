#pragma once

#include "app/CPage.h"
#include "maintenance/CAutoAdjustment.h"

#include <memory>

class CMediaTable;
class COwnerDrawCombo;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// Page 1: the printer adjusts its print head with its own sensor. The
// operator chooses media, paper thickness and platen gap, the dot-size
// patterns of each direction, and starts a bidirectional or unidirectional
// alignment or the sensor nozzle check; the page shows the busy dialog while
// the printer works and the outcome's message afterwards. The decisions and
// the printer conversation are CAutoAdjustment's; the page mirrors them.
class CAutoAdjustmentPage : public CPage {
    Q_OBJECT
public:
    static constexpr int kPageIndex = 1;
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 312;
    static constexpr int kHelpTopic = 0; // the page's own manual

    // Control ids.
    static constexpr int kHeading = 1163;
    static constexpr int kMediaLabel = 1095;
    static constexpr int kMediaList = 1096;
    static constexpr int kThicknessLabel = 1077;
    static constexpr int kThicknessEdit = 1098;
    static constexpr int kThicknessUnit = 1099;
    static constexpr int kPlatenLabel = 1140;
    static constexpr int kPlatenList = 1101;
    static constexpr int kBiGroup = 1051;
    static constexpr int kBiStart = 1053;
    static constexpr int kBiDescription = 1056;
    static constexpr int kUniGroup = 1050;
    static constexpr int kUniStart = 1054;
    static constexpr int kUniDescription = 1057;
    static constexpr int kNozzleGroup = 1052;
    static constexpr int kNozzleStart = 1055;
    static constexpr int kNozzleDescription = 1058;
    static constexpr int kHelpButton = 1003;
    static constexpr int kBiChecks[4] = {1169, 1170, 1171, 1172};
    static constexpr int kUniChecks[4] = {1173, 1174, 1175, 1176};

    explicit CAutoAdjustmentPage(CMainWindow* mainWindow);
    ~CAutoAdjustmentPage() override;

    bool OnPageShow() override;
    void OnDriverSettingsChanged() override;
    bool TabLeavesPage() const override { return true; }

    const CAutoAdjustment& Logic() const { return *m_logic; }

    COwnerDrawCombo* MediaList() const { return m_media; }
    QLineEdit* ThicknessEdit() const { return m_thickness; }
    QComboBox* PlatenList() const { return m_platen; }
    QCheckBox* PatternBox(CAutoAdjustment::Direction direction, int pattern) const;
    QPushButton* StartButton(CAutoAdjustment::Direction direction) const;
    QPushButton* NozzleCheckButton() const { return m_nozzleStart; }
    QPushButton* HelpButton() const { return m_help; }

    // The actions of the three Start buttons.
    void StartAlignment(CAutoAdjustment::Direction direction);
    void StartNozzleCheck();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnMediaPicked(int index);
    void OnThicknessEdited(const QString& text);
    void OnPlatenPicked(int index);
    void OnPatternToggled(CAutoAdjustment::Direction direction, int pattern, bool checked);
    // Mirrors the logic into the controls; `refilled` rebuilds the media list.
    void Mirror(bool refilled);
    void MirrorMedia(bool refilled);
    void MirrorPlaten();
    void UpdateStartButtons();
    void ShowOutcome(CAutoAdjustment::Outcome outcome);
    void ReviewMessages();

    std::unique_ptr<CMediaTable> m_noTable; // when the application has none
    std::unique_ptr<CAutoAdjustment> m_logic;
    bool m_busy = false;

    COwnerDrawCombo* m_media = nullptr;
    QLineEdit* m_thickness = nullptr;
    QComboBox* m_platen = nullptr;
    QCheckBox* m_bi[4] = {};
    QCheckBox* m_uni[4] = {};
    QPushButton* m_biStart = nullptr;
    QPushButton* m_uniStart = nullptr;
    QPushButton* m_nozzleStart = nullptr;
    QPushButton* m_help = nullptr;
};
