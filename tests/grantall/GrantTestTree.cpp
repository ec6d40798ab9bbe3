#include "GrantTestTree.h"

#include <acl/libacl.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

// Removes everything inside the open folder, relative to it, so that no
// path ever gets long.
void RemoveContents(int fd) {
    DIR* dir = fdopendir(dup(fd));
    if (!dir) return;
    std::vector<std::pair<std::string, bool>> entries;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            entries.emplace_back(name, S_ISDIR(st.st_mode));
    }
    closedir(dir);
    for (const auto& [name, isFolder] : entries) {
        if (isFolder) {
            const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child >= 0) {
                RemoveContents(child);
                close(child);
            }
            unlinkat(fd, name.c_str(), AT_REMOVEDIR);
        } else {
            unlinkat(fd, name.c_str(), 0);
        }
    }
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    return text;
}

void SnapshotInto(int fd, const std::string& relative, std::vector<std::string>& lines) {
    DIR* dir = fdopendir(dup(fd));
    if (!dir) return;
    std::vector<std::string> names;
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    for (const std::string& name : names) {
        struct stat st {};
        if (fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        const std::string path = relative.empty() ? name : relative + "/" + name;
        std::ostringstream line;
        line << path << " " << std::oct << st.st_mode;
        if (!S_ISLNK(st.st_mode)) {
            const std::string viaFd = "/proc/self/fd/" + std::to_string(fd) + "/" + name;
            line << " " << AclText(viaFd);
            if (S_ISDIR(st.st_mode)) line << " default " << AclText(viaFd, ACL_TYPE_DEFAULT);
        }
        lines.push_back(line.str());
        if (S_ISDIR(st.st_mode)) {
            const int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (child >= 0) {
                SnapshotInto(child, path, lines);
                close(child);
            }
        }
    }
}

} // namespace

namespace {

bool StoresAcls(const std::string& folder) {
    acl_t acl = acl_from_text("u::rwx,g::rwx,o::rwx");
    const bool ok = acl && acl_set_file(folder.c_str(), ACL_TYPE_DEFAULT, acl) == 0;
    if (acl) acl_free(acl);
    if (ok) acl_delete_def_file(folder.c_str());
    return ok;
}

// The first candidate whose file system stores ACLs, probed once: the folder
// in GRANTALL_TEST_DIR when set (alone), else the build's test folder, else
// the temporary folder. When none does, the first is used and the tests'
// check of HasAcls fails there.
const std::string& BaseFolder() {
    static const std::string base = [] {
        std::vector<std::string> candidates;
        if (const char* chosen = std::getenv("GRANTALL_TEST_DIR"); chosen && *chosen)
            candidates.push_back(chosen);
        else
            candidates = {GRANTALL_TEST_BASE, std::filesystem::temp_directory_path().string()};
        for (const std::string& candidate : candidates) {
            std::string probe = candidate + "/grantall-probe-XXXXXX";
            if (!mkdtemp(probe.data())) continue;
            const bool ok = StoresAcls(probe);
            rmdir(probe.c_str());
            if (ok) return candidate;
        }
        return candidates.front();
    }();
    return base;
}

} // namespace

GrantTestTree::GrantTestTree() {
    std::string pattern = BaseFolder() + "/grantall-test-XXXXXX";
    if (!mkdtemp(pattern.data())) Fail("mkdtemp " + pattern);
    m_root = pattern;
    // mkdtemp makes it private; the tests start from an ordinary folder.
    chmod(m_root.c_str(), 0755);
}

GrantTestTree::~GrantTestTree() {
    const int fd = open(m_root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd >= 0) {
        RemoveContents(fd);
        close(fd);
    }
    rmdir(m_root.c_str());
}

std::string GrantTestTree::Folder(const std::string& relative, mode_t mode) const {
    const std::string path = Path(relative);
    std::filesystem::create_directories(path);
    if (chmod(path.c_str(), mode) != 0) Fail("chmod " + path);
    return path;
}

std::string GrantTestTree::File(const std::string& relative, mode_t mode) const {
    const std::string path = Path(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << "data";
    if (chmod(path.c_str(), mode) != 0) Fail("chmod " + path);
    return path;
}

std::string GrantTestTree::Link(const std::string& relative, const std::string& target) const {
    const std::string path = Path(relative);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (symlink(target.c_str(), path.c_str()) != 0) Fail("symlink " + path);
    return path;
}

std::string GrantTestTree::Socket(const std::string& relative) const {
    const std::string path = Path(relative);
    // A socket node needs no listening process and no short path, unlike bind().
    if (mknod(path.c_str(), S_IFSOCK | 0600, 0) != 0) Fail("mknod socket " + path);
    return path;
}

bool GrantTestTree::Device(const std::string& relative) const {
    // The null device; creating it needs root.
    return mknod(Path(relative).c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
}

bool GrantTestTree::HasAcls() const { return StoresAcls(m_root); }

std::string AclText(const std::string& path, acl_type_t type) {
    acl_t acl = acl_get_file(path.c_str(), type);
    if (!acl) return std::string("error: ") + std::strerror(errno);
    char* text = acl_to_any_text(acl, nullptr, ',', TEXT_ABBREVIATE | TEXT_NUMERIC_IDS);
    std::string result = text ? text : "error: acl_to_any_text";
    acl_free(text);
    acl_free(acl);
    return result;
}

void SetAcl(const std::string& path, const std::string& text, acl_type_t type) {
    acl_t acl = acl_from_text(text.c_str());
    if (!acl) Fail("acl_from_text " + text);
    const int rc = acl_set_file(path.c_str(), type, acl);
    acl_free(acl);
    if (rc != 0) Fail("acl_set_file " + path);
}

std::string Snapshot(const std::string& root) {
    std::vector<std::string> lines;
    const int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0) Fail("open " + root);
    lines.push_back(". " + AclText(root) + " default " + AclText(root, ACL_TYPE_DEFAULT));
    SnapshotInto(fd, "", lines);
    close(fd);
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) Fail("lstat " + path);
    return st.st_mode & 07777;
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) Fail("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, outPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    ProgramRun run;
    if (rc != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        errno = rc;
        Fail("posix_spawn " + program);
    }
    // grantall writes little; reading one pipe after the other cannot block it.
    run.out = ReadAll(outPipe[0]);
    run.err = ReadAll(errPipe[0]);
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
