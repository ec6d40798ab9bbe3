#pragma once

#include <string>
#include <sys/acl.h>
#include <sys/types.h>
#include <vector>

// A temporary folder for one test, removed afterwards with everything in it
// (also parts whose paths are longer than PATH_MAX). It is made on a file
// system that stores POSIX ACLs when one of the candidates does (see
// BaseFolder in the .cpp); tests check HasAcls and fail, not skip, without.
class GrantTestTree {
public:
    GrantTestTree();
    ~GrantTestTree();
    GrantTestTree(const GrantTestTree&) = delete;
    GrantTestTree& operator=(const GrantTestTree&) = delete;

    const std::string& Root() const { return m_root; }
    std::string Path(const std::string& relative) const { return m_root + "/" + relative; }

    // Creates a folder or a file (empty) with exactly this mode; returns its path.
    std::string Folder(const std::string& relative, mode_t mode = 0755) const;
    std::string File(const std::string& relative, mode_t mode = 0644) const;
    std::string Link(const std::string& relative, const std::string& target) const;
    std::string Socket(const std::string& relative) const;
    // A character device node; false when this user may not create one.
    bool Device(const std::string& relative) const;

    // Whether the file system of the tree stores POSIX ACLs.
    bool HasAcls() const;

private:
    std::string m_root;
};

// The list of `type` in short text form with numeric ids ("u::rw-,g::r--,o::rw-"),
// "" for a folder without a default list, or "error: ..." when it cannot be read.
std::string AclText(const std::string& path, acl_type_t type = ACL_TYPE_ACCESS);
void SetAcl(const std::string& path, const std::string& text, acl_type_t type = ACL_TYPE_ACCESS);

// Every item below `root` (not following links) with its mode and both lists,
// one line each, sorted: equal snapshots mean nothing changed.
std::string Snapshot(const std::string& root);

mode_t ModeOf(const std::string& path);

struct ProgramRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};
// Runs `program` with `args` in folder `cwd` and collects its output.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& cwd = ".");
