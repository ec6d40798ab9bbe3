#include "base/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace AtomicFile {

Io::~Io() = default;
int Io::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t Io::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
int Io::Fsync(int fd) {
    return ::fsync(fd);
}
int Io::Close(int fd) {
    return ::close(fd);
}
int Io::Rename(const char* from, const char* to) {
    return ::rename(from, to);
}
int Io::Unlink(const char* path) {
    return ::unlink(path);
}

namespace {

constexpr const char* kAclName = "system.posix_acl_access";
// Keeps "." + name + suffix within the longest file name.
constexpr std::size_t kMaxBaseInTempName = 200;
constexpr std::size_t kWriteChunk = 1u << 20;

std::string Folder(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A hidden name beside the file that no other save picks at the same time.
std::string TempName(const std::string& path, std::uint64_t salt) {
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 8; ++i) {
        suffix.push_back(kDigits[salt % 36]);
        salt /= 36;
    }
    const std::string folder = Folder(path);
    std::string base = BaseName(path).substr(0, kMaxBaseInTempName);
    return (folder == "/" ? "" : folder) + "/." + base + "." + suffix + ".tmp";
}

// The old file's permissions, owner and access control list onto the new one.
// Owner and ACL are best effort: a user may not hand a file to another owner,
// and a file system may have no ACLs.
bool CopyPermissions(int fd, const std::string& oldPath, const struct stat& old) {
    if (fchmod(fd, old.st_mode & 07777) != 0) return false;
    if (fchown(fd, old.st_uid, old.st_gid) != 0) {
        // At least the group, which the user may belong to.
        if (fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        }
        // fchown may clear set-id bits; put the bits back as far as allowed.
        if (fchmod(fd, old.st_mode & 07777) != 0 && fchmod(fd, old.st_mode & 0777) != 0)
            return false;
    }
    const ssize_t size = getxattr(oldPath.c_str(), kAclName, nullptr, 0);
    if (size > 0 && size < (1 << 16)) {
        std::vector<char> acl(static_cast<std::size_t>(size));
        const ssize_t got = getxattr(oldPath.c_str(), kAclName, acl.data(), acl.size());
        if (got > 0 && fsetxattr(fd, kAclName, acl.data(), static_cast<std::size_t>(got), 0) != 0) {
            // The mode bits are in place; an ACL the file system refuses is
            // not a reason to keep the old content.
        }
    }
    return true;
}

bool WriteAll(Io& io, int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const std::size_t chunk = std::min(kWriteChunk, content.size() - done);
        const ssize_t n = io.Write(fd, content.data() + done, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

Result Replace(const std::string& path, const std::string& content, Io* ioOrNull) {
    Io plain;
    Io& io = ioOrNull ? *ioOrNull : plain;

    struct stat old {};
    const bool replacing = stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    if (replacing && access(path.c_str(), W_OK) != 0) return Result::NotWritable;

    std::random_device entropy;
    std::uint64_t salt = (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy() ^
                         static_cast<std::uint64_t>(getpid());
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 64 && fd < 0; ++attempt) {
        temp = TempName(path, salt + static_cast<std::uint64_t>(attempt) * 7919u);
        fd = io.Open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) return Result::CannotCreate;

    auto abandon = [&](Result r, bool open) {
        if (open) io.Close(fd);
        io.Unlink(temp.c_str());
        return r;
    };
    if (replacing && !CopyPermissions(fd, path, old)) return abandon(Result::CannotCreate, true);
    if (!WriteAll(io, fd, content)) return abandon(Result::WriteFailed, true);
    if (io.Fsync(fd) != 0) return abandon(Result::FlushFailed, true);
    // A close can report a late write error (network file systems).
    if (io.Close(fd) != 0) return abandon(Result::FlushFailed, false);
    if (io.Rename(temp.c_str(), path.c_str()) != 0) return abandon(Result::RenameFailed, false);

    const int folder = io.Open(Folder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (folder < 0) return Result::FolderFlushFailed;
    const int flushed = io.Fsync(folder);
    const int why = errno;
    io.Close(folder);
    // Some file systems cannot flush a folder at all; that is not a failure
    // of this save.
    if (flushed != 0 && why != EINVAL && why != ENOTSUP) return Result::FolderFlushFailed;
    return Result::Ok;
}

const char* Describe(Result r) {
    switch (r) {
    case Result::Ok:
        return "saved";
    case Result::NotWritable:
        return "the file is read-only";
    case Result::CannotCreate:
        return "no new file can be created in its folder";
    case Result::WriteFailed:
        return "writing the new file failed";
    case Result::FlushFailed:
        return "the new file could not be flushed to disk";
    case Result::RenameFailed:
        return "the new file could not replace the old one";
    case Result::FolderFlushFailed:
        return "the folder could not be flushed to disk";
    }
    return "failed";
}

} // namespace AtomicFile
