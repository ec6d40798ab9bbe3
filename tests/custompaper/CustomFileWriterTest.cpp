// Writing custom files: the layout of a new file, the placement rules on an
// existing one, the encoding of names, and that no failed or interrupted
// save damages the previous file.
#include "custompaper/CustomFileWriter.h"

#include "ScopedEnv.h"
#include "TestFiles.h"
#include "base/CKeyFileEditor.h"
#include "custompaper/CCustomFile.h"
#include "custompaper/CustomFileSavePath.h"
#include "custompaper/CustomFileText.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
constexpr const char* kDriver = "ORVEX Corvan Max 7100";
constexpr std::time_t kTime = 1796871845; // 2026/12/10 03:04:05 UTC

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

CustomFileRecord Record(const std::string& name) {
    CustomFileRecord r;
    r.CustomName = name;
    r.ID = 12;
    r.Mode = 4;
    r.Hres = 1440;
    r.Vres = 720;
    r.Mw = 3;
    r.Density = -50;
    r.Forward = -70;
    r.Drytime = 50;
    r.Paperthick = 16;
    r.Paperdraw = -4;
    r.PaperCut = 3;
    r.InkMode = "00112233445566778899AABBCCDDEEFF";
    r.Platen = 1;
    r.Roller = 3;
    r.SID = 2;
    return r;
}

std::string Section(int k, const std::string& name, const char* eol = "\n") {
    char head[16];
    std::snprintf(head, sizeof head, "[Media%02d]", k);
    std::string s = std::string(head) + eol + "CustomName=" + name + eol;
    for (const char* line :
         {"ID=12", "Mode=4", "Hres=1440", "Vres=720", "Mw=3", "Density=-50", "Forward=-70",
          "Drytime=50", "Paperthick=16", "Paperdraw=-4", "PaperCut=3",
          "InkMode=00112233445566778899AABBCCDDEEFF", "Platen=1", "Roller=3", "SID=2"}) {
        s += std::string(line) + eol;
    }
    return s;
}

class CustomFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("TZ", "UTC");
        tzset();
    }
    void TearDown() override {
        env.Restore();
        tzset();
    }
    int Write(const std::string& path, int k, const CustomFileRecord& r,
              CustomFileWriteOutcome* o = nullptr, AtomicFile::Io* io = nullptr) {
        return WriteCustomFileEntry(path, kDriver, k, &r, o, {kTime, io});
    }
    ScopedEnv env;
    TempDir dir;
};

TEST_F(CustomFileWriterTest, NewFileHasTheHeaderThenTheEntryInKeyOrder) {
    const std::string path = dir.file("new.ZMD");
    ASSERT_EQ(Write(path, 1, Record("Glossy photo")), 0);
    EXPECT_EQ(Read(path),
              "[Base]\r\nVersion=2.00\r\nMakeTime=2026/12/10 03:04:05\r\nModel=Corvan Max 7100\r\n"
              "MediaCount=1\r\n" +
                  Section(1, "Glossy photo", "\r\n"));
    // What was written reads back (MediaId and the mode's resolution are the
    // page's to compute).
    CCustomFile file(kDriver);
    ASSERT_EQ(file.Attach(path), 0);
    CustomFileRecord back;
    ASSERT_EQ(file.ReadEntry(1, back), 0);
    CustomFileRecord expected = Record("Glossy photo");
    expected.Hres = expected.Vres = expected.Mw = 0;
    EXPECT_EQ(back, expected);
}

TEST_F(CustomFileWriterTest, PlacementRulesOnAnExistingFile) {
    const std::string head =
        "[Base]\nVersion=2.00\nMakeTime=2020/01/01 00:00:00\nModel=Corvan Max 7100\nMediaCount=";
    const std::string newHead =
        "[Base]\nVersion=2.00\nMakeTime=2026/12/10 03:04:05\nModel=Corvan Max 7100\nMediaCount=";
    std::string partial = Section(2, "B");
    partial.erase(partial.find("SID=2\n")); // section 2 lacks its last key
    struct Case {
        const char* what;
        std::string before;
        int k;
        std::string after;
    };
    const Case cases[] = {
        {"rewrite entry 3 of 5 in place, other lines kept",
         "; kept comment\n" + head + "5\nOwnKey=x\n\n" + Section(1, "A") + Section(2, "B") +
             Section(3, "old") + "Extra=1\n" + Section(4, "D") + Section(5, "E"),
         3,
         "; kept comment\n" + newHead + "5\nOwnKey=x\n\n" + Section(1, "A") + Section(2, "B") +
             Section(3, "New") + "Extra=1\n" + Section(4, "D") + Section(5, "E")},
        {"a missing key goes to the end of its section, before the blank line",
         head + "2\n" + partial + "\n" + Section(1, "A"), 2,
         newHead + "2\n" + Section(2, "New") + "\n" + Section(1, "A")},
        {"a new entry is a new section at the end", head + "1\n" + Section(1, "A"), 2,
         newHead + "2\n" + Section(1, "A") + Section(2, "New")},
        {"an entry beyond the count raises the count", head + "1\n" + Section(1, "A"), 4,
         newHead + "4\n" + Section(1, "A") + Section(4, "New")},
        {"a last line without its line end", head + "1\n" + Section(1, "A") + "Tail=1", 2,
         newHead + "2\n" + Section(1, "A") + "Tail=1\n" + Section(2, "New")},
        {"missing header keys join Base",
         "[Base]\nModel=Corvan Max 7100\nMediaCount=1\n[Media01]\nCustomName=A\n", 1,
         "[Base]\nModel=Corvan Max 7100\nMediaCount=1\nVersion=2.00\nMakeTime=2026/12/10 "
         "03:04:05\n" +
             Section(1, "New")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool crlf : {false, true}) {
            auto eol = [crlf](std::string s) {
                if (!crlf) return s;
                std::string out;
                for (std::size_t i = 0; i < s.size(); ++i)
                    out += s[i] == '\n' ? std::string("\r\n") : std::string(1, s[i]);
                return out;
            };
            const std::string path = dir.write("f.zmd", eol(c.before));
            CustomFileWriteOutcome o;
            ASSERT_EQ(Write(path, c.k, Record("New"), &o), 0) << DescribeCustomFileWrite(o);
            EXPECT_EQ(Read(path), eol(c.after)) << (crlf ? "CR LF" : "LF");
        }
    }
}

TEST_F(CustomFileWriterTest, NamesAreWrittenInWindows1252OrUtf8WhenTheFileSaysSo) {
    struct Case {
        const char* what;
        std::string before;
        std::string name;
        std::string written; // the CustomName line's value
    };
    const std::string head = "[Base]\nModel=Corvan Max 7100\nMediaCount=0\n";
    const Case cases[] = {
        {"ASCII", head, "Matte 180g", "Matte 180g"},
        {"accents and the euro sign", head, "Café € Über",
         "Caf\xE9 \x80 \xDC"
         "ber"},
        {"cut to 16 characters", head, "ÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄÄ", std::string(16, '\xC4')},
        {"a file marked UTF-8", "\xEF\xBB\xBF" + head, "Café", "Café"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.write("f.zmd", c.before);
        ASSERT_EQ(Write(path, 1, Record(c.name)), 0);
        const std::string text = Read(path);
        EXPECT_NE(text.find("CustomName=" + c.written + "\n"), std::string::npos) << text;
        EXPECT_EQ(text.rfind("\xEF\xBB\xBF", 0) == 0, c.before.rfind("\xEF\xBB\xBF", 0) == 0);
        CCustomFile file(kDriver);
        ASSERT_EQ(file.Attach(path), 0);
        std::vector<std::string> names;
        ASSERT_EQ(file.ReadNames(names, 1), 0);
        EXPECT_EQ(names[0], CustomFileText::CutCharacters(c.name, 16));
    }
}

TEST_F(CustomFileWriterTest, RefusalsLeaveTheFileAlone) {
    const std::string own = "[Base]\nModel=Corvan Max 7100\nMediaCount=1\n" + Section(1, "A");
    struct Case {
        const char* what;
        std::string before;
        int k;
        std::string name;
        CustomFileWrite result;
    };
    const Case cases[] = {
        {"other model", "[Base]\nModel=QZ-7100\nMediaCount=1\n", 1, "x",
         CustomFileWrite::NotCustomFile},
        {"not a custom file", "just text\n", 1, "x", CustomFileWrite::NotCustomFile},
        {"binary", std::string("\0\1\2", 3), 1, "x", CustomFileWrite::NotCustomFile},
        {"no count", "[Base]\nModel=Corvan Max 7100\n", 1, "x", CustomFileWrite::CountUnreadable},
        {"a line break in the name", own, 1, "a\nb", CustomFileWrite::TextNotWritable},
        {"a character Windows-1252 lacks", own, 1, "紙", CustomFileWrite::TextNotWritable},
        {"entry 0", own, 0, "x", CustomFileWrite::BadEntryNumber},
        {"entry beyond any file", own, CCustomFile::kMaxEntries + 1, "x",
         CustomFileWrite::BadEntryNumber},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.write("f.zmd", c.before);
        CustomFileWriteOutcome o;
        EXPECT_EQ(Write(path, c.k, Record(c.name), &o), -1);
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(Read(path), c.before);
    }
    CustomFileWriteOutcome o;
    EXPECT_EQ(WriteCustomFileEntry(dir.file("f.zmd"), kDriver, 1, nullptr, &o), -1);
    EXPECT_EQ(o.result, CustomFileWrite::NoRecord);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"f.zmd"});
}

// Fails one system call of the save: the nth call of one kind.
class FailingIo : public AtomicFile::Io {
public:
    enum Call { kOpen, kWrite, kFsync, kClose, kRename };
    FailingIo(Call call, int nth, bool partialFirst = false)
        : m_call(call), m_nth(nth), m_partial(partialFirst) {}
    int Open(const char* p, int f, mode_t m) override {
        return Fails(kOpen) ? -1 : Io::Open(p, f, m);
    }
    ssize_t Write(int fd, const void* d, std::size_t n) override {
        if (m_partial && m_count[kWrite] == 0) {
            ++m_count[kWrite];
            return Io::Write(fd, d, n / 2);
        }
        return Fails(kWrite) ? -1 : Io::Write(fd, d, n);
    }
    int Fsync(int fd) override { return Fails(kFsync) ? -1 : Io::Fsync(fd); }
    int Close(int fd) override {
        if (!Fails(kClose)) return Io::Close(fd);
        Io::Close(fd);
        return -1;
    }
    int Rename(const char* a, const char* b) override {
        return Fails(kRename) ? -1 : Io::Rename(a, b);
    }

private:
    bool Fails(Call c) {
        if (c != m_call || ++m_count[c] != m_nth) return false;
        errno = EIO;
        return true;
    }
    Call m_call;
    int m_nth;
    bool m_partial;
    int m_count[5] = {};
};

TEST_F(CustomFileWriterTest, ASaveFailingAtAnyStepLeavesThePreviousFileByteForByte) {
    using R = AtomicFile::Result;
    struct Case {
        const char* step;
        FailingIo::Call call;
        int nth;
        bool partial;
        R result;
        bool replaced;
    };
    const Case cases[] = {
        {"create the new file", FailingIo::kOpen, 1, false, R::CannotCreate, false},
        {"write", FailingIo::kWrite, 1, false, R::WriteFailed, false},
        {"write after a short write", FailingIo::kWrite, 2, true, R::WriteFailed, false},
        {"flush the file", FailingIo::kFsync, 1, false, R::FlushFailed, false},
        {"close the file", FailingIo::kClose, 1, false, R::FlushFailed, false},
        {"rename", FailingIo::kRename, 1, false, R::RenameFailed, false},
        {"open the folder", FailingIo::kOpen, 2, false, R::FolderFlushFailed, true},
        {"flush the folder", FailingIo::kFsync, 2, false, R::FolderFlushFailed, true},
    };
    std::string before = "[Base]\r\nModel=Corvan Max 7100\r\nMediaCount=3\r\n";
    for (int k = 1; k <= 3; ++k)
        before += Section(k, "Entry " + std::to_string(k), "\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        const std::string path = dir.write("keep.zmd", before);
        FailingIo io(c.call, c.nth, c.partial);
        CustomFileWriteOutcome o;
        EXPECT_EQ(Write(path, 2, Record("Replaced"), &o, &io), -1);
        EXPECT_EQ(o.result, CustomFileWrite::SaveFailed);
        EXPECT_EQ(o.save, c.result);
        if (c.replaced) {
            EXPECT_NE(Read(path).find("CustomName=Replaced"), std::string::npos);
        } else {
            EXPECT_EQ(Read(path), before);
        }
        EXPECT_EQ(Entries(dir.path()),
                  std::vector<std::string>{"keep.zmd"}); // no new file left behind
    }
}

TEST_F(CustomFileWriterTest, AProcessKilledMidSaveLeavesThePreviousFile) {
    // A large file, so the new one is written in many pieces.
    std::string before = "[Base]\nModel=Corvan Max 7100\nMediaCount=2000\n";
    for (int k = 1; k <= 2000; ++k)
        before += Section(k, "Entry " + std::to_string(k));
    ASSERT_LT(before.size(), CCustomFile::kMaxFileSize);
    const std::string path = dir.write("big.zmd", before);

    // The child writes a little of the new file, says so, and waits to be killed.
    class StallingIo : public AtomicFile::Io {
    public:
        explicit StallingIo(int fd) : m_fd(fd) {}
        ssize_t Write(int fd, const void* d, std::size_t n) override {
            const ssize_t w = Io::Write(fd, d, n / 3);
            const char b = 1;
            if (::write(m_fd, &b, 1) != 1) _exit(3);
            for (;;)
                pause();
            return w;
        }

    private:
        int m_fd;
    };
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        StallingIo io(pipeFds[1]);
        const CustomFileRecord r = Record("Killed");
        WriteCustomFileEntry(path, kDriver, 2001, &r, nullptr, {kTime, &io});
        _exit(2);
    }
    close(pipeFds[1]);
    char b = 0;
    ASSERT_EQ(read(pipeFds[0], &b, 1), 1);
    close(pipeFds[0]);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(Read(path), before);
    CCustomFile file(kDriver);
    ASSERT_EQ(file.Attach(path), 0);
    EXPECT_EQ(file.MediaCount(), 2000);
    // The half-written new file is a hidden file beside it, never the custom file.
    const auto names = Entries(dir.path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].rfind(".big.zmd.", 0), 0u);
    EXPECT_LT(fs::file_size(dir.path() / names[0]), before.size());
    // The next save goes through.
    ASSERT_EQ(Write(path, 2001, Record("After")), 0);
    EXPECT_EQ(file.MediaCount(), 2001);
}

TEST_F(CustomFileWriterTest, PermissionsAndLinksAreKept) {
    const std::string own = "[Base]\nModel=Corvan Max 7100\nMediaCount=0\n";
    for (const mode_t mode : {0600, 0640, 0664, 0604}) {
        const std::string path = dir.write("p.zmd", own);
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        ASSERT_EQ(Write(path, 1, Record("x")), 0);
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
    // A new file is made as any file of the process: umask applies.
    const mode_t old = umask(027);
    const std::string fresh = dir.file("fresh.zmd");
    EXPECT_EQ(Write(fresh, 1, Record("x")), 0);
    umask(old);
    struct stat st {};
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Its access control list and owner (the owner only where the test may
    // hand files to another user).
    const std::string shared = dir.write("acl.zmd", own);
    ASSERT_EQ(std::system(("setfacl -m u:nobody:rw " + shared).c_str()), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(shared.c_str(), 65534, 65534), 0);
    }
    char before[256], after[256];
    const ssize_t aclSize =
        getxattr(shared.c_str(), "system.posix_acl_access", before, sizeof before);
    ASSERT_GT(aclSize, 0);
    ASSERT_EQ(Write(shared, 1, Record("x")), 0);
    ASSERT_EQ(getxattr(shared.c_str(), "system.posix_acl_access", after, sizeof after), aclSize);
    EXPECT_EQ(std::string(before, aclSize), std::string(after, aclSize));
    ASSERT_EQ(stat(shared.c_str(), &st), 0);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u);
    }

    // Through a link: the link stays, the file it names gets the entry.
    const std::string target = dir.write("real/target.zmd", own);
    const std::string link = dir.file("link.zmd");
    fs::create_symlink(target, link);
    ASSERT_EQ(Write(link, 1, Record("linked")), 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(Read(target).find("CustomName=linked"), std::string::npos);
}

TEST_F(CustomFileWriterTest, AReadOnlyFileIsNotReplaced) {
    // A file its user may not write, in a folder the user may write: the
    // folder would allow a new file in its place, the file's mode does not.
    const std::string own = "[Base]\nModel=Corvan Max 7100\nMediaCount=0\n";
    const std::string path = dir.write("ro.zmd", own);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0777), 0);
    auto save = [&] {
        CustomFileWriteOutcome o;
        const int r = Write(path, 1, Record("x"), &o);
        return r == -1 && o.save == AtomicFile::Result::NotWritable ? 0 : 1;
    };
    if (geteuid() != 0) {
        EXPECT_EQ(save(), 0);
    } else {
        // Root may write any file: the save runs as another user.
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
            _exit(save());
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    EXPECT_EQ(Read(path), own);
}

TEST_F(CustomFileWriterTest, SavePathPerUserThenMachineWide) {
    TempDir user, machine;
    env.Set("PLOTCARE_CONFIG_HOME", user.path().string());
    env.Set("PLOTCARE_SYSTEM_CONFIG_DIR", machine.path().string());
    const std::string model = "Corvan Max 7100";
    EXPECT_EQ(ReadSavePath(model), "");
    machine.write("ORVEX/registry.conf",
                  "[SoftWare/ORVEX%20Servulo%202/Corvan%20Max%207100]\nSavePath=/srv/shared\n");
    EXPECT_EQ(ReadSavePath(model), "/srv/shared");
    struct Case {
        std::string saved;
        std::string folder;
    };
    const Case cases[] = {{"/home/op/papers/a.ZMD", "/home/op/papers"},
                          {"/a.ZMD", "/"},
                          {"b.ZMD", fs::current_path().string()}};
    for (const Case& c : cases) {
        EXPECT_EQ(WriteSavePath(model, c.saved), 0);
        EXPECT_EQ(ReadSavePath(model), c.folder) << c.saved;
        EXPECT_EQ(ReadSavePath("QZ-7100"), "") << "per model";
    }
}

TEST(KeyFileEditor, WritesWhatTheReaderFinds) {
    // A section line with a blank after "]" is no section for the reader, so
    // the writer does not write into it either.
    CKeyFileEditor e("[S] \nK=old\n[T]\nK=t\n");
    e.SetValue("S", "K", "new");
    e.SetValue("T", "K", "t2");
    EXPECT_EQ(e.Text(), "[S] \nK=old\n[T]\nK=t2\n[S]\nK=new\n");
}

} // namespace
