#pragma once

#include <QWidget>

class CSuctionControls;
class QComboBox;
class QSlider;
struct CustomPaperSlot;

// The second setting tab of the registration page: cut method, roll
// tension (the four-choice Roller), paper suction (a slider of five
// positions, position p = level -p, stored when the operator lets go of it)
// and feed speed (the three-choice ThreeWay). Bound to the slot record the
// page edits.
class CCutSuctionTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 164;

    // Control ids: the cut, roller and suction controls from kCutLabel on
    // (see CSuctionControls), then the third box and its label.
    static constexpr int kFirstId = 1140;
    static constexpr int kThreeWayLabel = 1160;
    static constexpr int kThreeWayBox = 1161;

    explicit CCutSuctionTab(QWidget* parent = nullptr);
    ~CCutSuctionTab() override;

    void Bind(CustomPaperSlot* record, bool load);
    CustomPaperSlot* Record() const { return m_record; }
    // Selects the record's choices and suction level, then takes the values
    // back from the controls (a level below -4 becomes -4).
    void Load();
    // Stores the choices (those with a selection) and the suction level on
    // screen into the bound record.
    void StoreShown();

    QComboBox* CutBox() const;
    QComboBox* RollerBox() const;
    QSlider* SuctionSlider() const;
    QComboBox* ThreeWayBox() const { return m_threeWay; }
    QWidget* FirstStop() const;
    QWidget* LastStop() const;

signals:
    // A value went into the record from the controls (not while loading).
    void Changed();

private:
    CustomPaperSlot* m_record = nullptr;
    CSuctionControls* m_controls = nullptr;
    QComboBox* m_threeWay = nullptr;
    bool m_loading = false;
};
