#pragma once

#include "custompaper/CNumberTextRule.h"

#include <QString>
#include <optional>

// The rules of a setting tab's value pair, a slider and an edit box that
// show the same number, without the widgets:
// - every change of the box's text is cleaned to the range (empty allowed);
//   a cleaned text that is not empty moves the slider to the value it reads
//   ("-" alone reads 0) and stores that value; an empty text moves the
//   slider to 0 and stores nothing;
// - a box left empty gets "0" (and so stores 0);
// - a slider moved writes its position into the box, which then runs the
//   text rule.
// The suction slider of the cut tabs is not a pair: its position p stands for
// the suction level -p.
class CValuePairRule {
public:
    CValuePairRule(int minimum, int maximum);

    int Minimum() const { return m_text.Minimum(); }
    int Maximum() const { return m_text.Maximum(); }
    // The edit box's rule: the box cleans every change with it and gets "0"
    // when it is left empty.
    const CNumberTextRule& TextRule() const { return m_text; }

    struct TextChange {
        QString text;             // the text the box shows
        int slider = 0;           // the slider's position
        std::optional<int> store; // the value the record takes; none: unchanged
    };
    // What a typed or written text of the box does.
    TextChange OnText(const QString& typed) const;
    // The text a slider moved to `position` writes into the box.
    static QString OnSlider(int position);

    // Suction: slider positions 0..4 stand for the levels 0, -1..-4.
    static constexpr int kSuctionPositions = 5;
    static int SuctionLevel(int position) { return -position; }
    // The slider position of a stored level, clamped to the slider's range
    // (a level below -4 shows at the end; a positive one at standard).
    static int SuctionPosition(int level);

    // The item a choice box selects for a stored value: a negative value
    // selects the first item.
    static int ChoiceIndex(int value) { return value < 0 ? 0 : value; }

private:
    CNumberTextRule m_text;
};
