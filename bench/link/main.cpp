// bench_link: CPU spent while waiting for a printer, and query round trips.
//
//   bench_link [--rounds N]
//
// Starts a virtual printer and a private CUPS server with a network queue
// and a local queue on it, then
//  1. runs WaitUntilReady against a printer that never becomes ready, with
//     the busy dialog (waits that dispatch window messages) and without it
//     (plain sleeps), and reports the process's CPU time over the wait as a
//     share of one core (target: below 1 %);
//  2. times N firmware-version queries with SendReceive on each channel kind.
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "comm/RemotePackets.h"
#include "maintenance/ReadyWait.h"

#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "PrivateCups.h"
#include "TestFiles.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() {
    using namespace std::chrono;
    return duration_cast<duration<double>>(steady_clock::now().time_since_epoch()).count();
}

void WaitFigures(CBidiLibrary& lib, const std::string& queue, bool busyDialog) {
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    CPrinterLink link(&lib);
    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    const int r = WaitUntilReady(link, queue, busyDialog, busyDialog ? &owner : nullptr);
    const double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0;
    std::printf("wait-until-ready %-8s %-12s result %d  wall %6.2f s  cpu %6.3f s  = %5.2f %% of one core (target < 1 %%)\n",
                queue.c_str(), busyDialog ? "busy-dialog" : "plain-sleep", r, wall, cpu, 100.0 * cpu / wall);
}

void RoundTrips(CBidiLibrary& lib, const std::string& queue, int rounds) {
    CPrinterLink link(&lib);
    std::uint8_t query[16];
    const int length = BuildQueryVI(query, sizeof query);
    std::vector<double> ms;
    int failures = 0;
    for (int i = 0; i < rounds; ++i) {
        std::uint8_t reply[CPrinterLink::kReplySize] = {};
        const double t0 = WallSeconds();
        const int n = link.SendReceive(queue, query, length, reply, sizeof reply, CPrinterLink::kReplyTimeoutMs);
        ms.push_back((WallSeconds() - t0) * 1000.0);
        failures += n < 1;
    }
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double v : ms) sum += v;
    std::printf("send-receive     %-8s %4d rounds  mean %7.3f ms  median %7.3f ms  p95 %7.3f ms  max %7.3f ms  failures %d\n",
                queue.c_str(), rounds, sum / rounds, ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back(), failures);
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 200;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("PLOTCARE_OUTPUT_DIR")) setenv("PLOTCARE_OUTPUT_DIR", PLOTCARE_OUTPUT_DIR_DEFAULT, 1);
    QApplication app(argc, argv);

    TempDir state;
    CVPrinterProcess printer;
    CVPrinterProcess::Config config;
    config.stateDir = state.path().string();
    config.model = "qz";
    std::string error;
    if (!printer.Start(config, error)) {
        std::fprintf(stderr, "bench_link: the virtual printer does not start: %s\n", error.c_str());
        return 1;
    }
    PrivateCups cups;
    const std::string ppd = std::string(std::getenv("PLOTCARE_OUTPUT_DIR")) + "/driver/ovqz7100.ppd";
    cups.AddQueue("BenchNet", printer.NetworkUri(), ppd);
    cups.AddQueue("BenchLocal", printer.LocalUri(), ppd);
    CVPrinterClient control(printer.Ports().control);

    for (const char* queue : {"BenchNet", "BenchLocal"}) {
        CBidiLibrary lib;
        if (lib.Load(queue, 1) != 1) {
            std::fprintf(stderr, "bench_link: libtqapi.so does not load for %s\n", queue);
            return 1;
        }
        RoundTrips(lib, queue, rounds);
    }

    control.Fault("never-ready");
    for (bool busy : {true, false}) {
        CBidiLibrary lib;
        lib.Load("BenchLocal", 1);
        WaitFigures(lib, "BenchLocal", busy);
    }
    control.ClearFaults();
    return 0;
}
