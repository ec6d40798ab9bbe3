#pragma once

#include <QString>

class QLabel;
class QWidget;

// The accessible name of a control from the visible text of its label: the
// words a sighted operator reads, without the keyboard mnemonic marks ("&"),
// line breaks or the colon that ends a label ("Media Type:" gives
// "Media Type").
QString AccessibleNameFromLabel(const QString& labelText);

// Names the control after the label text.
void NameControl(QWidget* control, const QString& labelText);
// Names the control after the label's current text and makes the label its
// buddy: the label's mnemonic then moves the focus to the control, and
// screen readers that name a control by its label relation (on Linux, a
// combo box's name is its current item, its label comes from the relation)
// find the label. The label should be a sibling of the control.
void NameControl(QWidget* control, QLabel* label);
