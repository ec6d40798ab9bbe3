// bench_statusall: how long plotcare-cli status --all takes on many printers.
//
//   bench_statusall [--printers N] [--silent K]     (defaults 50 and 1)
//
// Starts N virtual printers (every other one on the local channel, the
// rest on the network channel) behind a private CUPS server, makes K of
// them silent (offline network printers: they answer nothing, so each
// status query waits out the library's time-out), and prints the wall
// time of
//  1. `status --all`: every printer asked at once;
//  2. the same printers asked one after another by the same code;
//  3. `status PRINTER` for each printer in turn, as a shell loop would.
// Asked at once, the run should take about as long as one silent printer's
// time-out; one after another, every silent printer's time-out plus every
// other printer's time.
#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "PrivateCups.h"
#include "TestFiles.h"
#include "cli/CliCommands.h"
#include "cli/CliLibraryShelf.h"
#include "cli/CliStatusAll.h"
#include "platform/Spooler.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

double WallSeconds() {
    using namespace std::chrono;
    return duration_cast<duration<double>>(steady_clock::now().time_since_epoch()).count();
}

// When each printer's query began and ended.
class Timeline : public cli::StatusQueryObserver {
public:
    explicit Timeline(std::size_t count) : begin(count), end(count) {}
    void QueryBegins(std::size_t i) override { begin[i] = WallSeconds(); }
    void QueryEnds(std::size_t i) override { end[i] = WallSeconds(); }
    std::vector<double> begin, end;
};

} // namespace

int main(int argc, char** argv) {
    int count = 50;
    int silentCount = 1;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--printers") == 0)
            count = std::clamp(std::atoi(argv[i + 1]), 2, 500);
        else if (std::strcmp(argv[i], "--silent") == 0)
            silentCount = std::atoi(argv[i + 1]);
    if (!std::getenv("PLOTCARE_OUTPUT_DIR"))
        setenv("PLOTCARE_OUTPUT_DIR", PLOTCARE_OUTPUT_DIR_DEFAULT, 1);
    const std::string out = std::getenv("PLOTCARE_OUTPUT_DIR");
    // Settings of the benchmark's own, never the user's.
    TempDir home;
    setenv("PLOTCARE_SYSTEM_CONFIG_DIR", home.file("system").c_str(), 1);
    setenv("PLOTCARE_CONFIG_HOME", home.file("config").c_str(), 1);
    setenv("HOME", home.path().c_str(), 1);
    QCoreApplication qapp(argc, argv);

    std::unique_ptr<PrivateCups> cups;
    try {
        cups = std::make_unique<PrivateCups>();
    } catch (const std::exception& e) {
        std::printf("bench_statusall: the private CUPS server does not start (%s); no figure\n",
                    e.what());
        return 0;
    }
    std::vector<std::unique_ptr<CVPrinterProcess>> printers;
    std::vector<SpoolerPrinter> queues;
    const double start0 = WallSeconds();
    for (int i = 0; i < count; ++i) {
        auto p = std::make_unique<CVPrinterProcess>();
        CVPrinterProcess::Config config;
        config.stateDir = home.file("printer-" + std::to_string(i));
        config.model = i % 2 ? "qz" : "corvan";
        std::string error;
        if (!p->Start(config, error)) {
            std::printf("bench_statusall: virtual printer %d does not start (%s); no figure\n", i,
                        error.c_str());
            return 0;
        }
        char name[32];
        std::snprintf(name, sizeof name, "Bench%03d", i); // the spooler lists them by name
        cups->AddQueue(name, i % 2 ? p->LocalUri() : p->NetworkUri(),
                       out + (i % 2 ? "/driver/ovqz7100.ppd" : "/driver/ovcm7100.ppd"));
        printers.push_back(std::move(p));
    }
    // The silent ones: network printers spread over the list, the first in
    // its middle.
    silentCount = std::clamp(silentCount, 1, count / 2);
    const int silent = (count / 2) & ~1;
    std::vector<bool> isSilent(static_cast<std::size_t>(count));
    for (int k = 0; k < silentCount; ++k) {
        const int i = (silent + 2 * k * std::max(1, count / (2 * silentCount))) % (count & ~1);
        isSilent[static_cast<std::size_t>(i)] = true;
        CVPrinterClient(printers[static_cast<std::size_t>(i)]->Ports().control).Fault("offline");
    }
    if (!Spooler::Current().EnumPrinters(queues)) {
        std::printf("bench_statusall: the spooler lists no printers; no figure\n");
        return 0;
    }
    std::printf("%d virtual printers (%d silent, Bench%03d first) ready in %.1f s\n", count,
                silentCount, silent, WallSeconds() - start0);

    // 1. status --all.
    std::ostringstream sink, err;
    double t0 = WallSeconds();
    const int code = cli::Run({"--settings", out, "--json", "status", "--all"}, sink, err);
    const double all = WallSeconds() - t0;
    const std::string json = sink.str();
    const auto answeredAt = json.rfind("\"answered\":");
    std::printf("status --all              %7.2f s  exit %d  %s\n", all, code,
                answeredAt == std::string::npos ? "(no summary)" : json.substr(answeredAt).c_str());

    // 1b. The same without the command line around it, with the silent
    // printer's own time and when the others had all answered.
    double atOnce = 0;
    {
        cli::CliLibraryShelf shelf;
        shelf.LoadPlain();
        Timeline timeline(queues.size());
        t0 = WallSeconds();
        const auto answers =
            cli::AskAllPrinterStatus(queues, shelf, cli::kMaxStatusQueries, &timeline);
        atOnce = WallSeconds() - t0;
        double others = 0, lastStart = 0;
        for (std::size_t i = 0; i < answers.size(); ++i) {
            lastStart = std::max(lastStart, timeline.begin[i] - t0);
            if (!isSilent[i]) others = std::max(others, timeline.end[i] - t0);
        }
        const auto s = static_cast<std::size_t>(silent);
        std::printf("asked at once             %7.2f s  (the silent printer: %.2f s from %.2f s "
                    "on; the others all "
                    "answered after %.2f s; the last query began at %.2f s)\n",
                    atOnce, timeline.end[s] - timeline.begin[s], timeline.begin[s] - t0, others,
                    lastStart);
    }

    // 2. The same code, one printer after another.
    double one = 0;
    {
        cli::CliLibraryShelf shelf;
        shelf.LoadPlain();
        t0 = WallSeconds();
        const auto answers = cli::AskAllPrinterStatus(queues, shelf, 1);
        one = WallSeconds() - t0;
        const auto answered =
            std::count_if(answers.begin(), answers.end(),
                          [](const cli::PrinterStatus& a) { return a.exitCode == cli::kExitOk; });
        std::printf("one after another         %7.2f s  %zd of %zu answered\n", one, answered,
                    answers.size());
    }

    // 3. status PRINTER, one call per printer.
    int failed = 0;
    t0 = WallSeconds();
    for (const SpoolerPrinter& q : queues) {
        std::ostringstream o, e;
        failed += cli::Run({"--settings", out, "status", q.name}, o, e) != cli::kExitOk;
    }
    std::printf("status PRINTER in turn    %7.2f s  %d did not answer\n", WallSeconds() - t0,
                failed);
    std::printf("asked at once: %.0f %% of the time of asking one after another\n",
                one > 0 ? 100.0 * atOnce / one : 0.0);
    return 0;
}
