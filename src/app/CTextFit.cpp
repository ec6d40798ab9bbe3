#include "app/CTextFit.h"

#include "app/CPaintedTexts.h"
#include "app/ControlHelpers.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTextDocument>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace {

// The controls fill their style options with protected functions; a pointer
// to the base class member reaches them without touching the control.
struct ButtonAccess : QPushButton {
    using QPushButton::initStyleOption;
};
struct CheckAccess : QCheckBox {
    using QCheckBox::initStyleOption;
};
struct RadioAccess : QRadioButton {
    using QRadioButton::initStyleOption;
};
struct ToolAccess : QToolButton {
    using QToolButton::initStyleOption;
};
struct GroupAccess : QGroupBox {
    using QGroupBox::initStyleOption;
};
struct TabAccess : QTabBar {
    using QTabBar::initStyleOption;
};
struct ComboAccess : QComboBox {
    using QComboBox::initStyleOption;
};
struct ViewAccess : QAbstractItemView {
    using QAbstractItemView::initViewItemOption;
};

// Far more room than any control has, for measuring a text unbounded.
constexpr int kUnbounded = 1 << 20;

class Checker {
public:
    Checker(const QWidget* window, QString windowName)
        : m_window(window), m_name(std::move(windowName)) {}

    QList<CTextFit::Finding> Run() {
        Visit(m_window);
        for (const QWidget* w : m_window->findChildren<QWidget*>()) {
            if (w->window() != m_window || !w->isVisibleTo(m_window)) continue;
            Visit(w);
        }
        return m_findings;
    }

private:
    void Report(const QWidget* w, const QString& text, QSize needed, QSize available,
                const QString& part = QString()) {
        CTextFit::Finding f;
        f.window = m_name;
        f.controlClass = QString::fromLatin1(w->metaObject()->className());
        if (!w->objectName().isEmpty())
            f.control = w->objectName();
        else if (ControlId(w) >= 0)
            f.control = QStringLiteral("id %1").arg(ControlId(w));
        if (!part.isEmpty())
            f.control += (f.control.isEmpty() ? QString() : QStringLiteral(" ")) + part;
        f.text = text;
        f.needed = needed;
        f.available = available;
        m_findings << f;
    }

    // `room` is where the control draws the text, in its own coordinates;
    // what of it lies outside the window or a parent is not seen.
    void Compare(const QWidget* w, const QString& text, QSize needed, const QRect& room,
                 const QString& part = QString()) {
        const QSize available = (room & m_clip).size();
        if (needed.width() > available.width() || needed.height() > available.height())
            Report(w, text, needed, available, part);
    }

    // The part of the control that its parents up to the window show.
    QRect Clip(const QWidget* w) const {
        if (w == m_window) return w->rect();
        const QPoint origin = w->mapTo(m_window, QPoint(0, 0));
        QRect shown(origin, w->size());
        for (const QWidget* a = w->parentWidget(); a; a = a->parentWidget()) {
            shown &= QRect(a->mapTo(m_window, QPoint(0, 0)), a->size());
            if (a == m_window) break;
        }
        return shown.translated(-origin);
    }

    void Visit(const QWidget* w) {
        m_clip = Clip(w);
        if (const auto* painted = dynamic_cast<const CPaintedTexts*>(w)) CheckPainted(w, *painted);
        if (const auto* label = qobject_cast<const QLabel*>(w)) return CheckLabel(label);
        if (const auto* check = qobject_cast<const QCheckBox*>(w)) return CheckCheck(check);
        if (const auto* radio = qobject_cast<const QRadioButton*>(w)) return CheckRadio(radio);
        if (const auto* button = qobject_cast<const QPushButton*>(w)) return CheckButton(button);
        if (const auto* tool = qobject_cast<const QToolButton*>(w)) return CheckTool(tool);
        if (const auto* group = qobject_cast<const QGroupBox*>(w)) return CheckGroup(group);
        if (const auto* tabs = qobject_cast<const QTabBar*>(w)) return CheckTabs(tabs);
        if (const auto* combo = qobject_cast<const QComboBox*>(w)) return CheckCombo(combo);
        if (const auto* list = qobject_cast<const QListView*>(w)) return CheckList(list);
        if (const auto* bar = qobject_cast<const QMenuBar*>(w)) return CheckMenuBar(bar);
        if (const auto* menu = qobject_cast<const QMenu*>(w)) return CheckMenu(menu);
    }

    void CheckPainted(const QWidget* w, const CPaintedTexts& painted) {
        for (const CPaintedTexts::Text& t : painted.PaintedTexts()) {
            if (t.text.isEmpty()) continue;
            const QFontMetrics fm(t.font);
            const int flags = t.flags & ~Qt::AlignVertical_Mask & ~Qt::AlignHorizontal_Mask;
            const QSize needed =
                fm.boundingRect(QRect(0, 0,
                                      (flags & Qt::TextWordWrap) ? t.rect.width() : kUnbounded,
                                      kUnbounded),
                                flags, t.text)
                    .size();
            if (flags & Qt::TextWordWrap) CheckWords(w, t.text, fm, t.rect.width(), t.name);
            Compare(w, t.text, needed, t.rect, t.name);
        }
    }

    // Wrapping breaks a word that is wider than the room anywhere: each word
    // must fit on a line of its own.
    void CheckWords(const QWidget* w, const QString& text, const QFontMetrics& fm, int room,
                    const QString& part = QString()) {
        static const QRegularExpression space(QStringLiteral("\\s+"));
        for (const QString& word : text.split(space, Qt::SkipEmptyParts)) {
            const int width = fm.horizontalAdvance(word);
            if (width > room)
                Report(w, word, QSize(width, fm.height()), QSize(room, fm.height()),
                       part.isEmpty() ? QStringLiteral("word") : part + QStringLiteral(" word"));
        }
    }

    // The rectangle a label draws its text into (as QLabel lays it out).
    static QRect LabelRoom(const QLabel* label) {
        QRect r = label->contentsRect();
        const int margin = label->margin();
        r.adjust(margin, margin, -margin, -margin);
        const Qt::Alignment align =
            QStyle::visualAlignment(label->layoutDirection(), label->alignment());
        int indent = label->indent();
        if (indent < 0 && label->frameWidth())
            indent = label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - margin;
        if (indent > 0) {
            if (align & Qt::AlignLeft) r.setLeft(r.left() + indent);
            if (align & Qt::AlignRight) r.setRight(r.right() - indent);
            if (align & Qt::AlignTop) r.setTop(r.top() + indent);
            if (align & Qt::AlignBottom) r.setBottom(r.bottom() - indent);
        }
        return r;
    }

    void CheckLabel(const QLabel* label) {
        const QString text = label->text();
        if (text.isEmpty() || !label->pixmap().isNull()) return;
        const QRect room = LabelRoom(label);
        const bool rich = label->textFormat() == Qt::RichText ||
                          (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        if (rich) {
            QTextDocument doc;
            doc.setDefaultFont(label->font());
            doc.setDocumentMargin(0);
            doc.setHtml(text);
            if (label->wordWrap()) doc.setTextWidth(room.width());
            const QSize needed(static_cast<int>(std::ceil(doc.idealWidth())),
                               static_cast<int>(std::ceil(doc.size().height())));
            Compare(label, doc.toPlainText(), needed, room);
            return;
        }
        const QFontMetrics fm(label->font());
        // A label hides the "&" only where it is the mnemonic of a buddy.
        int flags = label->buddy() && text.contains(QLatin1Char('&')) ? Qt::TextShowMnemonic : 0;
        QSize needed;
        if (label->wordWrap()) {
            flags |= Qt::TextWordWrap;
            needed = fm.boundingRect(QRect(0, 0, room.width(), kUnbounded), flags, text).size();
            // A word too wide is reported as such, not once more as the text.
            CheckWords(label, text, fm, room.width());
            needed.setWidth(std::min(needed.width(), room.width()));
        } else {
            needed = fm.size(flags, text);
        }
        Compare(label, text, needed, room);
    }

    // A button's text with the style's margin beside the icon, if any.
    static QSize ButtonText(const QStyle* style, const QStyleOptionButton& opt, const QWidget* w) {
        const QFontMetrics fm(w->font());
        QSize needed = fm.size(Qt::TextShowMnemonic, opt.text);
        if (!opt.icon.isNull()) needed.rwidth() += opt.iconSize.width() + 4;
        needed.rwidth() += style->pixelMetric(QStyle::PM_ButtonMargin, &opt, w);
        return needed;
    }

    void CheckButton(const QPushButton* button) {
        if (button->text().isEmpty()) return;
        QStyleOptionButton opt;
        void (QPushButton::*init)(QStyleOptionButton*) const = &ButtonAccess::initStyleOption;
        (button->*init)(&opt);
        // The label's room inside the frame (and the default indicator); the
        // style's minimum width belongs to its size hint only.
        const QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
        const QSize needed = ButtonText(button->style(), opt, button);
        const QFontMetrics fm(button->font());
        Compare(button, opt.text,
                {needed.width(), fm.size(Qt::TextShowMnemonic, opt.text).height()}, room);
    }

    void CheckTool(const QToolButton* tool) {
        if (tool->text().isEmpty() || tool->toolButtonStyle() == Qt::ToolButtonIconOnly) return;
        QStyleOptionToolButton opt;
        void (QToolButton::*init)(QStyleOptionToolButton*) const = &ToolAccess::initStyleOption;
        (tool->*init)(&opt);
        const QFontMetrics fm(tool->font());
        QSize needed = fm.size(Qt::TextShowMnemonic, opt.text);
        if (opt.toolButtonStyle == Qt::ToolButtonTextBesideIcon && !opt.icon.isNull())
            needed.rwidth() += opt.iconSize.width() + 4;
        if (opt.toolButtonStyle == Qt::ToolButtonTextUnderIcon && !opt.icon.isNull())
            needed.rheight() += opt.iconSize.height() + 4;
        const int frame = tool->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, tool);
        Compare(tool, opt.text, needed, tool->rect().adjusted(frame, frame, -frame, -frame));
    }

    void CheckIndicatorButton(const QWidget* w, const QStyleOptionButton& opt,
                              QStyle::SubElement contents) {
        if (opt.text.isEmpty()) return;
        const QRect room = w->style()->subElementRect(contents, &opt, w);
        const QFontMetrics fm(w->font());
        QSize needed = fm.size(Qt::TextShowMnemonic, opt.text);
        if (!opt.icon.isNull()) needed.rwidth() += opt.iconSize.width() + 4;
        Compare(w, opt.text, needed, room);
    }

    void CheckCheck(const QCheckBox* check) {
        QStyleOptionButton opt;
        void (QCheckBox::*init)(QStyleOptionButton*) const = &CheckAccess::initStyleOption;
        (check->*init)(&opt);
        CheckIndicatorButton(check, opt, QStyle::SE_CheckBoxContents);
    }

    void CheckRadio(const QRadioButton* radio) {
        QStyleOptionButton opt;
        void (QRadioButton::*init)(QStyleOptionButton*) const = &RadioAccess::initStyleOption;
        (radio->*init)(&opt);
        CheckIndicatorButton(radio, opt, QStyle::SE_RadioButtonContents);
    }

    // The title stands on the frame with the style's offset from its left
    // edge; it needs the same room before the right edge.
    void CheckGroup(const QGroupBox* group) {
        if (group->title().isEmpty()) return;
        QStyleOptionGroupBox opt;
        void (QGroupBox::*init)(QStyleOptionGroupBox*) const = &GroupAccess::initStyleOption;
        (group->*init)(&opt);
        const QRect label = group->style()->subControlRect(QStyle::CC_GroupBox, &opt,
                                                           QStyle::SC_GroupBoxLabel, group);
        // A checkable box's title starts after its check box.
        int before = label.left();
        if (opt.subControls & QStyle::SC_GroupBoxCheckBox)
            before =
                group->style()
                    ->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxCheckBox, group)
                    .left();
        const QFontMetrics fm(group->font());
        const QSize text = fm.size(Qt::TextShowMnemonic, group->title());
        Compare(group, group->title(),
                {label.left() + text.width() + std::max(before, 0), text.height()},
                QRect(0, 0, group->width(), std::max(label.height(), text.height())));
    }

    void CheckTabs(const QTabBar* tabs) {
        const QFontMetrics fm(tabs->font());
        for (int i = 0; i < tabs->count(); ++i) {
            if (!tabs->isTabVisible(i) || tabs->tabText(i).isEmpty()) continue;
            QStyleOptionTab opt;
            void (QTabBar::*init)(QStyleOptionTab*, int) const = &TabAccess::initStyleOption;
            (tabs->*init)(&opt, i);
            // The full text, not the elided one the option may carry.
            opt.text = tabs->tabText(i);
            const QRect room = tabs->style()->subElementRect(QStyle::SE_TabBarTabText, &opt, tabs);
            Compare(tabs, opt.text, fm.size(Qt::TextShowMnemonic, opt.text), room,
                    QStringLiteral("tab %1").arg(i));
        }
    }

    // Every item, as the closed box shows it once chosen: the style's edit
    // field, less the pixel the label keeps on each side.
    void CheckCombo(const QComboBox* combo) {
        QStyleOptionComboBox opt;
        void (QComboBox::*init)(QStyleOptionComboBox*) const = &ComboAccess::initStyleOption;
        (combo->*init)(&opt);
        const QRect field =
            combo->style()
                ->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo)
                .adjusted(1, 0, -1, 0);
        const QFontMetrics fm(combo->font());
        const auto check = [&](const QString& text, bool icon, const QString& part) {
            if (text.isEmpty()) return;
            QSize needed(fm.horizontalAdvance(text), fm.height());
            if (icon) needed.rwidth() += combo->iconSize().width() + 4;
            Compare(combo, text, needed, field, part);
        };
        bool currentSeen = false;
        for (int i = 0; i < combo->count(); ++i) {
            check(combo->itemText(i), !combo->itemIcon(i).isNull(),
                  QStringLiteral("item %1").arg(i));
            currentSeen |= combo->itemText(i) == combo->currentText();
        }
        if (!currentSeen && !combo->isEditable())
            check(combo->currentText(), false, QStringLiteral("current"));
    }

    // A list in a fixed column: each item must fit the list's width, as the
    // item's delegate measures it (check box, margins and text).
    void CheckList(const QListView* list) {
        if (list->viewMode() != QListView::ListMode || list->flow() != QListView::TopToBottom)
            return;
        const QAbstractItemModel* model = list->model();
        if (!model) return;
        QStyleOptionViewItem opt;
        void (QAbstractItemView::*init)(QStyleOptionViewItem*) const =
            &ViewAccess::initViewItemOption;
        (list->*init)(&opt);
        const QRect viewport = list->viewport()->geometry();
        for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
            if (list->isRowHidden(row)) continue;
            const QModelIndex index = model->index(row, list->modelColumn(), list->rootIndex());
            QAbstractItemDelegate* delegate = list->itemDelegateForIndex(index);
            if (!delegate) continue;
            QStyleOptionViewItem item(opt);
            item.rect = list->visualRect(index);
            const QSize needed = delegate->sizeHint(item, index);
            Compare(list, index.data(Qt::DisplayRole).toString(), {needed.width(), 0}, viewport,
                    QStringLiteral("row %1").arg(row));
        }
    }

    // Titles that do not fit the bar move to its extension menu, out of sight.
    void CheckMenuBar(const QMenuBar* bar) {
        int right = 0;
        QStringList titles;
        for (QAction* action : bar->actions()) {
            if (!action->isVisible()) continue;
            titles << action->text();
            right = std::max(right, bar->actionGeometry(action).right() + 1);
        }
        const int needed = std::max(right, bar->sizeHint().width());
        Compare(bar, titles.join(QStringLiteral(" | ")), {needed, 0}, bar->rect());
    }

    void CheckMenu(const QMenu* menu) {
        QStringList texts;
        for (QAction* action : menu->actions())
            if (action->isVisible() && !action->isSeparator()) texts << action->text();
        Compare(menu, texts.join(QStringLiteral(" | ")), menu->sizeHint(), menu->rect());
    }

    const QWidget* m_window;
    QString m_name;
    QList<CTextFit::Finding> m_findings;
    QRect m_clip;
};

} // namespace

QString CTextFit::Finding::Describe() const {
    return QStringLiteral("%1: %2%3 \"%4\" needs %5x%6, has %7x%8")
        .arg(window, controlClass, control.isEmpty() ? QString() : QStringLiteral(" ") + control,
             text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(available.width())
        .arg(available.height());
}

QList<CTextFit::Finding> CTextFit::Check(const QWidget* window, const QString& windowName) {
    if (!window) return {};
    QString name = windowName;
    if (name.isEmpty()) name = window->objectName();
    if (name.isEmpty()) name = QString::fromLatin1(window->metaObject()->className());
    return Checker(window, name).Run();
}
