#include "custompaper/CNumberTextRule.h"

#include "base/NumberText.h"

#include <cstdint>
#include <limits>

CNumberTextRule::CNumberTextRule(int minimum, int maximum, bool emptyAllowed, LeavingEmpty leaving)
    : m_minimum(minimum), m_maximum(maximum < minimum ? minimum : maximum),
      m_emptyAllowed(emptyAllowed), m_leaving(leaving) {}

bool CNumberTextRule::Accepts(QStringView text) const {
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9') continue;
        if (c == u'-' && AllowsSign()) continue;
        return false;
    }
    return true;
}

QString CNumberTextRule::Clean(const QString& text) const {
    return NormalizeNumberText(text, m_minimum, m_maximum, m_emptyAllowed);
}

std::optional<int> CNumberTextRule::ValidValue(const QString& text) const {
    bool digit = false;
    for (const QChar c : text)
        digit = digit || (c >= u'0' && c <= u'9');
    if (!digit) return std::nullopt;
    const int value = Read(text);
    if (value < m_minimum || value > m_maximum) return std::nullopt;
    return value;
}

std::optional<QString> CNumberTextRule::TextOnLeaving(const QString& text, int lastValid) const {
    if (!text.isEmpty()) return std::nullopt;
    switch (m_leaving) {
    case LeavingEmpty::RestoreLastValid:
        return Clean(QString::number(lastValid));
    case LeavingEmpty::PutZero:
        return Clean(QStringLiteral("0"));
    case LeavingEmpty::StayEmpty:
        break;
    }
    return std::nullopt;
}

int CNumberTextRule::Read(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    // Saturates past the int range, so a long run of digits cannot overflow.
    constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<int>::max()} + 1;
    std::int64_t value = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > kCap) value = kCap;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}
