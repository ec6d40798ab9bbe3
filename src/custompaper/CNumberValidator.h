#pragma once

#include "custompaper/CNumberTextRule.h"

#include <QValidator>

// Lets into a number edit only the text its rule accepts, so a key or a
// pasted or dropped text with any other character is refused whole. The
// cleaning (range, sign) happens after the text changed, in CDigitEdit.
class CNumberValidator : public QValidator {
    Q_OBJECT
public:
    explicit CNumberValidator(QObject* parent = nullptr) : QValidator(parent) {}

    void SetRule(const CNumberTextRule& rule) { m_rule = rule; }

    State validate(QString& input, int& pos) const override;

private:
    CNumberTextRule m_rule;
};
