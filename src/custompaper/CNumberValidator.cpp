#include "custompaper/CNumberValidator.h"

QValidator::State CNumberValidator::validate(QString& input, int& /*pos*/) const {
    return m_rule.Accepts(input) ? Acceptable : Invalid;
}
