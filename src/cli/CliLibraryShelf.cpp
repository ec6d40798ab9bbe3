#include "cli/CliLibraryShelf.h"

namespace cli {

CliLibraryShelf::CliLibraryShelf(std::string libraryName)
    : m_libraryName(std::move(libraryName)), m_finder(FindDriverFolderLibrary) {}

CliLibraryShelf::~CliLibraryShelf() {
    for (auto& [path, lib] : m_byPath)
        if (lib) lib->Unload();
    if (m_plain) m_plain->Unload();
}

bool CliLibraryShelf::LoadPlain() {
    auto lib = std::make_unique<CBidiLibrary>();
    lib->SetLibraryName(m_libraryName);
    // The plain name only: driver folders are per printer.
    lib->SetPathFinder(nullptr);
    if (lib->Load(std::string(), 1) != 1) {
        lib->Unload();
        return false;
    }
    m_plain = std::move(lib);
    return true;
}

CBidiLibrary* CliLibraryShelf::ForDriverFolder(const std::string& printer) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::string path = m_finder ? m_finder(printer) : std::string();
    if (path.empty()) return nullptr;
    auto it = m_byPath.find(path);
    if (it == m_byPath.end()) {
        auto lib = std::make_unique<CBidiLibrary>();
        lib->SetPathFinder([path](const std::string&) { return path; });
        if (lib->Load(printer, 0) != 1) {
            lib->Unload();
            lib.reset();
        }
        it = m_byPath.emplace(path, std::move(lib)).first;
    }
    return it->second.get();
}

} // namespace cli
