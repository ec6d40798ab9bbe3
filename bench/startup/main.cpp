// bench_startup: how long plotcare takes from the start of its process to
// the main menu on screen, beyond the splash's fixed 2000 ms. Each run is a
// fresh process (exec, dynamic loading, Qt, key files, printer enumeration
// through a private CUPS server with one supported queue), rendered
// offscreen. Target: under 200 ms.
#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/CPlotcareStartup.h"
#include "platform/MessageRecorder.h"

#include "PrivateCups.h"
#include "TestFiles.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

long long NowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// The measured process: the program's own start-up, ended as soon as the
// main menu is shown. Prints the monotonic time of that moment.
int Child(const char* programFolder) {
    const long long enteredUs = NowUs();
    QApplication qapp(*new int(1), new char*[2]{const_cast<char*>("plotcare"), nullptr});
    CPlotcareApp app(QStringLiteral("Corvan Max 7100"), QString::fromLocal8Bit(programFolder));
    CPlotcareApp::SetCurrent(&app);
    MessageRecorder answers; // the close question is answered OK
    CPlotcareStartup startup(app, true);
    long long shownUs = 0;
    startup.SetBeforeRun([&](CMainWindow& window) {
        QTimer::singleShot(0, &window, [&] {
            shownUs = NowUs(); // the window is up and the event loop runs
            window.close();
        });
    });
    const auto outcome = startup.Run();
    if (outcome != CPlotcareStartup::Outcome::Closed) return 2;
    std::printf("%lld %lld\n", shownUs, enteredUs);
    return 0;
}

std::string Env(const char* name, const char* def) {
    const char* v = std::getenv(name);
    return v && *v ? v : def;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child") return Child(argv[2]);

    const std::string out = Env("PLOTCARE_OUTPUT_DIR", PLOTCARE_OUTPUT_DIR_DEFAULT);
    TempDir work;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_RUNTIME_DIR", work.file("runtime").c_str(), 1);
    setenv("PLOTCARE_CONFIG_HOME", work.file("user").c_str(), 1);
    setenv("PLOTCARE_SYSTEM_CONFIG_DIR", work.file("machine").c_str(), 1);
    std::system(("mkdir -p -m 700 " + work.file("runtime")).c_str());

    PrivateCups& cups = PrivateCups::Shared();
    cups.AddQueue("Bench", "socket://127.0.0.1:9", out + "/driver/ovcm7100.ppd");

    const int runs = 7;
    std::vector<double> ms;
    std::vector<double> beforeMain; // exec and dynamic loading
    for (int i = 0; i < runs; ++i) {
        int pipeFd[2];
        if (pipe(pipeFd) != 0) return 1;
        const long long startUs = NowUs();
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(pipeFd[1], 1);
            close(pipeFd[0]);
            execl(argv[0], argv[0], "--child", out.c_str(), nullptr);
            _exit(127);
        }
        close(pipeFd[1]);
        char buffer[64] = {};
        const ssize_t n = read(pipeFd[0], buffer, sizeof buffer - 1);
        close(pipeFd[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "bench_startup: run %d failed (status %d)\n", i, status);
            return 1;
        }
        long long shownUs = 0, enteredUs = 0;
        if (std::sscanf(buffer, "%lld %lld", &shownUs, &enteredUs) != 2) return 1;
        ms.push_back((shownUs - startUs) / 1000.0 - CMainWindow::kSplashMinimumMs);
        beforeMain.push_back((enteredUs - startUs) / 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(beforeMain.begin(), beforeMain.end());
    std::printf("start-up beyond the %d ms splash, %d runs: min %.1f ms, median %.1f ms, max %.1f ms "
                "(target < 200 ms)\n",
                CMainWindow::kSplashMinimumMs, runs, ms.front(), ms[ms.size() / 2], ms.back());
    std::printf("  of which before main() (exec, dynamic loading): median %.1f ms\n",
                beforeMain[beforeMain.size() / 2]);
    return 0;
}
