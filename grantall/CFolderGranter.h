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
// The walk never follows a symbolic link: folders are opened relative to
// their parent with O_NOFOLLOW, and an item's lists are read and written
// through the open folder (for folders) or, for other items, by name
// relative to the current folder with the link-safe l*xattr calls. For that
// the walk moves the process's current folder into each folder it reads and
// moves it back before WalkFolder returns; do not walk from two threads.
//
// Symbolic links are left alone. Every item that is not changed (no right to
// change it, a path longer than PATH_MAX, a device node, a folder that cannot
// be read, ...) is named on the error stream and counted; a failure never
// stops the walk.
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
    // Where an item's lists are read and written: an open file descriptor,
    // or a name resolved without following a final symbolic link.
    struct Item {
        int fd;
        const char* name;
    };

    bool GrantEveryoneAccess(const Item& item, const struct stat& st);
    void WalkContents(int folderFd);
    void WalkSubfolder(int parentFd, const std::string& name);
    // Grants a non-folder entry of the current folder; returns true instead
    // when the entry is a folder, which the caller walks later.
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
};
