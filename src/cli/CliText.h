#pragma once

#include <string>

// How plotcare-cli writes texts that come from the printer or the command
// line.
namespace cli {

// A JSON string literal, quotes included.
std::string JsonString(const std::string& s);

// Text with every control byte shown as '?' (a wrapped reply starts with its
// marker line).
std::string Printable(const std::string& s);

} // namespace cli
