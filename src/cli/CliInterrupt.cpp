#include "cli/CliInterrupt.h"

namespace cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

}  // namespace

void CliInterrupt::Catch() {
    Release();
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    m_catching = sigaction(SIGINT, &action, &m_previous) == 0;
}

void CliInterrupt::Release() {
    if (!m_catching) return;
    sigaction(SIGINT, &m_previous, nullptr);
    m_catching = false;
}

bool CliInterrupt::Interrupted() const { return m_catching && g_interrupted; }

}  // namespace cli
