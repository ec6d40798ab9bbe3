#pragma once

#include <csignal>

namespace cli {

// Ctrl-C taken over by a wait while it lasts: Catch() makes SIGINT only
// mark the wait as interrupted, Release() (or the destructor) gives it back
// to the program as it was.
class CliInterrupt {
public:
    CliInterrupt() = default;
    ~CliInterrupt() { Release(); }
    CliInterrupt(const CliInterrupt&) = delete;
    CliInterrupt& operator=(const CliInterrupt&) = delete;

    void Catch();
    void Release();
    // Whether Ctrl-C came since Catch().
    bool Interrupted() const;

private:
    bool m_catching = false;
    struct sigaction m_previous {};
};

}  // namespace cli
