#include "CFolderGranter.h"
#include "GrantTestTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

class FolderGranter : public ::testing::Test {
protected:
    void SetUp() override {
        if (!tree.HasAcls())
            GTEST_SKIP() << "the file system of " << tree.Root() << " stores no POSIX ACLs";
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

    // A link given as the folder itself is refused, not followed.
    EXPECT_FALSE(Walk(tree.Path("toFolder")));
    EXPECT_NE(errors.str().find(tree.Path("toFolder") + ": is a symbolic link"), std::string::npos)
        << errors.str();
    EXPECT_EQ(Snapshot(outside.Root()), before);
}

TEST_F(FolderGranter, OpensASingleFileGivenInsteadOfAFolder) {
    const std::string file = tree.File("lonely", 0600);
    ASSERT_TRUE(Walk(file)) << errors.str();
    EXPECT_EQ(AclText(file), "u::rw-,g::---,o::rw-");
    EXPECT_EQ(AclText(tree.Root()), "u::rwx,g::r-x,o::r-x");
}

TEST_F(FolderGranter, NamesWhatItCannotChangeAndGoesOn) {
    tree.File("before", 0600);
    tree.File("after", 0600);
    if (mknod(tree.Path("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        GTEST_SKIP() << "creating a device node needs root";

    EXPECT_FALSE(Walk(tree.Root()));
    EXPECT_EQ(errors.str(), "grantall: " + tree.Path("device") + ": device node left unchanged\n");
    EXPECT_EQ(ModeOf(tree.Path("device")), 0600);
    EXPECT_EQ(AclText(tree.Path("before")), "u::rw-,g::---,o::rw-");
    EXPECT_EQ(AclText(tree.Path("after")), "u::rw-,g::---,o::rw-");
    EXPECT_EQ(granter.Failed(), 1u);
}

TEST_F(FolderGranter, MissingFolderIsNamed) {
    EXPECT_FALSE(Walk(tree.Path("absent")));
    EXPECT_NE(errors.str().find(tree.Path("absent") + ": cannot examine: No such file"),
              std::string::npos)
        << errors.str();
}

} // namespace
