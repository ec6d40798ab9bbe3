#include "PrivateCups.h"

#include "TestFiles.h"

#include <cups/cups.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += "'\\''";
        else out += c;
    }
    return out + "'";
}

std::string Script() { return ShellQuote(SourcePath("scripts/cups-private.sh")); }

// Runs a shell command, returns its exit status and its output (stdout and
// stderr together).
int Capture(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = pclose(pipe);
    return (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

PrivateCups::PrivateCups() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plotcare-cups-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("private CUPS server: no temporary folder");
    m_dir = pattern;
    // The owner pid makes the daemon stop (and its folder go) by itself
    // should this process die without running the destructor.
    // The server runs the printer driver's filter the PPDs name, as built.
    std::string filters;
    const char* out = std::getenv("PLOTCARE_OUTPUT_DIR");
    const std::filesystem::path filter =
        std::filesystem::path(out && *out ? out : PLOTCARE_OUTPUT_DIR_DEFAULT) / "driver" / "orvex-sheetfilter";
    if (std::filesystem::exists(filter)) filters = "CUPS_PRIVATE_FILTERS=" + ShellQuote(filter.string()) + " ";
    std::string output;
    const int status = Capture(filters + "CUPS_PRIVATE_OWNER_PID=" + std::to_string(getpid()) + " CUPS_PRIVATE_REMOVE_DIR=1 " +
                                   Script() + " start " +
                                   ShellQuote(m_dir.string()),
                               output);
    // The server value is the last line of the output.
    std::string last;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) last = line;
    }
    if (status != 0 || last.rfind("127.0.0.1:", 0) != 0) {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
        throw std::runtime_error("private CUPS server did not start:\n" + output);
    }
    m_server = last;
    Activate();
}

PrivateCups::~PrivateCups() {
    const std::string command = "setsid sh -c '\"$0\" stop \"$1\"; rm -rf \"$1\"' " + Script() + " " +
                                ShellQuote(m_dir.string()) + " </dev/null >/dev/null 2>&1 &";
    if (std::system(command.c_str()) != 0) {
        // Not even the shell ran: stop the daemon here and now.
        std::string output;
        Capture(Script() + " stop " + ShellQuote(m_dir.string()), output);
    }
}

PrivateCups& PrivateCups::Shared() {
    static PrivateCups instance;
    return instance;
}

const std::filesystem::path& PrivateCups::Dir() const { return m_dir; }

void PrivateCups::Activate() const {
    const auto dir = m_dir;
    setenv("CUPS_SERVER", m_server.c_str(), 1);
    setenv("CUPS_SERVERROOT", (dir / "client").c_str(), 1);
    setenv("CUPS_STATEDIR", (dir / "run").c_str(), 1);
    setenv("CUPS_CACHEDIR", (dir / "cache").c_str(), 1);
    cupsSetServer(m_server.c_str());
}

void PrivateCups::AddQueue(const std::string& name, const std::string& deviceUri, const std::string& ppdPath) {
    std::string command =
        Script() + " add-queue " + ShellQuote(m_dir.string()) + " " + ShellQuote(name) + " " + ShellQuote(deviceUri);
    if (!ppdPath.empty()) command += " " + ShellQuote(ppdPath);
    std::string output;
    if (Capture(command, output) != 0) {
        throw std::runtime_error("could not add queue " + name + ":\n" + output + "\n" + ErrorLog());
    }
}

void PrivateCups::RemoveQueue(const std::string& name) {
    Run("lpadmin -h \"$CUPS_SERVER\" -x " + ShellQuote(name) + " >/dev/null 2>&1");
}

std::string PrivateCups::ErrorLog() const { return ReadFile(m_dir / "log" / "error_log"); }

int PrivateCups::Run(const std::string& command) const {
    const auto dir = m_dir;
    const std::string env = "export PATH=\"$PATH:/usr/sbin:/sbin\" CUPS_SERVER=" + ShellQuote(m_server) +
                            " CUPS_SERVERROOT=" + ShellQuote((dir / "client").string()) +
                            " CUPS_STATEDIR=" + ShellQuote((dir / "run").string()) +
                            " CUPS_CACHEDIR=" + ShellQuote((dir / "cache").string()) + "; ";
    const int status = std::system((env + command).c_str());
    return (status != -1 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
}

// --- RawListener ---

RawListener::RawListener() {
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) throw std::runtime_error("RawListener: socket failed");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t length = sizeof addr;
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(m_listenFd, 8) != 0 ||
        getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        close(m_listenFd);
        throw std::runtime_error("RawListener: cannot listen on loopback");
    }
    m_port = ntohs(addr.sin_port);
    if (pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        close(m_listenFd);
        throw std::runtime_error("RawListener: pipe failed");
    }
    m_thread = std::thread([this] { Run(); });
}

RawListener::~RawListener() {
    const char stop = 1;
    (void)!write(m_wakePipe[1], &stop, 1);
    m_thread.join();
    close(m_listenFd);
    close(m_wakePipe[0]);
    close(m_wakePipe[1]);
}

std::string RawListener::Uri() const { return "socket://127.0.0.1:" + std::to_string(m_port); }

void RawListener::Run() {
    // Open connections with the bytes received on each so far.
    std::map<int, Job> open;
    for (;;) {
        std::vector<pollfd> fds;
        fds.push_back({m_wakePipe[0], POLLIN, 0});
        fds.push_back({m_listenFd, POLLIN, 0});
        for (const auto& [fd, job] : open) fds.push_back({fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) break;
        if (fds[1].revents & POLLIN) {
            const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                open.emplace(fd, Job{});
                std::lock_guard lock(m_mutex);
                ++m_connections;
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            const int fd = fds[i].fd;
            std::uint8_t buffer[65536];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n > 0) {
                open[fd].insert(open[fd].end(), buffer, buffer + n);
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            close(fd);
            {
                std::lock_guard lock(m_mutex);
                m_jobs.push_back(std::move(open[fd]));
            }
            open.erase(fd);
            m_changed.notify_all();
        }
    }
    for (const auto& [fd, job] : open) close(fd);
}

std::vector<RawListener::Job> RawListener::WaitForJobs(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, timeout, [&] { return m_jobs.size() >= count; });
    return m_jobs;
}

std::vector<RawListener::Job> RawListener::Jobs() const {
    std::lock_guard lock(m_mutex);
    return m_jobs;
}

std::size_t RawListener::Connections() const {
    std::lock_guard lock(m_mutex);
    return m_connections;
}
