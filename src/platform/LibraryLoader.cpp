#include "platform/LibraryLoader.h"

#include <dlfcn.h>

namespace LibraryLoader {

namespace {
thread_local std::string t_lastError;

void Remember() {
    const char* e = dlerror();
    t_lastError = e ? e : "";
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
