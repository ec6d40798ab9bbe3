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

// Loads a library from a folder that a printer's driver description names.
// That description comes from the print server, which may be another
// machine, so the library is loaded only when nobody but root and this user
// can change what gets loaded; see TrustProblem. It is loaded by its real
// path (symbolic links resolved). Null otherwise, with LastError saying why.
Handle OpenTrusted(const std::string& path);

// Why OpenTrusted refuses `path`, or empty when it would load it; then
// `realPath` (when given) receives the path with every link resolved. The
// rule, for that real path: the library is a regular file; it and its
// folder belong to root or to this user and cannot be written by group or
// others; every folder above belongs to root or to this user and cannot be
// written by group or others unless it is sticky (like /tmp, where others
// cannot rename or remove what is not theirs).
std::string TrustProblem(const std::string& path, std::string* realPath = nullptr);

// True when `name` may name a library inside a folder: not empty, not "."
// or "..", and without a path separator ('/', nor the other platform's '\').
bool IsPlainFileName(const std::string& name);

// The address of an exported symbol, or null.
void* Symbol(Handle handle, const char* name);

// Frees a library loaded with Open. A null handle is ignored.
void Close(Handle handle);

// The loader's text for the last failure (empty when none).
std::string LastError();

} // namespace LibraryLoader
