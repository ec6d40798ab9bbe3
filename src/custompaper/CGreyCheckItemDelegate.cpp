#include "custompaper/CGreyCheckItemDelegate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>

namespace {

bool Tickable(const QModelIndex& index) {
    const Qt::ItemFlags flags = index.flags();
    return (flags & Qt::ItemIsEnabled) && (flags & Qt::ItemIsUserCheckable);
}

Qt::CheckState CheckOf(const QModelIndex& index) {
    return static_cast<Qt::CheckState>(index.data(Qt::CheckStateRole).toInt());
}

} // namespace

void CGreyCheckItemDelegate::initStyleOption(QStyleOptionViewItem* option,
                                             const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const bool listEnabled = !option->widget || option->widget->isEnabled();
    if (listEnabled && Tickable(index)) return;
    option->state &= ~(QStyle::State_Enabled | QStyle::State_Selected | QStyle::State_MouseOver);
    option->palette.setCurrentColorGroup(QPalette::Disabled);
}

bool CGreyCheckItemDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                         const QStyleOptionViewItem& option,
                                         const QModelIndex& index) {
    const Qt::CheckState before = CheckOf(index);
    bool handled = false;
    if (event->type() == QEvent::MouseButtonDblClick && Tickable(index)) {
        // A double click on the text ticks or clears like the check box; on
        // the check box itself the two clicks already did.
        QStyleOptionViewItem item(option);
        initStyleOption(&item, index);
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        const QRect box =
            style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &item, option.widget);
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && !box.contains(mouse->position().toPoint())) {
            model->setData(index, before == Qt::Checked ? Qt::Unchecked : Qt::Checked,
                           Qt::CheckStateRole);
            handled = true;
        }
    }
    if (!handled) handled = QStyledItemDelegate::editorEvent(event, model, option, index);
    if (handled && index.isValid() && CheckOf(index) != before) emit CheckToggled(index.row());
    return handled;
}
