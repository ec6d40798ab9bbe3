#pragma once

#include "comm/CBidiLibrary.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace cli {

// The bindings of the bidirectional library that several printers asked at
// once need, each loaded once and shared by every thread that asks a
// printer through it: the one found by its plain name (or --library), and
// one per library file that a printer's driver folder names. A printer
// selection tries them in that order (see LoadLibraryFor).
//
// LoadPlain runs before the threads start; Plain and ForDriverFolder may be
// called from any thread. Every binding is unloaded when the shelf goes,
// after the threads have ended.
class CliLibraryShelf {
public:
    // `libraryName`: the plain name (or path) the first binding loads.
    explicit CliLibraryShelf(std::string libraryName = CBidiLibrary::kLibraryName);
    ~CliLibraryShelf();
    CliLibraryShelf(const CliLibraryShelf&) = delete;
    CliLibraryShelf& operator=(const CliLibraryShelf&) = delete;

    // Loads the binding by plain name; false when it does not load.
    bool LoadPlain();
    // That binding, or null.
    CBidiLibrary* Plain() const { return m_plain.get(); }

    // The binding of the library in the printer's driver folder, loaded the
    // first time a printer names that file; null when the driver names none
    // or it does not load (it is not tried again).
    CBidiLibrary* ForDriverFolder(const std::string& printer);

    // Finds a printer's driver-folder library; the default asks the spooler
    // (FindDriverFolderLibrary). The spooler serves one caller at a time, so
    // the finder runs under the shelf's lock.
    void SetPathFinder(CBidiLibrary::PathFinder finder) { m_finder = std::move(finder); }

private:
    std::string m_libraryName;
    std::unique_ptr<CBidiLibrary> m_plain;
    std::mutex m_mutex;
    CBidiLibrary::PathFinder m_finder;
    // By library path; null for a path that did not load.
    std::map<std::string, std::unique_ptr<CBidiLibrary>> m_byPath;
};

} // namespace cli
