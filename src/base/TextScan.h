#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Small text conversions with the C library's semantics, made safe for any
// input: no reads past the end, no undefined overflow.
namespace TextScan {

// Reads integers as scanf does with the format "%d,%d,...,%d" (`count`
// fields): each field skips leading white space, takes an optional sign and
// at least one digit; between fields exactly one "," must follow. Stops at
// the first mismatch. Returns the number of fields stored in `out`; a value
// beyond 32 bits saturates.
int CommaIntegers(std::string_view text, std::int32_t* out, int count);

// atoi: leading white space, optional sign, digits; 0 when there are none.
// Saturates instead of overflowing.
std::int32_t Atoi(std::string_view text);

// The key of a text or font id in the localization files: "00%06d".
std::string IdKey(int id);

// A key file's text with every "\n" written as two characters turned into
// a line break.
std::string WithLineBreaks(std::string_view text);

}  // namespace TextScan
