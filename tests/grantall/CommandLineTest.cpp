#include "CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Action = GrantCommand::Action;

struct ParseCase {
    std::vector<const char*> args;
    Action action;
    const char* folder;
};

TEST(CommandLine, ReadsOneFolderOrAnOption) {
    const ParseCase cases[] = {
        {{"/srv/plotcare"}, Action::Walk, "/srv/plotcare"},
        {{"\"/srv/my folder\""}, Action::Walk, "/srv/my folder"},
        {{"\"/srv/a"}, Action::Walk, "/srv/a"},
        {{"/srv/a\""}, Action::Walk, "/srv/a"},
        {{"\"\"/srv/a\"\""}, Action::Walk, "\"/srv/a\""}, // one quote each side only
        {{" /srv/a "}, Action::Walk, " /srv/a "},          // nothing else is trimmed
        {{"-"}, Action::Walk, "-"},
        {{"--", "--help"}, Action::Walk, "--help"},
        {{"--help"}, Action::Help, ""},
        {{"-h"}, Action::Help, ""},
        {{"/srv/a", "--version"}, Action::Version, ""},
        {{}, Action::Usage, ""},
        {{""}, Action::Usage, ""},
        {{"\""}, Action::Usage, ""},
        {{"\"\""}, Action::Usage, ""},
        {{"--"}, Action::Usage, ""},
        {{"/srv/a", "/srv/b"}, Action::Usage, ""},
        {{"-R"}, Action::Usage, ""},
    };
    for (const ParseCase& c : cases) {
        const GrantCommand command = ParseCommandLine(c.args);
        std::string shown;
        for (const char* a : c.args) shown += std::string("[") + a + "]";
        EXPECT_EQ(command.action, c.action) << shown;
        EXPECT_EQ(command.folder, c.folder) << shown;
        EXPECT_EQ(command.problem.empty(), c.action != Action::Usage) << shown;
    }
}

} // namespace
