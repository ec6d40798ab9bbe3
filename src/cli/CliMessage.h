#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The words plotcare-cli writes for people come from the texts of the
// Settings folder, like the program's, so they follow the chosen language.
namespace cli {

// The text of `id` with %1 ... %9 replaced by the arguments, in one pass:
// a "%" followed by anything else, or by a number beyond the arguments,
// stays as it is, and nothing inside an argument is replaced again.
std::string Message(int id, std::initializer_list<std::string_view> args = {});

// The same message in English whatever the chosen language, for what
// programs read (JSON output stays the same in every language).
std::string NeutralMessage(int id, std::initializer_list<std::string_view> args = {});

// The same substitution on a given text (what Message does after the
// lookup).
std::string Substitute(std::string_view text, std::initializer_list<std::string_view> args);

} // namespace cli
