#pragma once

#include "custompaper/CNumberTextRule.h"

#include <QLineEdit>

class QLabel;
class CNumberValidator;

// A number edit box: it takes only digits (and "-" when its range has
// negative values), cleans every change to its range, remembers the last
// valid value, and fills itself in when it is left empty. By default it is
// the one-digit cell of the alignment grids: range 1..9, empty allowed while
// typing, the last valid value back when the focus leaves it empty. The
// other number fields (thickness 1..16, the setting tabs' value boxes, the
// detail dialogs' edits) set their own rule.
class CDigitEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CDigitEdit(QWidget* parent = nullptr);
    CDigitEdit(const CNumberTextRule& rule, QWidget* parent = nullptr);

    // Replaces the rule and cleans the current text with it.
    void SetRule(const CNumberTextRule& rule);
    const CNumberTextRule& Rule() const { return m_rule; }

    // Writes the value as "%d" (then cleaned like any other change).
    void SetValue(int value);
    // The signed value the text reads; an empty text or a sign alone reads 0.
    int Value() const;
    // The last value the text read inside the range; at first the number the
    // text read when the box was made (0 for an empty box).
    int LastValidValue() const { return m_lastValid; }

    // Sets the accessible name from the visible text of the box's label.
    void SetAccessibleLabel(const QString& labelText);
    // The same from a label, which also becomes the control's buddy (see
    // NameControl); call it once the label has its text.
    void SetAccessibleLabel(QLabel* label);

signals:
    // The text changed, by the user or the program, and has been cleaned;
    // sent once per change with the text the box now shows.
    void NumberTextChanged(const QString& text);
    // The operator is done with the value: the focus left the box (after an
    // empty box was filled in) or Enter was pressed in it. Enter is consumed.
    void Committed(int value);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnTextChanged(const QString& text);

    CNumberTextRule m_rule;
    CNumberValidator* m_validator;
    int m_lastValid = 0;
    bool m_cleaning = false;
};
