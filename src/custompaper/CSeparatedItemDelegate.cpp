#include "custompaper/CSeparatedItemDelegate.h"

#include <QPainter>
#include <QPen>
#include <QStyle>

void CSeparatedItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    CMarkedItemDelegate::paint(painter, option, index);
    if (index.row() != m_separatedRow) return;
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QColor color = option.palette.color(QPalette::Active, selected ? QPalette::HighlightedText
                                                                         : QPalette::Text);
    painter->save();
    QPen pen(color, 1, Qt::DotLine);
    pen.setCosmetic(true);
    painter->setPen(pen);
    const int y = option.rect.top();
    painter->drawLine(option.rect.left(), y, option.rect.right(), y);
    painter->restore();
}
