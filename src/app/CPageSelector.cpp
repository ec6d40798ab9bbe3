#include "app/CPageSelector.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {

class PageItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(),
                     CPageSelector::kItemHeight);
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        p->save();
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->fillRect(option.rect, selected ? pal.highlight() : pal.base());
        const QColor textColour = selected ? pal.color(QPalette::HighlightedText)
                                           : pal.color(QPalette::Text);
        p->setPen(textColour);
        p->setFont(option.font);
        const QRect text = option.rect.adjusted(2, 0, 0, 0);
        p->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
        if (index.row() == 1) {
            p->setPen(QPen(pal.color(QPalette::Text), 1, Qt::DotLine));
            p->drawLine(option.rect.left(), option.rect.top(), option.rect.right(),
                        option.rect.top());
        }
        p->restore();
    }
};

} // namespace

CPageSelector::CPageSelector(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new PageItemDelegate(this));
    setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
}

int CPageSelector::CurrentPage() const {
    const QVariant data = currentData();
    return data.isValid() ? data.toInt() : 0;
}

void CPageSelector::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QString text = option.currentText;
    option.currentText.clear();
    option.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                QStyle::SC_ComboBoxEditField, this);
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                             QPalette::ButtonText));
    const QRect textRect = field.adjusted(2, 0, 0, 0);
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               fontMetrics().elidedText(text, Qt::ElideRight, textRect.width()));
}
