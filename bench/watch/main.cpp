// bench_watch: the CPU plotcare spends while it watches the printer after a
// long maintenance job.
//
//   bench_watch [--seconds S] [--cli]
//
// Starts a virtual printer at a time scale that keeps it busy for about S
// seconds (default 65) with an automatic bidirectional alignment of all four
// patterns, and a private CUPS server with a local-channel queue on it. Then
// runs the alignment as the page does (busy dialog over a window, real
// clock): readiness check, queries, the job through CUPS, and the watch
// until the printer has been idle again for three polls. Reports the
// process's CPU time (user + system) over the wall time as a share of one
// core; the target is below 1 %. With --cli the same alignment runs once
// more through plotcare-cli, measured as a child process.
#include "app/CPlotcareApp.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CMediaTable.h"
#include "maintenance/CAutoAdjustment.h"
#include "maintenance/CBusyDialogIndicator.h"
#include "maintenance/CDriverMediaAccess.h"

#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "PrivateCups.h"
#include "TestFiles.h"

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The virtual printer's automatic bidirectional alignment of all patterns
// takes 900 s at time scale 1.
constexpr double kAllPatternsSeconds = 900.0;

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

double CpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return Seconds(u.ru_utime) + Seconds(u.ru_stime);
}

double WallSeconds() {
    using namespace std::chrono;
    return duration_cast<duration<double>>(steady_clock::now().time_since_epoch()).count();
}

const char* OutcomeName(CAutoAdjustment::Outcome o) {
    switch (o) {
    case CAutoAdjustment::Outcome::Finished: return "finished";
    case CAutoAdjustment::Outcome::Cancelled: return "cancelled";
    case CAutoAdjustment::Outcome::TimedOut: return "timed out";
    case CAutoAdjustment::Outcome::Failed: return "failed";
    default: return "refused";
    }
}

void Report(const char* what, const char* outcome, double wall, double cpu) {
    std::printf("%-28s %-9s wall %6.1f s  cpu %6.3f s  = %5.2f %% of one core (target < 1 %%)\n", what, outcome,
                wall, cpu, wall > 0 ? 100.0 * cpu / wall : 0.0);
    std::fflush(stdout);
}

void PageWatch(const std::string& queue, const CMediaTable& table) {
    QWidget mainWindow;
    mainWindow.resize(600, 400);
    mainWindow.show();
    CBidiLibrary lib;
    if (lib.Load(queue, 1) != 1) {
        std::printf("bench_watch: libtqapi.so does not load for %s; no figure\n", queue.c_str());
        return;
    }
    CPrinterLink link(&lib);
    CAutoAdjustment adjustment(table);
    CDriverMediaAccess noDriver(nullptr, queue, "", nullptr, &table);
    CBusyDialogIndicator busy(&mainWindow);
    adjustment.Activate(queue, noDriver, busy); // item 0, "no media type"
    for (int p = 1; p <= 4; ++p) adjustment.SetPattern(CAutoAdjustment::Direction::Bidirectional, p, true);
    adjustment.TypeThickness("3");

    const double cpu0 = CpuSeconds(RUSAGE_SELF), wall0 = WallSeconds();
    const auto outcome = adjustment.StartAlignment(CAutoAdjustment::Direction::Bidirectional, link, queue,
                                                   noDriver, nullptr, true, busy);
    Report("page (busy dialog)", OutcomeName(outcome), WallSeconds() - wall0, CpuSeconds(RUSAGE_SELF) - cpu0);
}

void CliWatch(const std::string& queue) {
    const std::string program = std::string(std::getenv("PLOTCARE_OUTPUT_DIR")) + "/plotcare-cli";
    const double wall0 = WallSeconds();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        execl(program.c_str(), program.c_str(), "auto-align", queue.c_str(), "--direction", "bi", "--thickness",
              "3", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage u{};
    if (pid < 0 || wait4(pid, &status, 0, &u) != pid) {
        std::printf("bench_watch: plotcare-cli did not run; no figure\n");
        return;
    }
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    Report("plotcare-cli (progress line)", code == 0 ? "finished" : "failed", WallSeconds() - wall0,
           Seconds(u.ru_utime) + Seconds(u.ru_stime));
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 65.0;
    bool cli = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::max(1.0, std::atof(argv[++i]));
        else if (std::strcmp(argv[i], "--cli") == 0) cli = true;
    }
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("PLOTCARE_OUTPUT_DIR")) setenv("PLOTCARE_OUTPUT_DIR", PLOTCARE_OUTPUT_DIR_DEFAULT, 1);
    const std::string out = std::getenv("PLOTCARE_OUTPUT_DIR");
    QApplication qapp(argc, argv);
    CPlotcareApp app(QString(), QString::fromStdString(out));
    CPlotcareApp::SetCurrent(&app);

    TempDir state;
    CVPrinterProcess printer;
    CVPrinterProcess::Config config;
    config.stateDir = state.path().string();
    config.model = "qz";
    config.timeScale = seconds / kAllPatternsSeconds;
    std::string error;
    if (!printer.Start(config, error)) {
        std::printf("bench_watch: the virtual printer does not start (%s); no figure\n", error.c_str());
        return 0;
    }
    std::unique_ptr<PrivateCups> cups;
    try {
        cups = std::make_unique<PrivateCups>();
        cups->AddQueue("WatchLocal", printer.LocalUri(), out + "/driver/ovqz7100.ppd");
    } catch (const std::exception& e) {
        std::printf("bench_watch: the private CUPS server does not start (%s); no figure\n", e.what());
        return 0;
    }
    const CMediaTable table(out + "/Settings/Media.ini");
    std::printf("virtual printer busy for about %.0f s (time scale %.4f); the watch ends a few seconds after\n",
                seconds, config.timeScale);
    PageWatch("WatchLocal", table);
    if (cli) CliWatch("WatchLocal");
    CPlotcareApp::SetCurrent(nullptr);
    return 0;
}
