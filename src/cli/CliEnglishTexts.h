#pragma once

namespace cli {

// The English Localize.ini as it was when the program was built: what
// plotcare-cli says when the Settings folder gives no text for an id.
extern const char* const kEnglishTexts;

} // namespace cli
