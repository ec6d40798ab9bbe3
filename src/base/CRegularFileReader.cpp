#include "base/CRegularFileReader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CRegularFileReader::~CRegularFileReader() {
    Close();
}

void CRegularFileReader::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

RegularFile::Result CRegularFileReader::Open(const std::string& path, std::uint64_t maxBytes) {
    Close();
    m_size = m_read = 0;
    m_max = maxBytes;
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait for
    // one. It changes nothing for a regular file.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return RegularFile::Result::CannotOpen;
    struct stat st {};
    RegularFile::Result result = RegularFile::Result::Ok;
    if (fstat(fd, &st) != 0)
        result = RegularFile::Result::ReadError;
    else if (!S_ISREG(st.st_mode))
        result = RegularFile::Result::NotRegular;
    else if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxBytes)
        result = RegularFile::Result::TooLarge;
    if (result != RegularFile::Result::Ok) {
        close(fd);
        return result;
    }
    m_fd = fd;
    m_size = static_cast<std::uint64_t>(st.st_size);
    return result;
}

RegularFile::Result CRegularFileReader::Next(std::uint8_t* out, std::size_t room,
                                             std::size_t& got) {
    got = 0;
    if (m_fd < 0 || !out) return RegularFile::Result::ReadError;
    for (;;) {
        const ssize_t n = read(m_fd, out, room);
        if (n < 0) {
            if (errno == EINTR) continue;
            return RegularFile::Result::ReadError;
        }
        got = static_cast<std::size_t>(n);
        m_read += got;
        return m_read > m_max ? RegularFile::Result::TooLarge : RegularFile::Result::Ok;
    }
}
