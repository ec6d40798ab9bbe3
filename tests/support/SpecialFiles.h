#pragma once

// Files that are no regular files, for the readers that must refuse them.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A FIFO whose writer end a helper thread opens (and closes at once) after a
// delay. A reader that opens it the blocking way waits that long and then
// reads an empty file; a reader that refuses FIFOs returns at once.
class LateWriterFifo {
public:
    explicit LateWriterFifo(const std::string& path, std::chrono::milliseconds delay = std::chrono::milliseconds(3000))
        : m_path(path) {
        m_made = mkfifo(path.c_str(), 0600) == 0;
        m_writer = std::thread([this, delay] {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_changed.wait_for(lock, delay, [this] { return m_stop; })) return;
            // Non-blocking: succeeds only while a reader waits in open().
            const int fd = open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) close(fd);
        });
    }
    ~LateWriterFifo() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_writer.join();
        unlink(m_path.c_str());
    }
    LateWriterFifo(const LateWriterFifo&) = delete;
    LateWriterFifo& operator=(const LateWriterFifo&) = delete;

    bool Made() const { return m_made; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    bool m_made = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    std::thread m_writer;
};

// Milliseconds that `f` takes.
template <typename F>
long long ElapsedMs(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
}
