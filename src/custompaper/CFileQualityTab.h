#pragma once

#include "custompaper/DetailKind.h"

#include <QWidget>

class CMediaTable;
class COwnerDrawCombo;
class CValuePair;
class QPushButton;
struct CustomFileRecord;

// The first setting tab of the custom file page: print mode (only the modes
// the media offers, item data = mode number) with the print quality Detail
// button, color density (-50..50 %) with its Detail button, paper feed
// adjustment (-70..70, 0.01 %) with its Detail button, and drying time
// (0..50, 0.1 s). Bound to the page's file record.
class CFileQualityTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 164;

    static constexpr int kModeLabel = 1170;
    static constexpr int kModeBox = 1171;
    static constexpr int kModeDetail = 1172;
    static constexpr int kDensityBase = 1180;
    static constexpr int kDensityDetail = 1186;
    static constexpr int kForwardBase = 1190;
    static constexpr int kForwardDetail = 1196;
    static constexpr int kDrytimeBase = 1200;

    explicit CFileQualityTab(QWidget* parent = nullptr);
    ~CFileQualityTab() override;

    // The media table the mode list comes from; without one, the
    // application's.
    void SetMediaTable(const CMediaTable* table) { m_media = table; }

    void Bind(CustomFileRecord* record, bool load);
    CustomFileRecord* Record() const { return m_record; }
    // Rebuilds the mode list for the record's media, selects its Mode (else
    // the first item), fills the value pairs and stores the mode shown.
    void Load();

    // The print modes 1..4 the media offers (a mode without a resolution in
    // the media table is left out); mode 2 selected when offered, else the
    // first. The record is not changed.
    void RebuildModes(int mediaId);

    void EnableDetail(bool on);

    COwnerDrawCombo* ModeBox() const { return m_mode; }
    CValuePair* DensityPair() const { return m_density; }
    CValuePair* ForwardPair() const { return m_forward; }
    CValuePair* DrytimePair() const { return m_drytime; }
    QPushButton* DetailButton(DetailKind kind) const;
    QWidget* FirstStop() const;
    QWidget* LastStop() const;

signals:
    // A Detail button: open that detail dialog for Record().
    void DetailRequested(DetailKind kind);
    // A value went into the record from the controls (not while loading).
    void Changed();

private:
    const CMediaTable* MediaTable() const;

    CustomFileRecord* m_record = nullptr;
    const CMediaTable* m_media = nullptr;
    COwnerDrawCombo* m_mode = nullptr;
    QPushButton* m_modeDetail = nullptr;
    QPushButton* m_densityDetail = nullptr;
    QPushButton* m_forwardDetail = nullptr;
    CValuePair* m_density = nullptr;
    CValuePair* m_forward = nullptr;
    CValuePair* m_drytime = nullptr;
    bool m_loading = false;
};
