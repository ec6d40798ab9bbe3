#include "app/CSettingsKey.h"
#include "platform/RegistryFormat.h"
#include "platform/SettingsStore.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QSettings>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

namespace {

// Both roots point into a temporary folder for the whole test.
class SettingsKey : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("PLOTCARE_CONFIG_HOME", dir.file("user").c_str(), 1);
        setenv("PLOTCARE_SYSTEM_CONFIG_DIR", dir.file("machine").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("PLOTCARE_CONFIG_HOME");
        unsetenv("PLOTCARE_SYSTEM_CONFIG_DIR");
    }
    std::string UserFileText() const {
        std::ifstream in(dir.file("user/ORVEX/registry.conf"));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    TempDir dir;
};

TEST_F(SettingsKey, RootsFollowTheEnvironment) {
    EXPECT_EQ(SettingsStore::FilePath(SettingsRoot::CurrentUser).toStdString(),
              dir.file("user") + "/ORVEX/registry.conf");
    EXPECT_EQ(SettingsStore::FilePath(SettingsRoot::LocalMachine).toStdString(),
              dir.file("machine") + "/ORVEX/registry.conf");
    unsetenv("PLOTCARE_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", "/xdg-home", 1);
    EXPECT_EQ(SettingsStore::RootFolder(SettingsRoot::CurrentUser), "/xdg-home");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("PLOTCARE_SYSTEM_CONFIG_DIR");
    EXPECT_EQ(SettingsStore::RootFolder(SettingsRoot::LocalMachine), "/etc/xdg");
    EXPECT_EQ(SettingsStore::GroupPath("Software\\ORVEX\\\\QVM3\\"), "Software/ORVEX/QVM3");
}

TEST_F(SettingsKey, WrittenValuesReadBackAndReachTheFileAtOnce) {
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(key.WriteString("Corvan Max 7100", "SelectPrinter", "Plotter, 2nd floor"), 0);
    EXPECT_EQ(key.WriteNumber("Corvan Max 7100", "SampleMediaR", -5), 0);
    EXPECT_EQ(key.WriteNumber("Corvan Max 7100", "Big", 2147483647), 0);

    // A fresh handle, as another process would open it.
    CSettingsKey other(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    EXPECT_EQ(other.ReadString("Corvan Max 7100", "SelectPrinter", "def"), "Plotter, 2nd floor");
    EXPECT_EQ(other.ReadNumber("Corvan Max 7100", "SampleMediaR", 7), -5);
    EXPECT_EQ(other.ReadNumber("Corvan Max 7100", "Big", 7), 2147483647);

    // Another process that reads the INI file directly sees the values.
    QSettings raw(QString::fromStdString(dir.file("user/ORVEX/registry.conf")), QSettings::IniFormat);
    EXPECT_EQ(raw.value("SoftWare/ORVEX Servulo 2/Corvan Max 7100/SelectPrinter").toString(),
              "Plotter, 2nd floor");
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

TEST_F(SettingsKey, StringsLongerThan259BytesDoNotReadBack) {
    CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    key.WriteString("M", "Fits", std::string(259, 'a'));
    key.WriteString("M", "TooLong", std::string(260, 'a'));
    // Bytes count, not characters: 130 two-byte characters are 260 bytes.
    std::string wide;
    for (int i = 0; i < 130; ++i) wide += "\xC3\xA9";
    key.WriteString("M", "Wide", wide);
    EXPECT_EQ(key.ReadString("M", "Fits", "def"), std::string(259, 'a'));
    EXPECT_EQ(key.ReadString("M", "TooLong", "def"), "def");
    EXPECT_EQ(key.ReadString("M", "Wide", "def"), "def");
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
    QSettings raw(QString::fromStdString(dir.file("user/ORVEX/registry.conf")), QSettings::IniFormat);
    raw.beginGroup("SoftWare/ORVEX Servulo 2/QZ-7100");
    EXPECT_EQ(raw.childKeys(), QStringList{"SelectPrinter"});
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
