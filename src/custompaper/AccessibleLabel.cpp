#include "custompaper/AccessibleLabel.h"

#include <QLabel>
#include <QWidget>

QString AccessibleNameFromLabel(const QString& labelText) {
    QString name;
    name.reserve(labelText.size());
    for (qsizetype i = 0; i < labelText.size(); ++i) {
        const QChar c = labelText.at(i);
        if (c == u'&') {
            // "&&" is a literal ampersand; a single one marks the mnemonic.
            if (i + 1 < labelText.size() && labelText.at(i + 1) == u'&') {
                name += c;
                ++i;
            }
            continue;
        }
        name += c;
    }
    name = name.simplified();
    while (name.endsWith(u':') || name.endsWith(u'\uFF1A'))
        name.chop(1);
    return name.trimmed();
}

void NameControl(QWidget* control, const QString& labelText) {
    if (control) control->setAccessibleName(AccessibleNameFromLabel(labelText));
}

void NameControl(QWidget* control, QLabel* label) {
    if (!control || !label) return;
    label->setBuddy(control);
    NameControl(control, label->text());
}
