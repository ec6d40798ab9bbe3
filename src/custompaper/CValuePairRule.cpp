#include "custompaper/CValuePairRule.h"

#include <algorithm>

CValuePairRule::CValuePairRule(int minimum, int maximum)
    : m_text(minimum, maximum, true, CNumberTextRule::LeavingEmpty::PutZero) {}

CValuePairRule::TextChange CValuePairRule::OnText(const QString& typed) const {
    TextChange change;
    change.text = m_text.Clean(typed);
    if (change.text.isEmpty()) return change;
    // "-" alone reads 0, as every other text reads as by atoi.
    change.slider = CNumberTextRule::Read(change.text);
    change.store = change.slider;
    return change;
}

QString CValuePairRule::OnSlider(int position) {
    return QString::number(position);
}

int CValuePairRule::SuctionPosition(int level) {
    return std::clamp(-level, 0, kSuctionPositions - 1);
}
