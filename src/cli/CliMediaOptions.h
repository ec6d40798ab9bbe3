#pragma once

#include <string>

class CAlignmentMediaChoice;

namespace cli {

struct Context;

// A whole decimal number and nothing else.
bool ParseInt(const std::string& text, int& value);

// The media options of auto-align and align, read before anything is
// opened: --media ID and --platen VALUE|auto.
struct MediaOptions {
    bool media = false;
    int mediaId = 0;
    int platen = -1; // -1 not given, 0 auto, 1 (widest) .. 4
};
// Empty when the options are well formed; otherwise what is wrong.
std::string ReadMediaOptions(const Context& c, MediaOptions& options);

// What a media choice offers, for the message that refuses another value:
// " 101 102 …" (media ids that can be used), " auto 2 3 …" (platen gaps).
std::string OfferedMediaIds(const CAlignmentMediaChoice& choice);
std::string OfferedPlatenValues(const CAlignmentMediaChoice& choice);

} // namespace cli
