#include "CommandLine.h"

std::string StripQuotes(std::string_view text) {
    if (text.starts_with('"')) text.remove_prefix(1);
    if (text.ends_with('"')) text.remove_suffix(1);
    return std::string(text);
}

GrantCommand ParseCommandLine(std::span<const char* const> args) {
    GrantCommand command;
    bool optionsEnded = false;
    int folders = 0;
    for (const char* raw : args) {
        const std::string_view arg = raw ? raw : "";
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            return {GrantCommand::Action::Help, {}, {}};
        } else if (!optionsEnded && arg == "--version") {
            return {GrantCommand::Action::Version, {}, {}};
        } else if (!optionsEnded && arg.size() > 1 && arg.starts_with('-')) {
            return {GrantCommand::Action::Usage, {}, "unknown option " + std::string(arg)};
        } else {
            ++folders;
            command.folder = StripQuotes(arg);
        }
    }
    if (folders > 1)
        return {GrantCommand::Action::Usage, {},
                "give one folder (quote a folder name that contains spaces)"};
    // Never fall back to some default folder: an empty name changes nothing.
    if (command.folder.empty()) return {GrantCommand::Action::Usage, {}, "no folder given"};
    command.action = GrantCommand::Action::Walk;
    return command;
}

std::string UsageText() {
    return "Usage: grantall FOLDER\n"
           "Gives every user of this computer full access to FOLDER and to every file\n"
           "and folder in it: read and write, search on folders, and execute on files\n"
           "that someone can already run. Files and folders created there later are\n"
           "open to everyone too. Other users' and groups' entries are kept.\n"
           "Symbolic links are never followed; device nodes and sockets are left alone.\n"
           "\n"
           "  --help     show this help\n"
           "  --version  show the version\n"
           "\n"
           "Exit status: 0 when every item was changed, 1 when some item could not be\n"
           "(each one is named on standard error), 2 for a wrong command line.\n";
}
