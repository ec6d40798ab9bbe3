#pragma once

#include <cstddef>
#include <string>

// Reading of files that come from outside the program (the Settings folder,
// driver data files, the user's files). Only a regular file is read: a FIFO,
// a device or a socket (or a link to one) is refused without blocking, so a
// FIFO cannot hang the program and a link to an endless device cannot keep
// it reading. A file larger than the caller's cap is refused as a whole.
namespace RegularFile {

enum class Result {
    Ok,
    CannotOpen,  // missing, unreadable
    NotRegular,  // a directory, FIFO, device or socket
    TooLarge,    // more than the cap
    ReadError,
};

// Reads the whole file into `content` (left empty unless the result is Ok).
Result Read(const std::string& path, std::size_t maxBytes, std::string& content);

}  // namespace RegularFile
