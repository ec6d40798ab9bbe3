#pragma once

#include <QStyledItemDelegate>

// Draws the items of an owner-drawn combo box's list: an item whose data
// carries the unavailable mark in the disabled text colour on the base
// colour (never highlighted), the selected item in the highlight colours,
// the others in the text colour; the text on one line, 2 pixels from the
// edge, centred vertically.
class CMarkedItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    CMarkedItemDelegate(int itemHeight, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), m_itemHeight(itemHeight) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Left and right margin of the text.
    static constexpr int kTextMargin = 2;

private:
    int m_itemHeight;
};
