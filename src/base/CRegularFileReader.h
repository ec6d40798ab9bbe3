#pragma once

#include "base/RegularFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Reads a file from outside in pieces, with RegularFile::Read's refusals: a
// regular file only (a FIFO, device or socket is refused without blocking),
// and no more than a cap. For files too large to hold in memory at once.
class CRegularFileReader {
public:
    CRegularFileReader() = default;
    ~CRegularFileReader();
    CRegularFileReader(const CRegularFileReader&) = delete;
    CRegularFileReader& operator=(const CRegularFileReader&) = delete;

    // Ok, CannotOpen, NotRegular, TooLarge (by its size now) or ReadError.
    RegularFile::Result Open(const std::string& path, std::uint64_t maxBytes);
    // The size the file had when it was opened.
    std::uint64_t Size() const { return m_size; }
    // Up to `room` bytes into `out`; `got` is 0 at the end of the file.
    // ReadError on a failed read, TooLarge once more than the cap was read
    // (the file grew).
    RegularFile::Result Next(std::uint8_t* out, std::size_t room, std::size_t& got);
    void Close();

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::uint64_t m_max = 0;
    std::uint64_t m_read = 0;
};
