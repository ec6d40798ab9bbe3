#pragma once

#include <QWidget>

class CSuctionControls;
class QComboBox;
class QSlider;
struct CustomFileRecord;

// The second setting tab of the custom file page: cut method, roll tension
// (Roller) and paper suction, as on the registration page's cut tab without
// its third box. Bound to the page's file record.
class CFileCutTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 164;

    static constexpr int kFirstId = 1210;

    explicit CFileCutTab(QWidget* parent = nullptr);
    ~CFileCutTab() override;

    void Bind(CustomFileRecord* record, bool load);
    CustomFileRecord* Record() const { return m_record; }
    // As CCutSuctionTab::Load without the third box.
    void Load();
    void StoreShown();

    QComboBox* CutBox() const;
    QComboBox* RollerBox() const;
    QSlider* SuctionSlider() const;
    QWidget* FirstStop() const;
    QWidget* LastStop() const;

signals:
    void Changed();

private:
    CustomFileRecord* m_record = nullptr;
    CSuctionControls* m_controls = nullptr;
    bool m_loading = false;
};
