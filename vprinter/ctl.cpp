// vprinter-ctl: reads and changes a running vprinter's state.
//   vprinter-ctl [--host ADDR] PORT COMMAND...
// e.g. "vprinter-ctl 40123 DUMP", "vprinter-ctl 40123 FAULT ink-low 2".
#include <cstdio>
#include <cstdlib>
#include <string>

#include "client/CVPrinterClient.h"

int main(int argc, char** argv) {
    int i = 1;
    std::string host = "127.0.0.1";
    if (argc > 2 && std::string(argv[1]) == "--host") {
        host = argv[2];
        i = 3;
    }
    if (argc - i < 2) {
        std::fprintf(stderr,
                     "usage: vprinter-ctl [--host ADDR] CONTROL-PORT COMMAND [ARGS...]\n"
                     "commands: PING, GET key, SET key value, DUMP, LOG [clear], JOBS, FAULT name [arg],\n"
                     "          FAULT clear [name], FAULTS, FINISH, RESTART, QUIT\n");
        return 2;
    }
    const int port = std::atoi(argv[i++]);
    std::string line;
    for (; i < argc; ++i) line += (line.empty() ? "" : " ") + std::string(argv[i]);
    const CVPrinterClient client(port, host);
    const auto answer = client.Request(line);
    if (answer.empty()) {
        std::fprintf(stderr, "vprinter-ctl: no answer from port %d\n", port);
        return 1;
    }
    for (const std::string& l : answer) std::printf("%s\n", l.c_str());
    return answer[0].rfind("OK", 0) == 0 ? 0 : 1;
}
