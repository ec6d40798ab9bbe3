#pragma once

#include <QList>
#include <QSize>
#include <QString>

class QWidget;

// Finds every text of a window that its control cannot show whole at the
// control's current size and font: labels (also wrapped ones, where no word
// may be wider than the label), push, tool, check and radio buttons, group
// box titles, tab texts, every item of a drop-down list against the room its
// closed box gives the text, the items of list views, the titles of a menu
// bar, and the texts a widget paints itself (CPaintedTexts). Each control is
// measured as it draws: with the style's margins, indicator and frame, and
// without the "&" of a mnemonic where the control hides it.
//
// The checker has no policy of its own about windows: it looks at the
// window's controls that are shown (or would be, were the window shown) and
// leaves controls of other windows (popups, child dialogs) to their own check.
class CTextFit {
public:
    struct Finding {
        QString window;
        QString controlClass;
        QString control; // object name, "id N" of the control table, or empty
        QString text;
        QSize needed;
        QSize available;

        // One line: window, control, text, needed and available size.
        QString Describe() const;
    };

    // `windowName` names the window in the findings (default: its object
    // name or class).
    static QList<Finding> Check(const QWidget* window, const QString& windowName = QString());
};
