#include "app/CSettingsKey.h"
#include "platform/RegistryFormat.h"
#include "platform/SettingsStore.h"
#include "ScopedEnv.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QSaveFile>
#include <QSettings>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// Both roots point into a temporary folder for the whole test.
class SettingsKey : public ::testing::Test {
protected:
    void SetUp() override {
        env.Set("PLOTCARE_CONFIG_HOME", dir.file("user"));
        env.Set("PLOTCARE_SYSTEM_CONFIG_DIR", dir.file("machine"));
    }
    void TearDown() override { env.Restore(); }

    std::string UserFile() const { return dir.file("user/ORVEX/registry.conf"); }
    std::string UserFileText() const {
        std::ifstream in(UserFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The per-user file as another process finds it on disk: parsed from
    // its bytes, past any cache that Qt keeps in this process.
    QSettings::SettingsMap UserFileOnDisk() const {
        QSettings::SettingsMap map;
        QByteArray bytes = QByteArray::fromStdString(UserFileText());
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        EXPECT_TRUE(RegistryFormat::Read(in, map));
        return map;
    }

    TempDir dir;
    ScopedEnv env;
};

TEST_F(SettingsKey, RootsFollowTheEnvironment) {
    EXPECT_EQ(SettingsStore::FilePath(SettingsRoot::CurrentUser).toStdString(),
              dir.file("user") + "/ORVEX/registry.conf");
    EXPECT_EQ(SettingsStore::FilePath(SettingsRoot::LocalMachine).toStdString(),
              dir.file("machine") + "/ORVEX/registry.conf");
    env.Unset("PLOTCARE_CONFIG_HOME");
    env.Set("XDG_CONFIG_HOME", "/xdg-home");
    EXPECT_EQ(SettingsStore::RootFolder(SettingsRoot::CurrentUser), "/xdg-home");
    env.Unset("XDG_CONFIG_HOME");
    env.Unset("PLOTCARE_SYSTEM_CONFIG_DIR");
    EXPECT_EQ(SettingsStore::RootFolder(SettingsRoot::LocalMachine), "/etc/xdg");
    EXPECT_EQ(SettingsStore::GroupPath("Software\\ORVEX\\\\QVM3\\"), "Software/ORVEX/QVM3");
}

TEST_F(SettingsKey, WrittenValuesReadBackAndReachTheFileAtOnce) {
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.WriteString("Corvan Max 7100", "SelectPrinter", "Plotter, 2nd floor"), 0);
    EXPECT_EQ(key.WriteNumber("Corvan Max 7100", "SampleMediaR", -5), 0);
    EXPECT_EQ(key.WriteNumber("Corvan Max 7100", "Big", 2147483647), 0);

    CSettingsKey other(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    EXPECT_EQ(other.ReadString("Corvan Max 7100", "SelectPrinter", "def"), "Plotter, 2nd floor");
    EXPECT_EQ(other.ReadNumber("Corvan Max 7100", "SampleMediaR", 7), -5);
    EXPECT_EQ(other.ReadNumber("Corvan Max 7100", "Big", 7), 2147483647);

    // The file on disk holds them already, as another process reads it.
    const QSettings::SettingsMap disk = UserFileOnDisk();
    const QString group = QStringLiteral("SoftWare/ORVEX Servulo 2/Corvan Max 7100/");
    EXPECT_EQ(disk.value(group + "SelectPrinter").toString(), "Plotter, 2nd floor")
        << UserFileText();
    EXPECT_EQ(disk.value(group + "SampleMediaR").toString(), "-5");
    EXPECT_EQ(disk.value(group + "Big").toString(), "2147483647");
}

TEST_F(SettingsKey, ReadsFallBackToTheirDefaults) {
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    key.WriteString("M", "Text", "abc");
    key.WriteString("M", "Empty", "");
    EXPECT_EQ(key.ReadString("M", "Missing", "def"), "def");
    EXPECT_EQ(key.ReadString("Other", "Text", "def"), "def");
    EXPECT_EQ(key.ReadString("M", "Empty", "def"), "");
    EXPECT_EQ(key.ReadNumber("M", "Text", 3), 3);     // not a number
    EXPECT_EQ(key.ReadNumber("M", "Empty", 3), 3);
    EXPECT_EQ(key.ReadNumber("M", "Missing", 3), 3);
    key.WriteString("M", "Huge", "4294967296");
    EXPECT_EQ(key.ReadNumber("M", "Huge", 3), 3);      // wider than 32 bits
    key.WriteString("M", "Unsigned", "4294967295");
    EXPECT_EQ(key.ReadNumber("M", "Unsigned", 3), -1);
}

// File paths of any length the platform allows are remembered; a value over
// the cap (in bytes, not characters) is refused when written and ignored
// when a hand-edited file holds one.
TEST_F(SettingsKey, LongPathsReadBackAndLongerValuesAreRefused) {
    std::string path;
    while (path.size() < PATH_MAX - 1)
        path += "/folder";
    path.resize(PATH_MAX - 1); // the longest path with its terminating zero
    const std::size_t cap = CSettingsKey::kMaxStringLength;
    std::string wide; // two-byte characters, one byte over the cap
    while (wide.size() <= cap)
        wide += "\xC3\xA9";

    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    EXPECT_EQ(key.WriteString("M", "FwPath", path), 0);
    EXPECT_EQ(key.WriteString("M", "AtCap", std::string(cap, 'a')), 0);
    EXPECT_NE(key.WriteString("M", "OverCap", std::string(cap + 1, 'a')), 0);
    EXPECT_NE(key.WriteString("M", "Wide", wide), 0);

    CSettingsKey other(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    EXPECT_TRUE(other.ReadString("M", "FwPath", "def") == path);
    EXPECT_TRUE(other.ReadString("M", "AtCap", "def") == std::string(cap, 'a'));
    EXPECT_EQ(other.ReadString("M", "OverCap", "def"), "def");
    EXPECT_EQ(other.ReadString("M", "Wide", "def"), "def");
    const QSettings::SettingsMap disk = UserFileOnDisk();
    EXPECT_TRUE(disk.contains("SoftWare/ORVEX Servulo 2/M/FwPath"));
    EXPECT_FALSE(disk.contains("SoftWare/ORVEX Servulo 2/M/OverCap"));

    std::ofstream(UserFile(), std::ios::app)
        << "[SoftWare/ORVEX Servulo 2/M]\nByHand=" << wide << "\n";
    EXPECT_EQ(other.ReadString("M", "ByHand", "def"), "def");
    EXPECT_TRUE(other.ReadString("M", "FwPath", "def") == path);
}

// Warnings that Qt's message handler receives while it is installed.
class WarningLog {
public:
    WarningLog() {
        s_current = this;
        m_previous = qInstallMessageHandler(&WarningLog::Handle);
    }
    ~WarningLog() {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }
    QStringList warnings;

private:
    static void Handle(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (s_current && type == QtWarningMsg) s_current->warnings << text;
    }
    static inline WarningLog* s_current = nullptr;
    QtMessageHandler m_previous;
};

// Writing rewrites the whole file from what was read, so a file that could
// not be read would be replaced by the few keys written after it. Such a
// store is left alone: writes fail, reads give their defaults, and the
// operator is told once on standard error which file and why.
TEST_F(SettingsKey, AStoreWhoseFileCannotBeReadIsNeverWritten) {
    namespace fs = std::filesystem;
    std::string big = "[SoftWare/ORVEX Servulo 2/M]\nKeep=1\n;";
    big += std::string(RegistryFormat::kMaxFileSize, ' ') + "\n";
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    std::vector<Case> cases = {
        {"over the size cap", [&] { dir.write("user/ORVEX/registry.conf", big); }},
        {"a folder", [&] { fs::create_directories(UserFile() + "/sub"); }},
    };
    if (geteuid() != 0) { // root reads whatever the mode says
        cases.push_back({"unreadable", [&] {
                             dir.write("user/ORVEX/registry.conf",
                                       "[SoftWare/ORVEX Servulo 2/M]\nKeep=1\n");
                             fs::permissions(UserFile(), fs::perms::owner_write);
                         }});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir.file("user"));
        c.make();
        const bool wasFile = fs::is_regular_file(UserFile());
        const std::string before = wasFile ? UserFileText() : std::string();

        WarningLog log;
        for (int attempt = 0; attempt < 2; ++attempt) { // the second past Qt's cache of the first
            CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
            EXPECT_NE(key.WriteString("M", "SelectPrinter", "P1"), 0);
            EXPECT_NE(key.WriteNumber("Other", "N", 1), 0);
            EXPECT_EQ(key.ReadString("M", "Keep", "def"), "def");
            EXPECT_EQ(key.ReadString("New", "X", "def"), "def");
        }
        EXPECT_EQ(fs::is_regular_file(UserFile()), wasFile);
        EXPECT_TRUE(!wasFile || UserFileText() == before);
        ASSERT_EQ(log.warnings.size(), 1) << log.warnings.join('\n').toStdString();
        EXPECT_TRUE(log.warnings[0].contains(QString::fromStdString(UserFile())));
    }

    // Once the file is gone (or mended) the store works again.
    fs::remove_all(dir.file("user"));
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    EXPECT_EQ(key.WriteString("M", "SelectPrinter", "P1"), 0);
    EXPECT_EQ(UserFileOnDisk().value("SoftWare/ORVEX Servulo 2/M/SelectPrinter").toString(), "P1");
}

TEST_F(SettingsKey, ReadingAMissingSubkeyCreatesItEmpty) {
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    std::string name;
    EXPECT_EQ(key.EnumSubkey(0, name), CSettingsKey::kNoMoreItems);
    EXPECT_EQ(key.ReadString("QZ-7100", "SelectPrinter", "def"), "def");
    EXPECT_EQ(key.ReadNumber("Nested\\Deeper", "N", 1), 1);

    CSettingsKey other(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, true);
    ASSERT_TRUE(other.IsOpen());
    ASSERT_EQ(other.EnumSubkey(0, name), 0);
    EXPECT_EQ(name, "Nested");
    ASSERT_EQ(other.EnumSubkey(1, name), 0);
    EXPECT_EQ(name, "QZ-7100");
    EXPECT_EQ(other.EnumSubkey(2, name), CSettingsKey::kNoMoreItems);
    CSettingsKey created(SettingsRoot::CurrentUser, std::string(CSettingsKey::kUtilityKey) + "\\QZ-7100", true);
    EXPECT_TRUE(created.IsOpen());

    // The hidden marker is no value, and leaves once a real value arrives.
    EXPECT_EQ(key.ReadString("QZ-7100", CSettingsKey::kEmptyKeyMarker, "def"), "def");
    EXPECT_NE(key.WriteString("QZ-7100", CSettingsKey::kEmptyKeyMarker, "x"), 0);
    key.WriteString("QZ-7100", "SelectPrinter", "P1");
    QStringList inGroup;
    const QString group = QStringLiteral("SoftWare/ORVEX Servulo 2/QZ-7100/");
    for (const QString& k : UserFileOnDisk().keys())
        if (k.startsWith(group)) inGroup << k.mid(group.size());
    EXPECT_EQ(inGroup, QStringList{"SelectPrinter"}) << UserFileText();
}

TEST_F(SettingsKey, NamesMatchWithoutRegardToCase) {
    CSettingsKey writer(SettingsRoot::CurrentUser, "SoftWare\\ORVEX Servulo 2", false);
    writer.WriteString("Corvan Max 7100", "FwPath", "/home/a");
    CSettingsKey reader(SettingsRoot::CurrentUser, "software\\orvex servulo 2", false);
    EXPECT_EQ(reader.ReadString("CORVAN MAX 7100", "fwpath", "def"), "/home/a");
    reader.WriteString("corvan max 7100", "FWPATH", "/home/b");
    EXPECT_EQ(writer.ReadString("Corvan Max 7100", "FwPath", "def"), "/home/b");
    std::string name;
    ASSERT_EQ(reader.EnumSubkey(0, name), 0);
    EXPECT_EQ(name, "Corvan Max 7100");
    EXPECT_EQ(reader.EnumSubkey(1, name), CSettingsKey::kNoMoreItems);
}

TEST_F(SettingsKey, ReadOnlyOpenOfAMissingKeyStaysClosed) {
    CSettingsKey missing(SettingsRoot::LocalMachine, CSettingsKey::kStatusMonitorDriverKey, true);
    EXPECT_FALSE(missing.IsOpen());
    std::string name = "untouched";
    EXPECT_NE(missing.EnumSubkey(0, name), 0);
    EXPECT_EQ(name, "untouched");
    EXPECT_EQ(missing.ReadString("", "X", "def"), "def");
    EXPECT_EQ(missing.WriteString("", "X", "1"), CSettingsKey::kInvalidHandle);
}

TEST_F(SettingsKey, EnumeratesTheStatusMonitorDriverList) {
    // What the driver package's install step leaves behind: one empty
    // subkey per supported driver name.
    for (const char* driver : {"ORVEX QZ-7100", "ORVEX Corvan Max 7100"})
        CSettingsKey(SettingsRoot::LocalMachine,
                     std::string(CSettingsKey::kStatusMonitorDriverKey) + "\\" + driver, false);
    CSettingsKey list(SettingsRoot::LocalMachine, CSettingsKey::kStatusMonitorDriverKey, true);
    ASSERT_TRUE(list.IsOpen());
    std::string name;
    ASSERT_EQ(list.EnumSubkey(0, name), 0);
    EXPECT_EQ(name, "ORVEX Corvan Max 7100");
    ASSERT_EQ(list.EnumSubkey(1, name), 0);
    EXPECT_EQ(name, "ORVEX QZ-7100");
    EXPECT_EQ(list.EnumSubkey(2, name), CSettingsKey::kNoMoreItems);
    EXPECT_EQ(list.EnumSubkey(0, name, 21), CSettingsKey::kMoreData);  // 21 chars + zero
    EXPECT_EQ(list.EnumSubkey(0, name, 22), 0);
    // The per-user root is a different file.
    CSettingsKey user(SettingsRoot::CurrentUser, CSettingsKey::kStatusMonitorDriverKey, true);
    EXPECT_FALSE(user.IsOpen());
}

TEST_F(SettingsKey, UnwritableMachineRootCannotCreateKeys) {
    // A plain file where the root's folder should be: nobody can create keys
    // there, not even root.
    dir.write("machine", "not a folder");
    CSettingsKey key(SettingsRoot::LocalMachine, "Software\\New", false);
    EXPECT_FALSE(key.IsOpen());
}

}  // namespace

// The store's file keeps any text exactly, and reads whatever a damaged or
// hand-edited file holds as plain text.
TEST(RegistryFormat, RoundTripsAndNeverInterpretsValues) {
    const QSettings::SettingsMap map = {
        {QStringLiteral("Top"), QStringLiteral("first")},
        {QStringLiteral("Software/ORVEX Servulo 2/QZ-7100/SelectPrinter"), QStringLiteral("Plotter [2] = A;B")},
        {QStringLiteral("Software/ORVEX Servulo 2/QZ-7100/FwPath"), QStringLiteral("/home/a b/\\fw\n\r%20é")},
        {QStringLiteral("Software/a=b[c]%/k;#"), QStringLiteral(" spaced ")},
        {QStringLiteral("Software/a=b[c]%/Empty"), QString()},
        {QStringLiteral("Software/ORVEX Servulo 2/QZ-7100/Raw"), QStringLiteral("@Variant(\\0\\0)")},
    };
    QByteArray file;
    {
        QBuffer out(&file);
        out.open(QIODevice::WriteOnly);
        ASSERT_TRUE(RegistryFormat::Write(out, map));
    }
    QSettings::SettingsMap back;
    QBuffer in(&file);
    in.open(QIODevice::ReadOnly);
    ASSERT_TRUE(RegistryFormat::Read(in, back));
    EXPECT_EQ(back, map) << file.toStdString();

    struct {
        const char* text;
        const char* key;
        const char* value;
    } hostile[] = {
        {"[G]\nk=@Variant(AAAAf////w==)\n", "G/k", "@Variant(AAAAf////w==)"},
        {"[G]\nk=@ByteArray(abc)\n", "G/k", "@ByteArray(abc)"},
        {"k=\\\n", "k", "\\"},
        {"[G\nk=v\n", "k", "v"},                  // broken section line: ignored
        {"[G]\r\n=v\r\nk=%zz\r\n", "G/k", "%zz"},  // no key; bad escape stands for itself
    };
    for (const auto& h : hostile) {
        QByteArray text(h.text);
        QBuffer dev(&text);
        dev.open(QIODevice::ReadOnly);
        QSettings::SettingsMap read;
        ASSERT_TRUE(RegistryFormat::Read(dev, read)) << h.text;
        EXPECT_EQ(read.value(QString::fromUtf8(h.key)).toString().toStdString(), h.value) << h.text;
    }

    QByteArray huge(RegistryFormat::kMaxFileSize + 1, 'x');
    QBuffer big(&huge);
    big.open(QIODevice::ReadOnly);
    QSettings::SettingsMap none;
    EXPECT_FALSE(RegistryFormat::Read(big, none));
}

// Qt rereads a file that changed on disk right before it writes, and writes
// even when that read failed; the format then refuses to replace a file it
// cannot read, whoever writes through it.
TEST(RegistryFormat, NeverReplacesAFileThatCannotBeRead) {
    TempDir dir;
    const std::string path = dir.write("registry.conf", "[G]\nkeep=1\n");
    auto settings = SettingsStore::OpenFile(QString::fromStdString(path));
    ASSERT_EQ(settings->value("G/keep").toString(), "1");

    const std::string big = "[G]\nkeep=2\n" + std::string(RegistryFormat::kMaxFileSize, '#') + "\n";
    dir.write("registry.conf", big);
    settings->setValue("G/new", "x");
    settings->sync();
    EXPECT_NE(settings->status(), QSettings::NoError);
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == big);

    // A file it can read, or none, is written.
    const QSettings::SettingsMap map = {{QStringLiteral("G/k"), QStringLiteral("v")}};
    for (const std::string& target :
         {dir.write("small.conf", "[G]\nk=old\n"), dir.file("absent.conf")}) {
        QSaveFile out(QString::fromStdString(target));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        EXPECT_TRUE(RegistryFormat::Write(out, map)) << target;
        out.cancelWriting();
    }
}
