#pragma once

#include "custompaper/ItemMark.h"

#include <QComboBox>
#include <cstdint>
#include <functional>

class QLabel;

// A drop-down list whose items can be shown as unavailable. Each item carries
// a 32-bit data word: the caller's value in the low 31 bits, the unavailable
// mark in the top bit (ItemMark). A marked item is drawn in the disabled
// text colour; the operator can neither pick it with the mouse nor reach it
// with the keys (arrows, Page Up/Down, Home/End, typing and the wheel pass
// over it), and should a pick of one get through, the selection goes back to
// the item that was selected when the list was opened. The program may still
// select a marked item.
//
// Index results follow the list-box convention: kError (-1) for "no such
// item" or "no selection". Items added through QComboBox's own functions
// work as well: the mark is read from the item data whatever set it (with
// the combo box's own item model).
//
// Pages act on SelectionPicked, the operator's choice; QComboBox's
// currentIndexChanged also reports the program's changes and the brief
// visit of a refused item.
class COwnerDrawCombo : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kError = -1;
    // ItemData of an index that has no item (the bit pattern of kError).
    static constexpr std::uint32_t kNoData = 0xFFFFFFFFu;
    static constexpr std::uint32_t kUnavailableMark = ItemMark::kUnavailable;
    // Height of one item in pixels; taller only when the font needs it.
    static constexpr int kItemHeight = 15;

    explicit COwnerDrawCombo(QWidget* parent = nullptr);

    // Appends an item; returns its index.
    int AddItem(const QString& text, std::uint32_t data);
    // Inserts an item before `index` (at the end for -1 or past the end);
    // returns its index.
    int InsertItem(int index, const QString& text, std::uint32_t data);
    // Removes an item; returns the count left, or kError.
    int DeleteItem(int index);
    // Removes all items; no selection afterwards.
    void ResetContent();
    int Count() const { return count(); }
    // The item's text; empty for an index without item.
    QString ItemText(int index) const;

    // The whole data word; kNoData for an index without item.
    std::uint32_t ItemData(int index) const;
    // Replaces the whole data word (value and mark); 0, or kError.
    int SetItemData(int index, std::uint32_t data);
    // The item's value (data without the mark); kError for no item.
    int ItemValue(int index) const;
    // Keeps the value and sets the mark to `mark` (0 or kUnavailableMark);
    // 0, or kError.
    int SetItemMark(int index, std::uint32_t mark);
    // True when the item exists and carries the unavailable mark.
    bool IsItemMarked(int index) const;
    // The first item from `start` on whose value is `value`, marked or not;
    // kError when there is none.
    int FindValue(int value, int start = 0) const;

    // The selected index; kError when nothing is selected.
    int Selection() const;
    // Selects an item, marked or not; an index without item clears the
    // selection and returns kError. Sends no SelectionPicked.
    int SetSelection(int index);
    // The selected item's value; kError when nothing is selected.
    int SelectedValue() const;
    // The index that was selected when the list was last opened, or before
    // the last key or wheel turn; 0 at first.
    int RememberedIndex() const { return m_remembered; }

    // Makes every item's shown text come from `source` (called with the
    // item's index each time the text is needed) instead of the text it was
    // added with; an empty function goes back to those texts. After the data
    // behind the labels changed, LabelsChanged redraws the box and its list.
    using LabelSource = std::function<QString(int index)>;
    void SetLabelSource(LabelSource source);
    void LabelsChanged();

    // Sets the accessible name from the visible text of the box's label.
    void SetAccessibleLabel(const QString& labelText);
    // The same from a label, which also becomes the control's buddy (see
    // NameControl); call it once the label has its text.
    void SetAccessibleLabel(QLabel* label);

    // Remembers the selection, then opens the list.
    void showPopup() override;

signals:
    // The operator picked another item that is not marked (in the list, with
    // a key, by typing or with the wheel). Not sent when the program selects,
    // nor when a marked item was refused; the selection is then the item
    // selected before.
    void SelectionPicked(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnActivated(int index);
    // Makes the model's item flags follow the marks of rows first..last.
    void SyncFlags(int first, int last);

    int m_remembered = 0;
};
