#include "custompaper/CDigitEdit.h"

#include "custompaper/AccessibleLabel.h"
#include "custompaper/CNumberValidator.h"

#include <QFocusEvent>
#include <QKeyEvent>

CDigitEdit::CDigitEdit(QWidget* parent) : CDigitEdit(CNumberTextRule(), parent) {}

CDigitEdit::CDigitEdit(const CNumberTextRule& rule, QWidget* parent)
    : QLineEdit(parent), m_validator(new CNumberValidator(this)) {
    setValidator(m_validator);
    connect(this, &QLineEdit::textChanged, this, &CDigitEdit::OnTextChanged);
    SetRule(rule);
    m_lastValid = CNumberTextRule::Read(text());
}

void CDigitEdit::SetRule(const CNumberTextRule& rule) {
    m_rule = rule;
    m_validator->SetRule(rule);
    setInputMethodHints(rule.AllowsSign() ? Qt::ImhFormattedNumbersOnly : Qt::ImhDigitsOnly);
    const QString cleaned = m_rule.Clean(text());
    if (cleaned != text()) setText(cleaned);
}

void CDigitEdit::SetValue(int value) {
    setText(QString::number(value));
}

int CDigitEdit::Value() const {
    return CNumberTextRule::Read(text());
}

void CDigitEdit::SetAccessibleLabel(const QString& labelText) {
    NameControl(this, labelText);
}

void CDigitEdit::SetAccessibleLabel(QLabel* label) {
    NameControl(this, label);
}

void CDigitEdit::OnTextChanged(const QString& text) {
    if (!m_cleaning) {
        const QString cleaned = m_rule.Clean(text);
        if (cleaned != text) {
            // setText reports the cleaned text through this slot again.
            m_cleaning = true;
            setText(cleaned);
            m_cleaning = false;
            return;
        }
    }
    if (const auto value = m_rule.ValidValue(text)) m_lastValid = *value;
    emit NumberTextChanged(text);
}

void CDigitEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A context menu takes the focus only for a moment.
    if (event->reason() == Qt::PopupFocusReason) return;
    if (const auto filled = m_rule.TextOnLeaving(text(), m_lastValid)) setText(*filled);
    emit Committed(Value());
}

void CDigitEdit::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QLineEdit::keyPressEvent(event);
    if (!enter) return;
    event->accept();
    emit Committed(Value());
}
