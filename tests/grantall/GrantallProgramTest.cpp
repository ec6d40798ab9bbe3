// Runs the grantall program itself: command line, exit status and what it
// writes, with getfacl as an outside witness of the result.
#include "GrantTestTree.h"

#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kProgram = GRANTALL_PROGRAM;

class GrantallProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tree.HasAcls()) << "the file system of " << tree.Root()
                                    << " stores no POSIX ACLs; set GRANTALL_TEST_DIR to a "
                                       "folder on one that does";
    }
    GrantTestTree tree;
};

TEST_F(GrantallProgram, GetfaclSeesTheListsItWrote) {
    tree.Folder("Settings", 0755);
    tree.File("Settings/media.ini", 0644);

    const ProgramRun run = RunProgram(kProgram, {"\"" + tree.Root() + "\""});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const ProgramRun folder = RunProgram("/usr/bin/getfacl", {"-pn", "--omit-header", tree.Path("Settings")});
    EXPECT_EQ(folder.out, "user::rwx\ngroup::r-x\nother::rwx\n"
                          "default:user::rwx\ndefault:group::rwx\ndefault:other::rwx\n\n");
    const ProgramRun file =
        RunProgram("/usr/bin/getfacl", {"-pn", "--omit-header", tree.Path("Settings/media.ini")});
    EXPECT_EQ(file.out, "user::rw-\ngroup::r--\nother::rw-\n\n");
}

// The reported case: "grantall share/sub/" where sub links to another folder.
TEST_F(GrantallProgram, RefusesALinkHoweverTheFolderIsSpelled) {
    GrantTestTree outside;
    const std::string privateFolder = outside.Folder("private", 0700);
    outside.File("private/inner", 0600);
    const std::string before = Snapshot(outside.Root());
    tree.Link("share/sub", privateFolder);

    const std::vector<std::vector<std::string>> commandLines = {
        {"share/sub/"}, {"\"share/sub/\""}, {"\"share/sub/.\""}, {"--", "share//sub//"},
        {"./share/sub/./"}};
    for (const auto& args : commandLines) {
        const ProgramRun run = RunProgram(kProgram, args, tree.Root());
        EXPECT_EQ(run.exitCode, 1) << args.back();
        EXPECT_NE(run.err.find(": is a symbolic link"), std::string::npos) << run.err;
        EXPECT_EQ(Snapshot(outside.Root()), before) << args.back();
    }
}

TEST_F(GrantallProgram, WrongCommandLineChangesNothing) {
    tree.Folder("sub", 0700);
    tree.File("sub/file", 0600);
    const std::string before = Snapshot(tree.Root());
    // Run inside the tree: a missing folder must not fall back to the current one.
    const std::vector<std::vector<std::string>> commandLines = {
        {}, {""}, {"\"\""}, {"\""}, {"sub", "sub"}, {"--recursive", "sub"}};
    for (const auto& args : commandLines) {
        const ProgramRun run = RunProgram(kProgram, args, tree.Root());
        EXPECT_EQ(run.exitCode, 2) << args.size();
        EXPECT_NE(run.err.find("Usage: grantall FOLDER"), std::string::npos) << run.err;
        EXPECT_EQ(Snapshot(tree.Root()), before);
    }
}

TEST_F(GrantallProgram, HelpAndVersion) {
    const ProgramRun help = RunProgram(kProgram, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: grantall FOLDER\n", 0), 0u) << help.out;
    const ProgramRun version = RunProgram(kProgram, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("grantall ", 0), 0u) << version.out;
}

// A path longer than PATH_MAX cannot be handed to the system; such items
// are skipped and named, the rest of the tree is still opened, and the exit
// status tells that something was left. This works for root and normal users.
TEST_F(GrantallProgram, ItemsItCannotChangeAreNamedAndFailTheRun) {
    tree.File("near", 0600);
    const std::string longName(200, 'd');
    int fd = open(tree.Root().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    std::string path = tree.Root();
    std::string firstTooLong;
    std::string lastReachable;
    while (path.size() < PATH_MAX + 500) {
        ASSERT_EQ(mkdirat(fd, longName.c_str(), 0700), 0);
        const int child = openat(fd, longName.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(child, 0);
        close(fd);
        fd = child;
        path += "/" + longName;
        if (path.size() < PATH_MAX) lastReachable = path;
        else if (firstTooLong.empty()) firstTooLong = path;
    }
    close(fd);

    const ProgramRun run = RunProgram(kProgram, {tree.Root()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("grantall: " + firstTooLong + ": path longer than the system allows"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("1 item(s) left unchanged"), std::string::npos) << run.err;
    EXPECT_EQ(AclText(tree.Path("near")), "u::rw-,g::---,o::rw-");
    EXPECT_EQ(AclText(lastReachable), "u::rwx,g::---,o::rwx");
}

} // namespace
