#include "base/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes the descriptor however the read ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

namespace RegularFile {

Result Read(const std::string& path, std::size_t maxBytes, std::string& content) {
    content.clear();
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for
    // one. It changes nothing for a regular file.
    const Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return Result::CannotOpen;
    struct stat st {};
    if (fstat(fd.get(), &st) != 0) return Result::ReadError;
    if (!S_ISREG(st.st_mode)) return Result::NotRegular;
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes) return Result::TooLarge;

    // The size may change while the file is read (or be 0 for files the
    // kernel makes up): read up to one byte beyond the cap to tell.
    std::string data;
    const auto size = static_cast<std::size_t>(st.st_size);
    data.resize(std::min(size, maxBytes) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == data.size()) {
            if (used > maxBytes) return Result::TooLarge;
            data.resize(std::min(maxBytes + 1, data.size() * 2 + 4096));
        }
        const ssize_t n = read(fd.get(), data.data() + used, data.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Result::ReadError;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    if (used > maxBytes) return Result::TooLarge;
    data.resize(used);
    content = std::move(data);
    return Result::Ok;
}

}  // namespace RegularFile
