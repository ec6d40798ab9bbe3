#include "custompaper/CMarkedItemDelegate.h"

#include "custompaper/ItemMark.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

void CMarkedItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const bool marked = ItemMark::IsMarked(index.data(Qt::UserRole).toUInt());
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QPalette& palette = option.palette;
    QColor background = palette.color(QPalette::Active, QPalette::Base);
    QColor text = palette.color(QPalette::Active, QPalette::Text);
    if (marked) {
        text = palette.color(QPalette::Disabled, QPalette::Text);
    } else if (selected) {
        background = palette.color(QPalette::Active, QPalette::Highlight);
        text = palette.color(QPalette::Active, QPalette::HighlightedText);
    }

    painter->save();
    painter->fillRect(option.rect, background);
    painter->setPen(text);
    painter->setFont(option.font);
    const QRect textRect = option.rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    const QString shown = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                        Qt::ElideRight, textRect.width());
    const Qt::Alignment align =
        QStyle::visualAlignment(option.direction, Qt::AlignLeft | Qt::AlignVCenter);
    painter->drawText(textRect, static_cast<int>(align | Qt::TextSingleLine), shown);
    painter->restore();
}

QSize CMarkedItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const QString text = index.data(Qt::DisplayRole).toString();
    return {option.fontMetrics.horizontalAdvance(text) + 2 * kTextMargin,
            std::max(m_itemHeight, option.fontMetrics.height())};
}
