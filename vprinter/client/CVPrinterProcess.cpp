#include "CVPrinterProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

CVPrinterProcess::~CVPrinterProcess() { Stop(); }

bool CVPrinterProcess::Start(const Config& config, std::string& error, int timeoutMs) {
    Stop();
    std::string program = config.program;
    if (program.empty()) {
        const char* out = std::getenv("PLOTCARE_OUTPUT_DIR");
        program = out && *out ? std::string(out) + "/vprinter" : std::string(VPRINTER_PROGRAM);
    }
    const std::string portsFile = config.stateDir + "/ports";
    ::unlink(portsFile.c_str());
    std::vector<std::string> args = {program,
                                     "--state", config.stateDir,
                                     "--model", config.model,
                                     "--time-scale", std::to_string(config.timeScale),
                                     "--ports-file", portsFile,
                                     "--raw-port", std::to_string(config.ports.raw),
                                     "--local-port", std::to_string(config.ports.local),
                                     "--snmp-port", std::to_string(config.ports.snmp),
                                     "--control-port", std::to_string(config.ports.control)};
    args.insert(args.end(), config.extraArgs.begin(), config.extraArgs.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = "fork failed";
        return false;
    }
    if (pid == 0) {
        // (Only async-signal-safe calls between fork and exec.)
        // A test program that crashes must not leave its printer running
        // (holding the test's output open): the printer ends with the
        // thread that started it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        // Keep the test's output clean: the ready line goes to /dev/null.
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    m_pid = pid;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            error = "vprinter ended at start (" + program + ")";
            return false;
        }
        std::ifstream in(portsFile);
        if (in) {
            VPrinterPorts ports;
            std::string line;
            while (std::getline(in, line)) {
                const auto eq = line.find('=');
                if (eq == std::string::npos) continue;
                const int value = std::atoi(line.c_str() + eq + 1);
                const std::string key = line.substr(0, eq);
                if (key == "raw") ports.raw = value;
                else if (key == "local") ports.local = value;
                else if (key == "snmp") ports.snmp = value;
                else if (key == "control") ports.control = value;
            }
            if (ports.raw && ports.local && ports.snmp && ports.control) {
                m_ports = ports;
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    error = "vprinter did not report its ports";
    Stop();
    return false;
}

void CVPrinterProcess::Stop() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
}

std::string CVPrinterProcess::NetworkUri() const {
    return "socket://127.0.0.1:" + std::to_string(m_ports.raw) + "/?tqsnmp=" + std::to_string(m_ports.snmp);
}

std::string CVPrinterProcess::LocalUri() const {
    return "socket://127.0.0.1:" + std::to_string(m_ports.raw) + "/?tqlocal=" + std::to_string(m_ports.local) +
           "&tqsnmp=off";
}
