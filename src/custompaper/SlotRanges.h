#pragma once

#include "custompaper/CustomPaperSlot.h"

#include <string>

// The values the custom paper pages let an operator give a slot (their
// sliders, boxes and edits), for settings that come from elsewhere (a saved
// file) before they are written into the printer.
namespace SlotRanges {

struct Issue {
    enum class Kind { None, OutOfRange, EmptyName, LongName, BadName };
    std::string field;  // "" when the settings are within range
    std::string reason; // what is wrong, for the operator
    // The same in parts, for callers that say it in another language: the
    // value and its range (and the thickness whose choices limit a platen
    // gap, else 0), or the name's longest length.
    Kind kind = Kind::None;
    int value = 0, low = 0, high = 0, thickness = 0;
};

// The platen gap choices the thickness leaves (1 for 7 or more, 3 for 3..6,
// 4 for 1..2): the platen gap must be one of 1..PlatenChoices.
int PlatenChoices(int paperthick);

// The first setting outside what the pages allow, in the order of the
// pages: thickness 1..16, platen gap within the thickness's choices, feed
// -70..70, drying time 0..50, cut method 0..3, the four-choice setting 0..3,
// suction 0..-4, the three-choice setting 0..2, media code one byte (a code
// of no known media stays allowed: the registration page keeps and saves
// one it read from the printer).
Issue Check(const CustomPaperSlot& slot);

// A slot name the registration dialog would take: 1..30 bytes of UTF-8,
// not only blanks, no control characters.
Issue CheckName(const std::string& name);

} // namespace SlotRanges
