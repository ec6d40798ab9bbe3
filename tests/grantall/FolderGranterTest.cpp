#include "CFolderGranter.h"
#include "GrantTestTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio> // renameat2
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

class FolderGranter : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tree.HasAcls()) << "the file system of " << tree.Root()
                                    << " stores no POSIX ACLs; set GRANTALL_TEST_DIR to a "
                                       "folder on one that does";
    }

    bool Walk(const std::string& folder) {
        errors.str("");
        return granter.WalkFolder(folder);
    }

    GrantTestTree tree;
    std::ostringstream errors;
    CFolderGranter granter{errors};
};

TEST_F(FolderGranter, OpensEveryItemOfTheTreeOnceAndForAll) {
    tree.Folder("sub", 0700);
    tree.Folder("sub/deep", 0750);
    tree.File("data.txt", 0640);
    tree.File("run.sh", 0750);
    tree.File("sub/locked", 0000);
    tree.File("sub/deep/ownerRuns", 0100);
    tree.File("sub/deep/setuid", 04750);
    ASSERT_EQ(mkfifo(tree.Path("sub/pipe").c_str(), 0600), 0);

    ASSERT_TRUE(Walk(tree.Root())) << errors.str();
    EXPECT_EQ(errors.str(), "");

    const struct {
        const char* path;
        const char* access;
    } expected[] = {
        {"", "u::rwx,g::r-x,o::rwx"},
        {"sub", "u::rwx,g::---,o::rwx"},
        {"sub/deep", "u::rwx,g::r-x,o::rwx"},
        {"data.txt", "u::rw-,g::r--,o::rw-"},
        {"run.sh", "u::rwx,g::r-x,o::rwx"},
        {"sub/locked", "u::---,g::---,o::rw-"},
        {"sub/deep/ownerRuns", "u::--x,g::---,o::rwx"},
        {"sub/deep/setuid", "u::rwx,g::r-x,o::rwx"},
        {"sub/pipe", "u::rw-,g::---,o::rw-"},
    };
    for (const auto& e : expected) {
        const std::string path = tree.Path(e.path);
        EXPECT_EQ(AclText(path), e.access) << e.path;
        struct stat st {};
        ASSERT_EQ(lstat(path.c_str(), &st), 0);
        if (S_ISDIR(st.st_mode)) {
            EXPECT_EQ(AclText(path, ACL_TYPE_DEFAULT), "u::rwx,g::rwx,o::rwx") << e.path;
        }
    }
    // The list is written, not the mode: the set-user-id bit stays.
    EXPECT_EQ(ModeOf(tree.Path("sub/deep/setuid")) & 07000, 04000);
    EXPECT_EQ(granter.Granted(), std::size(expected));

    // A second run finds nothing left to change and gives the same result.
    const std::string first = Snapshot(tree.Root());
    ASSERT_TRUE(Walk(tree.Root())) << errors.str();
    EXPECT_EQ(Snapshot(tree.Root()), first);

    // Items created later inherit access for everyone.
    const int fd = open(tree.Path("sub/deep/new").c_str(), O_CREAT | O_WRONLY, 0666);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(AclText(tree.Path("sub/deep/new")), "u::rw-,g::rw-,o::rw-");
}

TEST_F(FolderGranter, KeepsNamedEntriesAndWidensTheMask) {
    const std::string file = tree.File("shared.dat", 0640);
    SetAcl(file, "u::rw-,u:4321:rw-,g::r--,g:4322:r--,m::r--,o::---");
    const std::string folder = tree.Folder("team", 0750);
    SetAcl(folder, "u::rwx,g::r-x,g:4322:rwx,m::r-x,o::---");
    SetAcl(folder, "u::rwx,u:4321:r-x,g::r-x,m::r-x,o::---", ACL_TYPE_DEFAULT);

    ASSERT_TRUE(Walk(tree.Root())) << errors.str();
    EXPECT_EQ(AclText(file), "u::rw-,u:4321:rw-,g::r--,g:4322:r--,m::rw-,o::rw-");
    EXPECT_EQ(AclText(folder), "u::rwx,g::r-x,g:4322:rwx,m::rwx,o::rwx");
    EXPECT_EQ(AclText(folder, ACL_TYPE_DEFAULT), "u::rwx,u:4321:r-x,g::r-x,m::rwx,o::rwx");
}

TEST_F(FolderGranter, ReadsLongListsWhole) {
    // More named entries than the first read has room for.
    std::string named;
    for (int uid = 20000; uid < 20040; ++uid) named += "u:" + std::to_string(uid) + ":r--,";
    const std::string file = tree.File("crowded", 0600);
    SetAcl(file, "u::rw-," + named + "g::---,m::r--,o::---");

    ASSERT_TRUE(Walk(tree.Root())) << errors.str();
    EXPECT_EQ(AclText(file), "u::rw-," + named + "g::---,m::rw-,o::rw-");
}

TEST_F(FolderGranter, NeverFollowsSymbolicLinks) {
    GrantTestTree outside;
    const std::string secret = outside.File("secret", 0600);
    const std::string privateFolder = outside.Folder("private", 0700);
    outside.File("private/inner", 0600);
    const std::string before = Snapshot(outside.Root());

    tree.Link("toFile", secret);
    tree.Link("toFolder", privateFolder);
    tree.Link("sub/dangling", tree.Path("nowhere"));
    tree.File("sub/plain", 0600);

    ASSERT_TRUE(Walk(tree.Root())) << errors.str();
    EXPECT_EQ(Snapshot(outside.Root()), before);
    EXPECT_EQ(AclText(tree.Path("sub/plain")), "u::rw-,g::---,o::rw-");
}

TEST_F(FolderGranter, RefusesALinkGivenAsTheFolderHoweverItIsSpelled) {
    GrantTestTree outside;
    const std::string privateFolder = outside.Folder("private", 0700);
    outside.File("private/inner", 0600);
    const std::string secret = outside.File("secret", 0600);
    const std::string before = Snapshot(outside.Root());
    const std::string toFolder = tree.Link("toFolder", privateFolder);
    const std::string toFile = tree.Link("toFile", secret);
    tree.Folder("sub", 0755);

    // A trailing slash or "/." makes the system resolve the link itself.
    const std::string spellings[] = {
        toFolder,
        toFolder + "/",
        toFolder + "//",
        toFolder + "/.",
        toFolder + "/./",
        toFolder + "/.//./",
        tree.Root() + "//toFolder/",
        tree.Path("sub/../toFolder/"),
        toFile,
        toFile + "/",
    };
    for (const std::string& spelling : spellings) {
        EXPECT_FALSE(Walk(spelling)) << spelling;
        EXPECT_EQ(errors.str(), "grantall: " + spelling +
                                    ": is a symbolic link, which grantall does not follow; name "
                                    "the folder it points to\n");
        EXPECT_EQ(Snapshot(outside.Root()), before) << spelling;
    }
}

TEST_F(FolderGranter, AcceptsAFolderHoweverItIsSpelled) {
    const char* spellings[] = {"a/", "b//", "c/.", "d/./", "e/.//./", "f/../f/"};
    for (const char* spelling : spellings) {
        const std::string folder = tree.Folder(std::string(1, spelling[0]), 0700);
        const std::string file = tree.File(std::string(1, spelling[0]) + "/file", 0600);
        EXPECT_TRUE(Walk(tree.Path(spelling))) << spelling << ": " << errors.str();
        EXPECT_EQ(AclText(folder), "u::rwx,g::---,o::rwx") << spelling;
        EXPECT_EQ(AclText(file), "u::rw-,g::---,o::rw-") << spelling;
    }
    // A slash asks for a folder, as everywhere else on the system.
    const std::string file = tree.File("plain", 0600);
    EXPECT_FALSE(Walk(file + "/"));
    EXPECT_EQ(errors.str(), "grantall: " + file + "/: cannot examine: Not a directory\n");
    EXPECT_EQ(AclText(file), "u::rw-,g::---,o::---");
}

TEST_F(FolderGranter, OpensASingleFileGivenInsteadOfAFolder) {
    const std::string file = tree.File("lonely", 0600);
    ASSERT_TRUE(Walk(file)) << errors.str();
    EXPECT_EQ(AclText(file), "u::rw-,g::---,o::rw-");
    EXPECT_EQ(AclText(tree.Root()), "u::rwx,g::r-x,o::r-x");
}

// Opening a device node or a socket to everyone would hand out the hardware
// or the service behind it.
TEST_F(FolderGranter, LeavesDevicesAndSocketsAloneAndGoesOn) {
    tree.File("before", 0600);
    tree.File("after", 0600);
    const std::string socket = tree.Socket("socket");
    const std::string socketLine = "grantall: " + socket + ": socket left unchanged";
    std::vector<std::string> expected = {socketLine};
    if (tree.Device("device")) // only root may make one
        expected.push_back("grantall: " + tree.Path("device") + ": device node left unchanged");

    EXPECT_FALSE(Walk(tree.Root()));
    std::vector<std::string> reported;
    std::istringstream lines(errors.str());
    for (std::string line; std::getline(lines, line);) reported.push_back(line);
    std::sort(reported.begin(), reported.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(reported, expected);
    EXPECT_EQ(granter.Failed(), expected.size());
    EXPECT_EQ(AclText(tree.Path("before")), "u::rw-,g::---,o::rw-");
    EXPECT_EQ(AclText(tree.Path("after")), "u::rw-,g::---,o::rw-");
    EXPECT_EQ(ModeOf(socket), 0600);
    if (expected.size() > 1) {
        EXPECT_EQ(ModeOf(tree.Path("device")), 0600);
    }

    // Given by name, too.
    EXPECT_FALSE(Walk(socket));
    EXPECT_EQ(errors.str(), socketLine + "\n");
    EXPECT_EQ(ModeOf(socket), 0600);
}

// What is examined is what is changed: entries swapped for device nodes
// (sockets when not root) between the two must not be opened to everyone.
// Several pairs widen the window a walk offers to the swapping thread.
TEST_F(FolderGranter, ChangesOnlyTheItemItExamined) {
    constexpr int kPairs = 8;
    GrantTestTree outside;
    std::vector<std::string> inTree, away;
    std::vector<int> files; // each file wherever it is, to make it need a change again
    for (int i = 0; i < kPairs; ++i) {
        const std::string name = "x" + std::to_string(i);
        inTree.push_back(tree.File(name, 0600));
        away.push_back(outside.Path(name));
        if (!outside.Device(name)) outside.Socket(name);
        files.push_back(open(inTree.back().c_str(), O_RDONLY | O_CLOEXEC));
        ASSERT_GE(files.back(), 0);
    }
    // True when a special node, wherever it is now, was changed.
    auto specialChanged = [&] {
        for (const auto* paths : {&inTree, &away})
            for (const std::string& path : *paths) {
                struct stat st {};
                if (lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) &&
                    (st.st_mode & 07777) != 0600)
                    return true;
            }
        return false;
    };

    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        for (int i = 0; !stop; i = (i + 1) % kPairs)
            renameat2(AT_FDCWD, inTree[i].c_str(), AT_FDCWD, away[i].c_str(), RENAME_EXCHANGE);
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    bool changed = false;
    int walks = 0;
    while (!changed && std::chrono::steady_clock::now() < until) {
        for (const int file : files) fchmod(file, 0600);
        Walk(tree.Root());
        ++walks;
        changed = specialChanged();
    }
    stop = true;
    swapper.join();
    for (const int file : files) close(file);
    EXPECT_FALSE(changed || specialChanged()) << "after " << walks << " walks";
}

TEST_F(FolderGranter, MissingFolderIsNamed) {
    EXPECT_FALSE(Walk(tree.Path("absent")));
    EXPECT_NE(errors.str().find(tree.Path("absent") + ": cannot examine: No such file"),
              std::string::npos)
        << errors.str();
}

} // namespace
