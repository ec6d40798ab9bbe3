// vprinter: a virtual ORVEX large-format printer on loopback sockets.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "core/CPrinterServer.h"
#include "core/CVirtualPrinter.h"

namespace {

vprinter::CPrinterServer* g_server = nullptr;

void OnSignal(int) {
    if (g_server) g_server->Stop();
}

void Usage() {
    std::fprintf(stderr,
                 "usage: vprinter [--state DIR] [--output DIR] [--model corvan|qz] [--host ADDR]\n"
                 "                [--raw-port N] [--local-port N] [--snmp-port N] [--control-port N]\n"
                 "                [--ports-file FILE] [--time-scale X]\n"
                 "Ports of 0 (the default) are picked free and reported on stdout and in the ports file.\n");
}

bool ParsePort(const char* text, int& port) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!end || *end || v < 0 || v > 65535) return false;
    port = static_cast<int>(v);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    vprinter::CVirtualPrinter::Options options;
    options.stateDir = "vprinter-state";
    vprinter::PrinterPorts wanted;
    std::string host = "127.0.0.1";
    std::string portsFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() { return argv[++i]; };
        bool ok = hasValue;
        if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else if (!hasValue) {
            ok = false;
        } else if (arg == "--state") {
            options.stateDir = value();
        } else if (arg == "--output") {
            options.outputDir = value();
        } else if (arg == "--model") {
            options.setModel = true;
            ok = vprinter::ParseModel(value(), options.model);
        } else if (arg == "--host") {
            host = value();
        } else if (arg == "--raw-port") {
            ok = ParsePort(value(), wanted.raw);
        } else if (arg == "--local-port") {
            ok = ParsePort(value(), wanted.local);
        } else if (arg == "--snmp-port") {
            ok = ParsePort(value(), wanted.snmp);
        } else if (arg == "--control-port") {
            ok = ParsePort(value(), wanted.control);
        } else if (arg == "--ports-file") {
            portsFile = value();
        } else if (arg == "--time-scale") {
            char* end = nullptr;
            options.timeScale = std::strtod(value(), &end);
            ok = end && !*end && options.timeScale >= 0;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "vprinter: bad argument %s\n", arg.c_str());
            Usage();
            return 2;
        }
    }

    vprinter::CVirtualPrinter printer(options);
    vprinter::CPrinterServer server(printer, host);
    std::string error;
    if (!server.Open(wanted, error)) {
        std::fprintf(stderr, "vprinter: %s\n", error.c_str());
        return 1;
    }
    const vprinter::PrinterPorts ports = server.Ports();
    if (!portsFile.empty()) {
        const std::string temp = portsFile + ".tmp";
        {
            std::ofstream out(temp, std::ios::trunc);
            out << "raw=" << ports.raw << "\nlocal=" << ports.local << "\nsnmp=" << ports.snmp
                << "\ncontrol=" << ports.control << "\n";
        }
        std::rename(temp.c_str(), portsFile.c_str());
    }
    std::printf("vprinter ready raw=%d local=%d snmp=%d control=%d model=%s\n", ports.raw, ports.local, ports.snmp,
                ports.control, vprinter::ModelKey(printer.State().model));
    std::fflush(stdout);

    g_server = &server;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    server.Run();
    g_server = nullptr;
    return 0;
}
