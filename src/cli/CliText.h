#pragma once

#include <string>

// How plotcare-cli writes texts that come from the printer, the spooler or
// the command line: nothing in them may act on the terminal, and the JSON it
// writes stays valid whatever bytes they hold.
namespace cli {

// The text with every control character written as an escape: \n, \r, \t,
// \\ for a backslash, \xNN for the other bytes of control characters (C0,
// DEL and, as UTF-8, C1) and for bytes that are not UTF-8. Other characters,
// multi-byte ones included, stay as they are.
std::string Escaped(const std::string& s);

// A JSON string literal, quotes included: control characters as escapes, and
// every byte that is not UTF-8 as U+FFFD.
std::string JsonString(const std::string& s);

} // namespace cli
