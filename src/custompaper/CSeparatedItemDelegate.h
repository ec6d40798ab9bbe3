#pragma once

#include "custompaper/CMarkedItemDelegate.h"

// The item drawing of an owner-drawn list that sets its first items apart
// from the rest: the item at `separatedRow` gets a dotted line of width 1
// along its top edge, in the colour its text is written in.
class CSeparatedItemDelegate : public CMarkedItemDelegate {
    Q_OBJECT
public:
    CSeparatedItemDelegate(int itemHeight, int separatedRow, QObject* parent = nullptr)
        : CMarkedItemDelegate(itemHeight, parent), m_separatedRow(separatedRow) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    int SeparatedRow() const { return m_separatedRow; }

private:
    int m_separatedRow;
};
