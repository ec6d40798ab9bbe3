#pragma once

#include <span>
#include <string>
#include <string_view>

// What grantall was asked to do.
struct GrantCommand {
    enum class Action { Walk, Help, Version, Usage };
    Action action = Action::Usage;
    std::string folder;  // for Walk
    std::string problem; // for Usage: what is wrong with the command line
};

// Reads the arguments after the program name: "--help", "--version", or one
// folder. A folder named like an option can follow "--".
GrantCommand ParseCommandLine(std::span<const char* const> args);

// Removes one leading and one trailing double quote, as a folder pasted with
// its quotes carries them.
std::string StripQuotes(std::string_view text);

// The text of --help.
std::string UsageText();
