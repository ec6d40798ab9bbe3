#pragma once

#include "CPosixAcl.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

// Walks a folder tree and opens every folder and file in it to every user of
// the computer (see EveryoneAccess.h for how each list changes).
//
// The walk never follows a symbolic link, and it changes exactly the item it
// examined: every item is opened relative to its folder with O_NOFOLLOW, its
// type is read from that descriptor, and its lists are read and written
// through the descriptor (folders, opened for reading) or through the
// descriptor's /proc/self/fd entry (other items, opened as paths only, so a
// FIFO does not block and a mode-000 file is no obstacle). An item renamed or
// replaced in the meantime is never the one changed. FOLDER itself is looked
// up the same way relative to its parent, however it is spelled.
//
// Symbolic links are left alone. Every item that is not changed (no right to
// change it, a path longer than PATH_MAX, a device node, a socket, a folder
// that cannot be read, ...) is named on the error stream and counted; a
// failure never stops the walk.
class CFolderGranter {
public:
    explicit CFolderGranter(std::ostream& errors);
    ~CFolderGranter();
    CFolderGranter(const CFolderGranter&) = delete;
    CFolderGranter& operator=(const CFolderGranter&) = delete;

    // Opens `folder` and everything below it; a file given instead of a folder
    // is opened alone. Returns true when every item was changed or already
    // open to everyone.
    bool WalkFolder(const std::string& folder);

    // Items changed or already open to everyone, and items left as they were
    // because of a failure, over every walk of this object.
    std::size_t Granted() const { return m_granted; }
    std::size_t Failed() const { return m_failed; }

private:
    // Where an item's lists are read and written: a descriptor opened for
    // reading, or a path-only (O_PATH) descriptor of an item that is no link.
    struct Item {
        int fd;
        bool pathOnly;
    };
    // "/proc/self/fd/N" of a path-only item.
    struct ItemPath {
        explicit ItemPath(const Item& item);
        char text[32] = {};
    };

    // FOLDER as its parent folder and the last name in it.
    struct FolderName {
        std::string parent;
        std::string name;
        bool mustBeFolder = false; // spelled with a trailing slash or "/."
    };
    static FolderName SplitFolderName(std::string_view folder);

    bool GrantEveryoneAccess(const Item& item, const struct stat& st);
    // Grants an item that is neither folder nor link, through its path-only
    // descriptor; device nodes and sockets are named and left alone.
    void GrantNonFolder(int pathFd, const struct stat& st);
    void WalkContents(int folderFd);
    void WalkSubfolder(int parentFd, const std::string& name);
    // Grants a non-folder entry of the folder; returns true instead when the
    // entry is a folder, which the caller walks later.
    bool GrantEntry(int folderFd, const char* name);

    // Reads an attribute into m_attr; returns its size, or -1 with errno set.
    long ReadAttr(const Item& item, const char* attr);
    int WriteAttr(const Item& item, const char* attr, std::span<const std::uint8_t> bytes);

    // Appends "/name" to the reported path; false (and the path unchanged)
    // when the result would not fit in PATH_MAX.
    bool EnterPath(std::string_view name);
    void LeavePath(std::size_t length) { m_path.resize(length); }

    void ReportFailure(std::string_view what, int error);

    std::ostream& m_errors;
    std::string m_path;
    CPosixAcl m_access;
    CPosixAcl m_defaults;
    std::vector<std::uint8_t> m_attr;
    std::vector<char> m_dirents;
    std::size_t m_granted = 0;
    std::size_t m_failed = 0;
    bool m_procReady = false; // /proc/self/fd is the kernel's
};
