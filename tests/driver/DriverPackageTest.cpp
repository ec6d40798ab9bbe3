// The driver package as the build lays it out in <build>/out/driver: the
// PPDs of both models, their data files, and the registration step.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include <cups/ppd.h>

#include "DriverRegistration.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "app/CSettingsKey.h"
#include "custompaper/CMediaTable.h"
#include "platform/DriverDescription.h"
#include "platform/PrivateProfile.h"
#include "platform/RegistryFormat.h"

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

std::string DriverDir() {
    const char* out = std::getenv("PLOTCARE_OUTPUT_DIR");
    return std::string(out && *out ? out : PLOTCARE_TEST_OUTPUT_DIR) + "/driver";
}

struct Model {
    const char* file;
    const char* driverName;
    const char* dataFile;
};
const Model kModels[] = {
    {"ovcm7100", "ORVEX Corvan Max 7100", "ovcm7100.ini"},
    {"ovqz7100", "ORVEX QZ-7100", "ovqz7100.ini"},
};

std::string PpdPath(const Model& m) { return DriverDir() + "/" + m.file + ".ppd"; }

TEST(DriverPackage, PpdsPassCupsTestPpd) {
    // cupstestppd looks for the filters a PPD names under the root it is
    // given: one where the driver's filter is installed.
    TempDir root;
    const auto filterDir = root.path() / "usr/lib/cups/filter";
    std::filesystem::create_directories(filterDir);
    std::filesystem::create_symlink(DriverDir() + "/orvex-sheetfilter", filterDir / "orvex-sheetfilter");
    for (const Model& m : kModels) {
        const std::string command = "cupstestppd -q -R '" + root.path().string() + "' '" + PpdPath(m) + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
    }
}

TEST(DriverPackage, PpdsNameTheDriverAsPlotcareComparesIt) {
    for (const Model& m : kModels) {
        ppd_file_t* ppd = ppdOpenFile(PpdPath(m).c_str());
        ASSERT_TRUE(ppd) << PpdPath(m);
        EXPECT_STREQ(ppd->modelname, m.driverName);
        EXPECT_STREQ(ppd->nickname, m.driverName);
        ppd_attr_t* pdf = ppdFindAttr(ppd, "cupsFilter2", nullptr);
        ASSERT_TRUE(pdf);
        // PDF goes to the printer behind the driver's sheet header, and
        // nothing else is filtered.
        EXPECT_STREQ(pdf->value, "application/pdf application/vnd.orvex-sheet 0 orvex-sheetfilter");
        EXPECT_FALSE(ppdFindNextAttr(ppd, "cupsFilter2", nullptr));
        ppdClose(ppd);
    }
}

TEST(DriverPackage, EveryMediaTableRowHasADriverMediaTypeAndTheDriverHasMore) {
    const CMediaTable table(SourcePath("settings/Media.ini"));
    ASSERT_TRUE(table.IsComplete());
    for (const Model& m : kModels) {
        ppd_file_t* ppd = ppdOpenFile(PpdPath(m).c_str());
        ASSERT_TRUE(ppd);
        ppd_option_t* media = ppdFindOption(ppd, "MediaType");
        ASSERT_TRUE(media);
        std::set<int> driverIds;
        for (int i = 0; i < media->num_choices; ++i) {
            ppd_attr_t* id = ppdFindAttr(ppd, "OVMediaID", media->choices[i].choice);
            ASSERT_TRUE(id) << media->choices[i].choice;
            EXPECT_TRUE(driverIds.insert(std::atoi(id->value)).second) << "duplicate id " << id->value;
        }
        for (const MediaRow& row : table.Rows())
            EXPECT_TRUE(driverIds.count(row[0])) << m.file << " lacks media " << row[0];
        int withoutRow = 0;
        for (int id : driverIds) withoutRow += table.FindRow(id, -1) == nullptr;
        EXPECT_GT(withoutRow, 0) << "every driver media has a table row";
        // The print modes the table offers are the driver's.
        for (int mode = 1; mode <= 4; ++mode)
            EXPECT_TRUE(ppdFindChoice(ppdFindOption(ppd, "OVPrintQuality"), ("Mode" + std::to_string(mode)).c_str()));
        ppdClose(ppd);
    }
}

TEST(DriverPackage, DescriptionNamesTheDriverFolderAndTheDataFile) {
    for (const Model& m : kModels) {
        const auto d = DriverDescriptionFromPpd(PpdPath(m));
        ASSERT_TRUE(d) << m.file;
        EXPECT_EQ(d->driverPath, PpdPath(m));
        EXPECT_EQ(d->dataFile, DriverDir() + "/" + m.dataFile);
        EXPECT_EQ(ReadPrivateProfileString(d->dataFile, "User Mode Printer Driver Information", "TQAPII", ""),
                  "libtqapi.so");
    }
}

TEST(DriverPackage, DescriptionNeedsBothKeywords) {
    TempDir dir;
    const std::string head =
        "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*ModelName: \"X\"\n*PCFileName: \"X.PPD\"\n";
    const auto absolute = DriverDescriptionFromPpd(
        dir.write("a.ppd", head + "*OVDriverDirectory: \"/opt/drv/\"\n*OVDriverDataFile: \"/etc/x.ini\"\n"));
    ASSERT_TRUE(absolute);
    EXPECT_EQ(absolute->driverPath, "/opt/drv/x.ppd");
    EXPECT_EQ(absolute->dataFile, "/etc/x.ini");
    EXPECT_FALSE(DriverDescriptionFromPpd(dir.write("b.ppd", head + "*OVDriverDirectory: \"/opt/drv\"\n")));
    EXPECT_FALSE(DriverDescriptionFromPpd(dir.write("c.ppd", head + "*OVDriverDataFile: \"x.ini\"\n")));
    EXPECT_FALSE(DriverDescriptionFromPpd(dir.file("missing.ppd")));
    EXPECT_FALSE(GetDriverDescription(""));
}

class DriverRegistration : public ::testing::Test {
protected:
    void SetUp() override { m_env.Set("PLOTCARE_SYSTEM_CONFIG_DIR", m_root.path().string()); }
    void TearDown() override { m_env.Restore(); }

    static std::vector<std::string> Registered() {
        std::vector<std::string> names;
        CSettingsKey key(SettingsRoot::LocalMachine, CSettingsKey::kStatusMonitorDriverKey, true);
        std::string name;
        for (unsigned i = 0; key.IsOpen() && key.EnumSubkey(i, name) == 0; ++i) names.push_back(name);
        return names;
    }
    static int Run(const std::string& args) {
        return std::system((DriverDir() + "/orvex-register-drivers " + args + " >/dev/null 2>&1").c_str());
    }

    TempDir m_root;
    ScopedEnv m_env;
};

TEST_F(DriverRegistration, InstallStepRegistersBothDriversAndRemovesOne) {
    EXPECT_TRUE(Registered().empty());
    ASSERT_EQ(Run(""), 0);
    EXPECT_EQ(Registered(), kSupportedDriverNames);
    ASSERT_EQ(Run("--remove 'ORVEX QZ-7100'"), 0);
    EXPECT_EQ(Registered(), std::vector<std::string>{"ORVEX Corvan Max 7100"});
    EXPECT_NE(Run("--bogus"), 0);
}

// The machine-wide file holds more than the status monitor's list; one the
// install step cannot read is left as it is, not replaced by its few keys.
TEST_F(DriverRegistration, InstallStepLeavesAFileItCannotReadAlone) {
    const std::string big =
        "[Software/Other]\nKeep=1\n;" + std::string(RegistryFormat::kMaxFileSize, ' ') + "\n";
    const std::string path = m_root.write("ORVEX/registry.conf", big);
    EXPECT_NE(Run(""), 0);
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == big);
}

TEST_F(DriverRegistration, TestHelperWritesWhatTheInstallStepWrites) {
    RegisterDriversForTest({"ORVEX QZ-7100"});
    EXPECT_EQ(Registered(), std::vector<std::string>{"ORVEX QZ-7100"});
}

}  // namespace
