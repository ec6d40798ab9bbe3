#include "platform/LibraryLoader.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LibraryLoader {

namespace {
thread_local std::string t_lastError;

void Remember() {
    const char* e = dlerror();
    t_lastError = e ? e : "";
}

bool TrustedOwner(uid_t owner) { return owner == 0 || owner == geteuid(); }

// Why the folder `folder` could let someone else change what lies in it, or
// empty. `holdsLibrary`: the library's own folder, which may not be sticky
// and open to others either.
std::string FolderProblem(const std::string& folder, bool holdsLibrary) {
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0) return folder + ": " + std::strerror(errno);
    if (!S_ISDIR(st.st_mode)) return folder + " is not a folder";
    if (!TrustedOwner(st.st_uid)) return folder + " belongs to another user";
    const bool writable = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    if (writable && (holdsLibrary || (st.st_mode & S_ISVTX) == 0))
        return folder + " can be written by group or others";
    return {};
}

} // namespace

Handle Open(const std::string& nameOrPath) {
    if (nameOrPath.empty()) {
        t_lastError = "empty library name";
        return nullptr;
    }
    // RTLD_LOCAL: two loaded vendor libraries must not see each other's symbols.
    Handle h = dlopen(nameOrPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) Remember();
    return h;
}

std::string TrustProblem(const std::string& path, std::string* realPath) {
    if (path.empty()) return "empty library path";
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved) return path + ": " + std::strerror(errno);
    const std::string real = resolved;
    std::free(resolved);

    struct stat st {};
    if (lstat(real.c_str(), &st) != 0) return real + ": " + std::strerror(errno);
    if (!S_ISREG(st.st_mode)) return real + " is not a regular file";
    if (!TrustedOwner(st.st_uid)) return real + " belongs to another user";
    if (st.st_mode & (S_IWGRP | S_IWOTH)) return real + " can be written by group or others";

    // The real path is absolute and free of links, "." and "..": each cut at
    // its last '/' is the next folder up.
    std::string folder = real.substr(0, real.rfind('/'));
    for (bool holdsLibrary = true;; holdsLibrary = false) {
        if (std::string problem = FolderProblem(folder.empty() ? "/" : folder, holdsLibrary); !problem.empty())
            return problem;
        if (folder.empty()) break;
        folder.resize(folder.rfind('/'));
    }
    if (realPath) *realPath = real;
    return {};
}

Handle OpenTrusted(const std::string& path) {
    std::string real;
    if (std::string problem = TrustProblem(path, &real); !problem.empty()) {
        t_lastError = "not loaded from an unsafe place: " + problem;
        return nullptr;
    }
    return Open(real);
}

bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

void* Symbol(Handle handle, const char* name) {
    if (!handle || !name) return nullptr;
    dlerror();
    void* p = dlsym(handle, name);
    if (!p) Remember();
    return p;
}

void Close(Handle handle) {
    if (handle && dlclose(handle) != 0) Remember();
}

std::string LastError() { return t_lastError; }

} // namespace LibraryLoader
