#include "VprinterRig.h"

#include "PrivateCups.h"

#include <gtest/gtest.h>

#include <array>
#include <exception>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

std::string OutputDir() {
    const char* dir = std::getenv("PLOTCARE_OUTPUT_DIR");
    return dir ? dir : "";
}

VirtualPrinter::VirtualPrinter(const char* model) {
    CVPrinterProcess::Config config;
    config.stateDir = state.path().string();
    config.model = model;
    if (process.Start(config, error)) control = std::make_unique<CVPrinterClient>(process.Ports().control);
}

VprinterRig::VprinterRig(const std::string& networkQueue, const std::string& localQueue)
    : m_networkQueue(networkQueue), m_localQueue(localQueue) {
    if (!network.control || !local.control) return;
    PrivateCups& cups = PrivateCups::Shared();
    try {
        cups.AddQueue(m_networkQueue, network.process.NetworkUri(), OutputDir() + "/driver/ovcm7100.ppd");
        cups.AddQueue(m_localQueue, local.process.LocalUri(), OutputDir() + "/driver/ovqz7100.ppd");
        m_queued = true;
    } catch (const std::exception& e) {
        m_queueError = e.what();
    }
}

VprinterRig& VprinterRig::Shared(const std::string& networkQueue, const std::string& localQueue) {
    static VprinterRig rig(networkQueue, localQueue);
    return rig;
}

std::string VprinterRig::Error() const {
    if (!network.control) return "network printer: " + network.error;
    if (!local.control) return "local printer: " + local.error;
    if (!m_queued) return m_queueError;
    return {};
}

bool Logged(const CVPrinterClient& control, const std::string& prefix) {
    for (const std::string& line : control.Log())
        if (line.rfind(prefix, 0) == 0) return true;
    return false;
}

std::string PrintedFile(const CVPrinterClient& control, const std::string& kind) {
    for (const std::string& line : control.Log())
        if (line.rfind("printed ", 0) == 0 && line.find(kind) != std::string::npos)
            return control.Get("output") + "/" + line.substr(8);
    return {};
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Idle(VirtualPrinter& p) {
    if (!p.control) {
        ADD_FAILURE() << "no virtual printer: " << p.error;
        return false;
    }
    const bool ok = p.control->ClearFaults() && p.control->Ok("FINISH") &&
                    Eventually([&] { return p.control->Get("state") == "ready"; }) && p.control->Ok("LOG clear");
    if (!ok) ADD_FAILURE() << "the virtual printer did not become idle";
    return ok;
}

CliRun RunCli(const std::string& args, bool mergeErr) {
    CliRun run;
    const std::string command = OutputDir() + "/plotcare-cli " + args + (mergeErr ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 512> buf;
    while (std::fgets(buf.data(), buf.size(), pipe)) run.out += buf.data();
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
