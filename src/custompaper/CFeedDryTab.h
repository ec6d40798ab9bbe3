#pragma once

#include "custompaper/DetailKind.h"

#include <QWidget>
#include <functional>

class CValuePair;
class QPushButton;
struct CustomPaperSlot;

// The first setting tab of the registration page: paper feed adjustment
// (-70..70, 0.01 %) with its Detail button, and drying time per head pass
// (0..50, 0.1 s), each a slider with an edit box. Bound to the slot record
// the page edits: every change goes into the record at once.
class CFeedDryTab : public QWidget {
    Q_OBJECT
public:
    // The size the tab needs; the page's tab control gives it this room.
    static constexpr int kWidth = 560;
    static constexpr int kHeight = 164;

    static constexpr int kTextMediaFirst = 30900;
    // Control ids: the feed pair's six controls from kForwardBase on, the
    // drying time pair's from kDrytimeBase on (see CValuePair), the button.
    static constexpr int kForwardBase = 1110;
    static constexpr int kDrytimeBase = 1120;
    static constexpr int kDetailButton = 1130;

    explicit CFeedDryTab(QWidget* parent = nullptr);
    ~CFeedDryTab() override;

    // Remembers the record (null: none; changes then go nowhere); with
    // `load` and a record, fills the controls from it.
    void Bind(CustomPaperSlot* record, bool load);
    CustomPaperSlot* Record() const { return m_record; }
    // Fills the controls from the bound record (feed and drying time).
    void Load();
    // Stores the values on screen into the bound record (the page does this
    // when an empty slot takes over the settings shown).
    void StoreShown();

    void EnableDetail(bool on);

    // The Detail button asks this first; false shows "select a media type
    // first" and requests nothing. The registration page answers whether a
    // real media is selected. Without a check the request always goes out.
    void SetMediaCheck(std::function<bool()> mediaSelected) {
        m_mediaCheck = std::move(mediaSelected);
    }

    CValuePair* ForwardPair() const { return m_forward; }
    CValuePair* DrytimePair() const { return m_drytime; }
    QPushButton* DetailButton() const { return m_detail; }
    QWidget* FirstStop() const;
    QWidget* LastStop() const;

signals:
    // The Detail button: open the paper feed detail dialog for Record().
    void DetailRequested(DetailKind kind);
    // A value went into the record from the controls (not while loading).
    void Changed();

private:
    void OnDetail();

    CustomPaperSlot* m_record = nullptr;
    CValuePair* m_forward = nullptr;
    CValuePair* m_drytime = nullptr;
    QPushButton* m_detail = nullptr;
    std::function<bool()> m_mediaCheck;
    bool m_loading = false;
};
