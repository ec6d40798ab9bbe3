#pragma once

// Starts a vprinter program for a test or the demo, waits until it reports
// its ports, and ends it again (SIGTERM, then SIGKILL) when destroyed.

#include <string>
#include <sys/types.h>
#include <vector>

struct VPrinterPorts {
    int raw = 0;
    int local = 0;
    int snmp = 0;
    int control = 0;
};

class CVPrinterProcess {
public:
    struct Config {
        std::string program;       // empty: $PLOTCARE_OUTPUT_DIR/vprinter, else the one built with this client
        std::string stateDir;      // required
        std::string model = "corvan";
        double timeScale = 0.001;  // a one-minute cleaning takes 60 ms
        VPrinterPorts ports;       // 0 = pick free ones
        std::vector<std::string> extraArgs;
    };

    CVPrinterProcess() = default;
    ~CVPrinterProcess();
    CVPrinterProcess(const CVPrinterProcess&) = delete;
    CVPrinterProcess& operator=(const CVPrinterProcess&) = delete;

    // The printer ends when the thread that started it ends (or the whole
    // program dies), so start it from a thread that lives as long as it.
    bool Start(const Config& config, std::string& error, int timeoutMs = 10000);
    void Stop();
    bool Running() const { return m_pid > 0; }

    const VPrinterPorts& Ports() const { return m_ports; }
    pid_t Pid() const { return m_pid; }

    // The device URIs of the two queue kinds (see vprinter/README.md).
    std::string NetworkUri() const;
    std::string LocalUri() const;

private:
    pid_t m_pid = -1;
    VPrinterPorts m_ports;
};
