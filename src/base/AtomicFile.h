#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>

// Replacing a file the user keeps, so that no failure and no crash leaves it
// half written: the new content goes into a new file beside the old one (same
// folder, so the same file system), is flushed to disk, and is renamed over
// the old one; the folder is flushed last so the rename itself is on disk.
// Until the rename the old file is untouched; after it the new one is whole.
// A replaced file keeps its permission bits, its owner where the process may
// set it, and its access control list; a new file is created as any new file
// of the process (umask, the folder's default ACL). A file the user may not
// write is not replaced, though the folder would allow it: its owner made it
// read-only.
namespace AtomicFile {

enum class Result {
    Ok,
    NotWritable,       // the existing file may not be written by this user
    CannotCreate,      // no new file can be made in the folder
    WriteFailed,       // the content did not all reach the new file
    FlushFailed,       // the new file could not be flushed or closed
    RenameFailed,      // the new file could not take the old one's place
    FolderFlushFailed, // renamed, but the folder could not be flushed
};

// The system calls a save makes, so tests can fail each one in turn.
class Io {
public:
    virtual ~Io();
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Unlink(const char* path);
};

// Writes `content` to `path` as described above. On every result but Ok and
// FolderFlushFailed the file at `path` is exactly as it was before (or still
// missing), and no new file is left behind. With FolderFlushFailed the new
// content is in place, but a crash may still bring back the old file whole.
// `path` names the file itself (callers resolve symbolic links first).
Result Replace(const std::string& path, const std::string& content, Io* io = nullptr);

// Words for messages.
const char* Describe(Result r);

} // namespace AtomicFile
