#pragma once

#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "TestFiles.h"

#include <chrono>
#include <memory>
#include <string>
#include <thread>

// Two virtual printers on the private CUPS server, one per channel kind: a
// Corvan Max 7100 reached over the network channel and a QZ-7100 over the
// local channel, each with its own queue. The integration suites of the
// pages and of plotcare-cli run against them.

// The folder the programs and driver files are built into.
std::string OutputDir();

struct VirtualPrinter {
    TempDir state;
    CVPrinterProcess process;
    std::unique_ptr<CVPrinterClient> control;
    std::string error;

    explicit VirtualPrinter(const char* model);
};

class VprinterRig {
public:
    // The rig of this test program, made on first use with its two queue
    // names; the printers stop at exit, before the CUPS server they are
    // queued on.
    static VprinterRig& Shared(const std::string& networkQueue = "CorvanNet",
                               const std::string& localQueue = "QzLocal");

    // Both printers run and their queues exist; `Error()` says why not.
    bool Ready() const { return network.control && local.control && m_queued; }
    std::string Error() const;

    // The printer behind a queue of the rig.
    VirtualPrinter& On(const std::string& queue) { return queue == m_localQueue ? local : network; }
    const std::string& NetworkQueue() const { return m_networkQueue; }
    const std::string& LocalQueue() const { return m_localQueue; }

    VirtualPrinter network{"corvan"};
    VirtualPrinter local{"qz"};

private:
    VprinterRig(const std::string& networkQueue, const std::string& localQueue);
    std::string m_networkQueue;
    std::string m_localQueue;
    bool m_queued = false;
    std::string m_queueError;
};

// Polls `done` in real time (the printer works in its own process).
template <typename F> bool Eventually(F done, int timeoutMs = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// A line of the printer's log starts with `prefix`.
bool Logged(const CVPrinterClient& control, const std::string& prefix);

// The file a "printed NAME" line of the log names (NAME containing `kind`),
// in the output folder; empty while there is none.
std::string PrintedFile(const CVPrinterClient& control, const std::string& kind);

std::string ReadFile(const std::string& path);

// Brings the printer to a ready state with no faults and an empty log.
// Returns false (and says why through gtest) when it does not get there.
bool Idle(VirtualPrinter& p);

// One run of the plotcare-cli program; standard error is kept apart unless
// `mergeErr`.
struct CliRun {
    int code = -1;
    std::string out;
};
CliRun RunCli(const std::string& args, bool mergeErr = true);
