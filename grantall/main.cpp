#include "CFolderGranter.h"
#include "CommandLine.h"

#include <cstdio>
#include <iostream>
#include <sys/resource.h>

namespace {

// A deep tree holds one descriptor per level; allow as many as the system lets us.
void RaiseDescriptorLimit() {
    struct rlimit limit {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

int main(int argc, char** argv) {
    const GrantCommand command =
        ParseCommandLine({const_cast<const char* const*>(argv) + 1, static_cast<std::size_t>(argc > 0 ? argc - 1 : 0)});
    switch (command.action) {
    case GrantCommand::Action::Help:
        std::cout << UsageText();
        return 0;
    case GrantCommand::Action::Version:
        std::cout << "grantall " GRANTALL_VERSION "\n";
        return 0;
    case GrantCommand::Action::Usage:
        std::cerr << "grantall: " << command.problem << "\n\n" << UsageText();
        return 2;
    case GrantCommand::Action::Walk:
        break;
    }

    RaiseDescriptorLimit();
    CFolderGranter granter(std::cerr);
    if (granter.WalkFolder(command.folder)) return 0;
    std::cerr << "grantall: " << granter.Failed() << " item(s) left unchanged\n";
    return 1;
}
