// bench_firmware: spooling throughput and peak memory of a firmware update.
//
//   bench_firmware [--mb N] [--rounds N] [--slow-raw KBPS]
//
// Starts a virtual printer and a private CUPS server with a network queue on
// it, writes an N MB (default 64) firmware image, then
//  1. alternately spools it the way the update does (the file checked
//     again, then fill block, header and image as one raw job, its bytes
//     checked on their way) and with `lp -o raw` of the same file on the
//     same queue, and reports the throughput of each until the printer has
//     taken the job (plotcare reports a job only then), and their ratio
//     (target: at least 0.8);
//  2. runs `plotcare-cli fw-update` on the image and reports the peak
//     resident memory of the process (VmHWM once the job is out) against
//     the file size (target: at most the file size plus 32 MB), beside the
//     same figure for a tiny image, the program's own baseline. Ctrl-C then
//     ends the restart wait, which adds nothing to the peak.
// With --slow-raw the printer's raw port reads only KBPS kB/s (the fault
// of that name): step 1 is left out, and step 2 also samples the resident
// memory of plotcare-cli every second while it waits for the printer to
// take the job, to show that a slow printer does not make it grow.
#include "CVPrinterClient.h"
#include "CVPrinterProcess.h"
#include "PrivateCups.h"
#include "TestFiles.h"
#include "firmware/FirmwareJob.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

double WallSeconds() {
    using namespace std::chrono;
    return duration_cast<duration<double>>(steady_clock::now().time_since_epoch()).count();
}

void PutLe32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

std::string MakeImage(const char* version, std::size_t dataBytes) {
    std::string image(32 + dataBytes, '\0');
    std::uint32_t x = 12345, sum = 0;
    for (std::size_t i = 32; i < image.size(); ++i) {
        x = x * 1103515245u + 12345u;
        image[i] = static_cast<char>(x >> 24);
        sum += static_cast<std::uint8_t>(image[i]);
    }
    image.replace(16, 6, version);
    PutLe32(image, 8, static_cast<std::uint32_t>(dataBytes));
    PutLe32(image, 12, sum);
    return image;
}

// What the update does from the file to the spooler: the check of the file
// as it is now, then the job with its bytes checked again on their way.
bool SpoolLikeTheUpdate(const std::string& queue, const std::string& path) {
    const UpgScan checked = ScanUpgFile(path);
    if (checked.result != kUpgValid) return false;
    std::uint64_t jobBytes = 0;
    return SendFirmwareJob(queue, path, "I02010", checked, jobBytes) == FirmwareSend::Sent;
}

// A memory figure of a running process ("VmHWM:" the peak resident memory
// so far, "VmRSS:" the resident memory now), in kB.
long StatusKb(pid_t pid, const char* key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
    return -1;
}

long PeakKb(pid_t pid) { return StatusKb(pid, "VmHWM:"); }

struct Child {
    int status = -1;
    long peakKb = -1; // as last read by the line handler
    std::string err;
};

// Runs a program, reading its standard error; `onLine` sees what came so far
// and may look at the process or send it a signal.
template <typename F> Child Run(const std::vector<std::string>& args, F onLine) {
    Child child;
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return child;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 2);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int r = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFd[1]);
    if (r != 0) {
        close(pipeFd[0]);
        return child;
    }
    char buf[4096];
    std::string line;
    for (ssize_t n; (n = read(pipeFd[0], buf, sizeof buf)) > 0;) {
        child.err.append(buf, static_cast<std::size_t>(n));
        onLine(pid, child);
    }
    close(pipeFd[0]);
    waitpid(pid, &child.status, 0);
    return child;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    std::size_t mb = 64;
    int rounds = 3;
    int slowRaw = 0;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--slow-raw") == 0) slowRaw = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--mb") == 0)
            mb = static_cast<std::size_t>(std::max(1, std::atoi(argv[i + 1])));
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    if (!std::getenv("PLOTCARE_OUTPUT_DIR"))
        setenv("PLOTCARE_OUTPUT_DIR", PLOTCARE_OUTPUT_DIR_DEFAULT, 1);
    const std::string outDir = std::getenv("PLOTCARE_OUTPUT_DIR");
    QCoreApplication app(argc, argv);

    TempDir state;
    CVPrinterProcess printer;
    CVPrinterProcess::Config config;
    config.stateDir = state.path().string();
    config.model = "corvan";
    std::string error;
    if (!printer.Start(config, error)) {
        std::fprintf(stderr, "bench_firmware: the virtual printer does not start: %s\n",
                     error.c_str());
        return 1;
    }
    PrivateCups cups;
    cups.AddQueue("BenchFw", printer.NetworkUri(), outDir + "/driver/ovcm7100.ppd");
    cups.Activate();
    CVPrinterClient control(printer.Ports().control);

    TempDir files;
    const std::string path = files.write("BENCH.UPG", MakeImage("I03010", mb * 1024 * 1024 - 32));
    const std::string tiny = files.write("TINY.UPG", MakeImage("I03010", 64));
    const double megabytes = static_cast<double>(mb * 1024 * 1024) / 1e6;

    std::vector<double> ours, lp;
    if (slowRaw > 0) {
        rounds = 0;
        control.Fault("slow-raw", std::to_string(slowRaw));
        std::printf("printer's raw port at %d kB/s: spooling throughput not measured\n", slowRaw);
    }
    for (int i = 0; i < rounds; ++i) {
        double t0 = WallSeconds();
        const bool sent = SpoolLikeTheUpdate("BenchFw", path);
        ours.push_back(WallSeconds() - t0);
        t0 = WallSeconds();
        int lpResult = cups.Run("lp -d BenchFw -o raw " + path + " >/dev/null");
        // plotcare reports a job only once the printer has it; so is lp's
        // job timed until it has left the queue.
        while (lpResult == 0 && cups.Run("lpstat -o BenchFw | grep -q .") == 0 && WallSeconds() - t0 < 120)
            usleep(20000);
        lp.push_back(WallSeconds() - t0);
        if (!sent || lpResult != 0) {
            std::fprintf(stderr, "bench_firmware: a job was not taken (plotcare %d, lp %d)\n", sent,
                         lpResult);
            return 1;
        }
        std::printf("round %d  plotcare %6.3f s  lp -o raw %6.3f s\n", i + 1, ours.back(),
                    lp.back());
    }
    const double oursRate = rounds ? megabytes / Median(ours) : 0, lpRate = rounds ? megabytes / Median(lp) : 1;
    if (rounds)
        std::printf("spooling %zu MB image: plotcare %7.1f MB/s  lp -o raw %7.1f MB/s  ratio %.2f "
                "(target >= 0.8)\n",
                mb, oursRate, lpRate, oursRate / lpRate);

    // The update's peak, read once the job is out (the restart wait that
    // follows adds nothing), then Ctrl-C ends the wait.
    const std::string cli = outDir + "/plotcare-cli";
    // While the printer takes the job: resident memory, one sample a second.
    std::vector<long> waitingKb;
    const auto update = [&](const std::string& image) {
        bool sent = false;
        waitingKb.clear();
        const double start = WallSeconds();
        Child child = Run({cli, "fw-update", "BenchFw", image}, [&](pid_t pid, Child& c) {
            if (!sent && c.err.rfind("waiting for the printer to take the job") != std::string::npos &&
                c.err.find("waiting for the printer to restart") == std::string::npos)
                waitingKb.push_back(StatusKb(pid, "VmRSS:"));
            if (!sent && c.err.find("waiting for the printer to restart") != std::string::npos) {
                sent = true;
                c.peakKb = PeakKb(pid);
                kill(pid, SIGINT);
            }
        });
        if (!sent)
            std::fprintf(stderr, "bench_firmware: fw-update did not send:\n%s", child.err.c_str());
        control.Ok("FINISH");
        if (slowRaw > 0 && !waitingKb.empty()) {
            const auto [low, high] = std::minmax_element(waitingKb.begin(), waitingKb.end());
            std::printf("slow printer: %zu samples over %.1f s while it took the job: resident %7.1f .. %7.1f MB\n",
                        waitingKb.size(), WallSeconds() - start, *low / 1024.0, *high / 1024.0);
        }
        return child.peakKb;
    };
    control.Set("firmware", "I02010");
    const long baseline = update(tiny);
    control.Set("firmware", "I02010");
    const long big = update(path);
    const double fileMb = static_cast<double>(mb);
    std::printf("peak memory  fw-update tiny image   %7.1f MB (the program's baseline)\n",
                baseline / 1024.0);
    std::printf(
        "peak memory  fw-update %zu MB image %7.1f MB = file size %+6.1f MB (target <= + 32 MB), "
        "%5.1f MB above the baseline\n",
        mb, big / 1024.0, big / 1024.0 - fileMb, (big - baseline) / 1024.0);
    return 0;
}
