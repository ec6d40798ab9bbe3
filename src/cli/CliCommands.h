#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// plotcare-cli: the printer conversation of plotcare from a shell. Each
// command is one row of a table (name, arguments, help, handler), so new
// actions are one row and one function.
namespace cli {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNotSupported = 2; // no such printer, driver not supported, no library
constexpr int kExitNotReady = 3;
constexpr int kExitNoAnswer = 4;     // no channel, no reply, no status
constexpr int kExitRefused = 5;      // a check refused before anything was sent (ink, tank, SN level, thickness)
constexpr int kExitFailed = 6;       // the printer reported an error, or the job could not be sent
constexpr int kExitCancelled = 7;    // the operator ended a wait, or it timed out

struct Options {
    bool json = false;
    bool anyDriver = false;   // also printers whose driver is not listed
    std::string library;      // load the bidirectional library from here
    std::string settingsDir;  // program folder holding "Settings" (default: beside the program)
    bool terminal = false;    // standard error is a terminal (progress lines rewritten in place)
};

// Runs one command line (argv without the program name). Output goes to
// `out`, messages to `err`; the result is the exit code.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace cli
