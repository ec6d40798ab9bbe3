#pragma once

#include <QListWidget>
#include <cstdint>

class QLabel;
class CGreyCheckItemDelegate;

// A list of items with check boxes, each item enabled or greyed. A greyed
// item is drawn with a disabled check box in the disabled text colour and
// never highlighted; it can become the current item (so the keyboard and a
// screen reader reach it) but neither the mouse nor Space nor a double click
// ticks it. A disabled list shows every item that way. Each item carries a
// 32-bit data word (a media id).
//
// Index results follow the list-box convention: kError (-1) for "no such
// item" or "no selection". A move of the current item is reported by
// QListWidget's currentRowChanged.
class CGreyCheckList : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kError = -1;
    // ItemData of an index that has no item (the bit pattern of kError).
    static constexpr std::uint32_t kNoData = 0xFFFFFFFFu;

    explicit CGreyCheckList(QWidget* parent = nullptr);

    // Appends an enabled, unticked item; returns its index.
    int AddItem(const QString& text, std::uint32_t data);
    // Removes all items.
    void ResetContent();
    int Count() const { return count(); }
    // The item's text; empty for an index without item.
    QString ItemText(int index) const;
    // The item's data word; kNoData for an index without item.
    std::uint32_t ItemData(int index) const;

    // Enables or greys an item (its tick stays); 0, or kError.
    int EnableItem(int index, bool enabled);
    // True when the item exists and is not greyed.
    bool IsItemEnabled(int index) const;

    // Ticks or clears an item, greyed or not; 0, or kError. Sends no
    // CheckToggled.
    int SetCheck(int index, bool checked);
    // True when the item exists and is ticked.
    bool IsChecked(int index) const;
    int CheckedCount() const;

    // The current item; kError when there is none.
    int Selection() const;
    // Makes an item current, greyed or not; an index without item clears the
    // selection and returns kError.
    int SetSelection(int index);

    // Sets the accessible name from the visible text of the list's label.
    void SetAccessibleLabel(const QString& labelText);
    // The same from a label, which also becomes the control's buddy (see
    // NameControl); call it once the label has its text.
    void SetAccessibleLabel(QLabel* label);

signals:
    // The operator ticked or cleared an enabled item.
    void CheckToggled(int index);

private:
    CGreyCheckItemDelegate* m_delegate;
};
