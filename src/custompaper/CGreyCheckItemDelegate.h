#pragma once

#include <QStyledItemDelegate>

// Draws the items of a grey check list through the style: an item that
// cannot be ticked, or any item of a disabled list, with a disabled check box
// and the disabled text colour and without the selection colour; an enabled
// item in the normal or highlight colours. Reports the ticks the operator
// makes (click on the check box, Space, double click on the text).
class CGreyCheckItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    void CheckToggled(int row);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
