#pragma once

// For fuzz targets whose reader takes a file: one temporary file per
// process, rewritten with each input.
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

inline void WriteFuzzInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

// The process's input file for `tag`, holding the given input.
inline const std::string& FuzzInputFile(const char* tag, const std::uint8_t* data, std::size_t size) {
    static const std::string path = [tag] {
        std::string name = std::string("/tmp/fuzz-") + tag + "-XXXXXX";
        const int fd = mkstemp(name.data());
        if (fd >= 0) close(fd);
        return name;
    }();
    WriteFuzzInput(path, data, size);
    return path;
}
