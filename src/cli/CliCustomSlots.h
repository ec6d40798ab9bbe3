#pragma once

#include <string>

namespace cli {

struct Context;

// The printer's custom paper slots from a shell, on the custom paper table
// the pages use:
//   slots PRINTER                                 numbers, names, registered
//   slot PRINTER N                                all settings of slot N
//   call PRINTER N|standard                       makes it the active paper setting
//   register PRINTER N [--name NAME] --from FILE.json|FILE.ZMD:ENTRY
//                                                 writes slot N from saved settings
int Slots(Context& c);
int Slot(Context& c);
int Call(Context& c);
int Register(Context& c);

// "1".."10" -> 0..9; -1 for anything else.
int SlotIndexArgument(const std::string& text);

} // namespace cli
