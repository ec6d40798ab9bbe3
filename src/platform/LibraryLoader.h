#pragma once

#include <string>

// Run-time loading of shared libraries and their entry points (dlopen/dlsym).
// The printer maker's libraries are never linked; they are loaded by name or
// by path when a printer is selected.
namespace LibraryLoader {

using Handle = void*;

// Loads a library: a plain file name goes through the system's ordinary
// library search, a name with a '/' is taken as a path. Null on failure.
Handle Open(const std::string& nameOrPath);

// The address of an exported symbol, or null.
void* Symbol(Handle handle, const char* name);

// Frees a library loaded with Open. A null handle is ignored.
void Close(Handle handle);

// The loader's text for the last failure (empty when none).
std::string LastError();

} // namespace LibraryLoader
