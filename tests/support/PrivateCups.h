#pragma once

// A private CUPS server for integration tests, and a TCP listener that plays
// a network printer's raw port.
//
//   // one server per test executable, started on first use, stopped at exit
//   PrivateCups& cups = PrivateCups::Shared();
//   RawListener printer;                               // 127.0.0.1:<free port>
//   cups.AddQueue("QZ7100", printer.Uri());            // raw queue
//   cups.AddQueue("Other", "socket://127.0.0.1:9", SourcePath("tests/x.ppd"));
//   ... libcups calls and lp/lpstat now talk to the private server ...
//   auto jobs = printer.WaitForJobs(1, std::chrono::seconds(20));
//   ASSERT_EQ(jobs.size(), 1u);  // jobs[0] holds the bytes of the first job
//
// The server runs the printer driver's filter (orvex-sheetfilter, which the
// PPDs name) from the build's driver folder, when it has been built.
//
// Starting a server sets, for the whole process, CUPS_SERVER (also through
// cupsSetServer for the calling thread), CUPS_SERVERROOT (libcups reads
// client.conf and the machine-wide lpoptions there instead of /etc/cups),
// CUPS_STATEDIR and CUPS_CACHEDIR. The system's CUPS is never
// used. A PrivateCups of your own (instead of Shared()) gives a fresh server
// with no queues; it is stopped by its destructor and Activate() switches the
// process back to it when several exist. The daemon does not outlive the
// test process even when that is killed.
//
// Queue names are per server: with the shared server, use names unique to
// your test (or RemoveQueue afterwards).

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PrivateCups {
public:
    // Starts a server in a new temporary folder. Throws std::runtime_error
    // (with the daemon's log) when it cannot start.
    PrivateCups();
    // Stops the server and removes its folder; both happen in the background
    // (cupsd takes a second or two to shut down), so a test does not wait.
    ~PrivateCups();
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    // The process-wide server of this test executable.
    static PrivateCups& Shared();

    // "127.0.0.1:PORT", the value of CUPS_SERVER.
    const std::string& Server() const { return m_server; }
    // The server's folder (configuration in etc/, logs in log/, client
    // configuration in client/).
    const std::filesystem::path& Dir() const;

    // Adds an enabled, accepting, unshared queue; a raw queue when ppdPath
    // is empty. Replaces a queue of the same name. Throws std::runtime_error
    // on failure.
    void AddQueue(const std::string& name, const std::string& deviceUri, const std::string& ppdPath = {});
    // Deletes a queue and its jobs; no error when it does not exist.
    void RemoveQueue(const std::string& name);

    // Points CUPS_SERVER and friends (and this thread's cupsSetServer) at
    // this server again.
    void Activate() const;

    // The daemon's error log, for failure messages.
    std::string ErrorLog() const;

    // Runs a shell command with this server's environment; returns its exit
    // status (or -1 when it did not exit normally).
    int Run(const std::string& command) const;

private:
    std::filesystem::path m_dir;
    std::string m_server;
};

// Accepts connections on a free loopback TCP port in a background thread;
// each connection is one job, complete when the sender closes it (the socket
// backend closes after the last byte).
class RawListener {
public:
    using Job = std::vector<std::uint8_t>;

    RawListener();
    ~RawListener();
    RawListener(const RawListener&) = delete;
    RawListener& operator=(const RawListener&) = delete;

    int Port() const { return m_port; }
    // "socket://127.0.0.1:PORT"
    std::string Uri() const;

    // Waits until at least `count` jobs are complete or the time-out passed;
    // returns the complete jobs in the order they ended.
    std::vector<Job> WaitForJobs(std::size_t count, std::chrono::milliseconds timeout);
    // The complete jobs so far.
    std::vector<Job> Jobs() const;
    // Connections accepted so far (complete or not).
    std::size_t Connections() const;

private:
    void Run();

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Job> m_jobs;
    std::size_t m_connections = 0;
    std::thread m_thread;
};
