#pragma once

// One virtual printer per fuzz process, its state kept in memory (nothing is
// written to disk) in a temporary folder removed at exit.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "CVirtualPrinter.h"

inline vprinter::CVirtualPrinter& FuzzPrinter() {
    static char folder[256];
    static vprinter::CVirtualPrinter* printer = [] {
        const std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-vprinter-XXXXXX").string();
        if (pattern.size() >= sizeof folder) std::abort();
        pattern.copy(folder, pattern.size());
        if (!mkdtemp(folder)) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        });
        return new vprinter::CVirtualPrinter({folder, {}, 0.0, false, vprinter::Model::CorvanMax7100, false},
                                             [] { return std::int64_t{0}; });
    }();
    return *printer;
}
