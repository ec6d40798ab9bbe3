#include "CFolderGranter.h"

#include "EveryoneAccess.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <ostream>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr const char* kAccessAttr = "system.posix_acl_access";
constexpr const char* kDefaultAttr = "system.posix_acl_default";

// Room for 32 entries covers nearly every list; longer ones grow the buffer.
constexpr std::size_t kInitialAttrSize = CPosixAcl::kHeaderSize + 32 * CPosixAcl::kEntrySize;
constexpr std::size_t kDirentBufferSize = 64 * 1024;

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class CloseOnExit {
public:
    explicit CloseOnExit(int fd) : m_fd(fd) {}
    ~CloseOnExit() {
        if (m_fd >= 0) close(m_fd);
    }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    int m_fd;
};

} // namespace

CFolderGranter::CFolderGranter(std::ostream& errors) : m_errors(errors) {
    m_attr.resize(kInitialAttrSize);
}

CFolderGranter::~CFolderGranter() = default;

bool CFolderGranter::WalkFolder(const std::string& folder) {
    const std::size_t failedBefore = m_failed;
    m_path = folder;
    if (folder.empty()) {
        ReportFailure("no folder given", 0);
        return false;
    }
    if (folder.size() >= PATH_MAX) {
        ReportFailure("path longer than the system allows", ENAMETOOLONG);
        return false;
    }
    struct statfs proc {};
    m_procReady = statfs("/proc/self/fd", &proc) == 0 && proc.f_type == PROC_SUPER_MAGIC;

    // The last name is looked up here, relative to its parent and without
    // following a link: the system would follow one itself when the name is
    // spelled with a trailing slash or "/.".
    const FolderName named = SplitFolderName(folder);
    const int parentFd = open(named.parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0) {
        ReportFailure("cannot examine", errno);
        return false;
    }
    CloseOnExit closeParent(parentFd);
    const int fd = openat(parentFd, named.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        ReportFailure("cannot examine", errno);
        return false;
    }
    CloseOnExit closeItem(fd);
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        ReportFailure("cannot examine", errno);
        return false;
    }
    if (S_ISLNK(st.st_mode)) {
        ReportFailure("is a symbolic link, which grantall does not follow; name the folder it "
                      "points to",
                      0);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        if (named.mustBeFolder)
            ReportFailure("cannot examine", ENOTDIR);
        else
            GrantNonFolder(fd, st);
        return m_failed == failedBefore;
    }

    // "." of the examined folder is that folder: no name is looked up again.
    const int folderFd = openat(fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        ReportFailure("cannot open the folder", errno);
        return false;
    }
    CloseOnExit closeFolder(folderFd);
    GrantEveryoneAccess({folderFd, false}, st);
    WalkContents(folderFd);
    return m_failed == failedBefore;
}

CFolderGranter::FolderName CFolderGranter::SplitFolderName(std::string_view folder) {
    // Trailing slashes and "." components name the folder before them, and
    // ask for a folder.
    FolderName named;
    for (;;) {
        while (folder.size() > 1 && folder.back() == '/') {
            folder.remove_suffix(1);
            named.mustBeFolder = true;
        }
        if (folder.size() < 2 || !folder.ends_with("/.")) break;
        folder.remove_suffix(1);
    }
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string_view::npos) {
        named.parent = ".";
        named.name = folder;
    } else if (slash + 1 == folder.size()) {
        // Only the root folder is left.
        named.parent = "/";
        named.name = ".";
    } else {
        named.parent = slash == 0 ? "/" : std::string(folder.substr(0, slash));
        named.name = folder.substr(slash + 1);
    }
    return named;
}

void CFolderGranter::WalkContents(int folderFd) {
    if (m_dirents.size() < kDirentBufferSize) m_dirents.resize(kDirentBufferSize);

    // Files are done while reading; subfolders afterwards, so one entry buffer
    // serves every level and an open folder costs only its descriptor.
    std::vector<std::string> subfolders;
    for (;;) {
        const ssize_t n = getdents64(folderFd, m_dirents.data(), m_dirents.size());
        if (n < 0) {
            ReportFailure("cannot read the folder", errno);
            break;
        }
        if (n == 0) break;
        for (ssize_t offset = 0; offset < n;) {
            const char* record = m_dirents.data() + offset;
            unsigned short length = 0;
            unsigned char type = DT_UNKNOWN;
            std::memcpy(&length, record + offsetof(struct dirent64, d_reclen), sizeof length);
            std::memcpy(&type, record + offsetof(struct dirent64, d_type), sizeof type);
            const char* name = record + offsetof(struct dirent64, d_name);
            if (length == 0) break;
            offset += length;
            if (IsDotOrDotDot(name) || type == DT_LNK) continue;
            // The entry type is only a hint: GrantEntry looks at the item itself
            // and also finds the folders of a file system without entry types.
            if (type == DT_DIR || GrantEntry(folderFd, name)) subfolders.emplace_back(name);
        }
    }
    for (const std::string& name : subfolders) WalkSubfolder(folderFd, name);
}

bool CFolderGranter::GrantEntry(int folderFd, const char* name) {
    const std::size_t parentLength = m_path.size();
    if (!EnterPath(name)) {
        ReportFailure("path longer than the system allows", ENAMETOOLONG);
        LeavePath(parentLength);
        return false;
    }
    bool isFolder = false;
    // A path descriptor opens nothing (no FIFO blocks, a mode-000 file is no
    // obstacle) and holds on to this very item whatever is renamed later.
    const int fd = openat(folderFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd < 0) {
        // An entry removed since the folder was read is simply gone.
        if (errno != ENOENT) ReportFailure("cannot examine", errno);
    } else if (fstat(fd, &st) != 0) {
        ReportFailure("cannot examine", errno);
    } else if (S_ISDIR(st.st_mode)) {
        isFolder = true;
    } else if (!S_ISLNK(st.st_mode)) {
        GrantNonFolder(fd, st);
    }
    if (fd >= 0) close(fd);
    LeavePath(parentLength);
    return isFolder;
}

void CFolderGranter::GrantNonFolder(int pathFd, const struct stat& st) {
    // Opening a device or a socket to everyone would hand out the hardware or
    // the service behind it.
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) {
        ReportFailure("device node left unchanged", 0);
    } else if (S_ISSOCK(st.st_mode)) {
        ReportFailure("socket left unchanged", 0);
    } else if (!m_procReady) {
        ReportFailure("cannot be changed safely without /proc", 0);
    } else {
        GrantEveryoneAccess({pathFd, true}, st);
    }
}

void CFolderGranter::WalkSubfolder(int parentFd, const std::string& name) {
    const std::size_t parentLength = m_path.size();
    if (!EnterPath(name)) {
        ReportFailure("path longer than the system allows", ENAMETOOLONG);
        LeavePath(parentLength);
        return;
    }
    // Opened again by name, but never through a link: what the descriptor
    // holds is examined and changed.
    const int fd = openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        // Gone since the folder was read, or replaced by a link: nothing to do.
        const int error = errno;
        struct stat now {};
        const bool gone = error == ENOENT ||
                          (fstatat(parentFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
                           S_ISLNK(now.st_mode));
        if (!gone) ReportFailure("cannot open the folder", error);
        LeavePath(parentLength);
        return;
    }
    CloseOnExit closeFolder(fd);
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        ReportFailure("cannot examine", errno);
    } else {
        GrantEveryoneAccess({fd, false}, st);
        WalkContents(fd);
    }
    LeavePath(parentLength);
}

bool CFolderGranter::GrantEveryoneAccess(const Item& item, const struct stat& st) {
    const bool folder = S_ISDIR(st.st_mode);

    const long accessSize = ReadAttr(item, kAccessAttr);
    if (accessSize < 0) {
        if (errno != ENODATA) {
            ReportFailure("cannot read the access list", errno);
            return false;
        }
        // No extended list: the permission bits are the whole list.
        m_access.SetFromMode(st.st_mode);
    } else if (!m_access.Decode({m_attr.data(), static_cast<std::size_t>(accessSize)})) {
        ReportFailure("access list not understood, left unchanged", 0);
        return false;
    }
    if (OpenAccessToEveryone(m_access, folder) && WriteAttr(item, kAccessAttr, m_access.Encode()) != 0) {
        ReportFailure("cannot change the access list", errno);
        return false;
    }

    if (folder) {
        const long defaultSize = ReadAttr(item, kDefaultAttr);
        if (defaultSize < 0 && errno != ENODATA) {
            ReportFailure("cannot read the inherited access list", errno);
            return false;
        }
        const bool present = defaultSize >= 0;
        if (present && !m_defaults.Decode({m_attr.data(), static_cast<std::size_t>(defaultSize)})) {
            ReportFailure("inherited access list not understood, left unchanged", 0);
            return false;
        }
        if (OpenDefaultToEveryone(m_defaults, present) &&
            WriteAttr(item, kDefaultAttr, m_defaults.Encode()) != 0) {
            ReportFailure("cannot change the inherited access list", errno);
            return false;
        }
    }
    ++m_granted;
    return true;
}

CFolderGranter::ItemPath::ItemPath(const Item& item) {
    if (item.pathOnly) std::snprintf(text, sizeof text, "/proc/self/fd/%d", item.fd);
}

long CFolderGranter::ReadAttr(const Item& item, const char* attr) {
    // A path descriptor takes no f*xattr calls; its /proc/self/fd entry leads
    // to the very item it holds, which is no link (checked by the caller), so
    // the following getxattr and setxattr reach that item and nothing else.
    const ItemPath path(item);
    auto get = [&](void* buffer, std::size_t size) {
        return item.pathOnly ? getxattr(path.text, attr, buffer, size)
                             : fgetxattr(item.fd, attr, buffer, size);
    };
    for (;;) {
        const ssize_t n = get(m_attr.data(), m_attr.size());
        if (n >= 0 || errno != ERANGE || m_attr.size() >= CPosixAcl::kMaxAttrSize) return n;
        // The list is longer than the buffer: learn its size and read again.
        const ssize_t needed = get(nullptr, 0);
        if (needed < 0) return needed;
        m_attr.resize(std::min<std::size_t>(
            std::max<std::size_t>(static_cast<std::size_t>(needed), m_attr.size() * 2),
            CPosixAcl::kMaxAttrSize));
    }
}

int CFolderGranter::WriteAttr(const Item& item, const char* attr, std::span<const std::uint8_t> bytes) {
    const ItemPath path(item);
    return item.pathOnly ? setxattr(path.text, attr, bytes.data(), bytes.size(), 0)
                         : fsetxattr(item.fd, attr, bytes.data(), bytes.size(), 0);
}

bool CFolderGranter::EnterPath(std::string_view name) {
    if (!m_path.empty() && m_path.back() != '/') m_path += '/';
    m_path += name;
    // The path and its terminating zero must fit.
    return m_path.size() < PATH_MAX;
}

void CFolderGranter::ReportFailure(std::string_view what, int error) {
    ++m_failed;
    m_errors << "grantall: " << m_path << ": " << what;
    if (error != 0) m_errors << ": " << std::strerror(error);
    m_errors << '\n';
}
