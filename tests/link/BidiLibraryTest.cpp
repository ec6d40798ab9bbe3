#include "comm/CBidiLibrary.h"

#include "FakeBidi.h"
#include "TestFiles.h"

#include <filesystem>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kMissing[] = "libtqapi-not-installed-anywhere.so";

} // namespace

TEST(BidiLibrary, LoadsByPlainNameBindsAllAndInitialisesOnce) {
    FakeBidi fake;
    CBidiLibrary lib;
    lib.SetLibraryName(fake.Path());
    lib.SetPathFinder([](const std::string&) -> std::string { ADD_FAILURE() << "driver folder searched"; return {}; });
    EXPECT_EQ(lib.Load("qz", 1), 1);
    EXPECT_EQ(lib.BoundCount(), 12);
    EXPECT_EQ(fake.Calls("TQInitialize"), 1);
    // Loaded already: nothing is reloaded, whatever the printer.
    EXPECT_EQ(lib.Load("other", 0), 1);
    EXPECT_EQ(fake.Calls("TQInitialize"), 1);
}

TEST(BidiLibrary, FallsBackToTheDriverFolderAndModeZeroSkipsThePlainName) {
    FakeBidi fake;
    std::string askedFor;
    CBidiLibrary lib;
    lib.SetLibraryName(kMissing);
    lib.SetPathFinder([&](const std::string& p) { askedFor = p; return fake.Path(); });
    EXPECT_EQ(lib.Load("qz", 1), 1);
    EXPECT_EQ(askedFor, "qz");
    lib.Unload();

    CBidiLibrary modeZero;
    modeZero.SetLibraryName(fake.Path());           // would load, but is not tried
    modeZero.SetPathFinder([](const std::string&) { return std::string(); }); // no "TQAPII" value
    EXPECT_EQ(modeZero.Load("qz", 0), 0);
    EXPECT_FALSE(modeZero.IsLoaded());
    EXPECT_EQ(modeZero.OpenChannel(1, "qz", 4), CBidiLibrary::kNotBound);
}

TEST(BidiLibrary, FailedInitialiseOrMissingEntryPointLoadsButReportsZero) {
    {
        FakeBidi fake;
        fake.SetInitResult(-2);
        CBidiLibrary lib;
        lib.SetLibraryName(fake.Path());
        EXPECT_EQ(lib.Load("qz", 1), 0);
        EXPECT_TRUE(lib.IsLoaded()); // Unload frees it
        lib.Unload();
        EXPECT_FALSE(lib.IsLoaded());
    }
    FakeBidi partial(FAKE_TQAPI_NORECEIVE_PATH);
    CBidiLibrary lib;
    lib.SetLibraryName(partial.Path());
    EXPECT_EQ(lib.Load("qz", 1), 0);
    EXPECT_EQ(partial.Calls("TQInitialize"), 1); // called even so
    EXPECT_EQ(lib.BoundCount(), 11);
    std::int32_t size = 16;
    char buf[16];
    EXPECT_EQ(lib.Receive(3, buf, &size, 10), CBidiLibrary::kNotBound);
    EXPECT_EQ(lib.OpenChannel(1, "qz", 4), 7); // the others still work
}

TEST(BidiLibrary, UnloadReleasesAndClearsEverything) {
    FakeBidi fake;
    CBidiLibrary lib;
    lib.SetLibraryName(fake.Path());
    ASSERT_EQ(lib.Load("qz", 1), 1);
    EXPECT_EQ(lib.Unload(), 1);
    EXPECT_EQ(fake.Calls("TQRelease"), 1);
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.BoundCount(), 0);
    std::int32_t size = 0;
    EXPECT_EQ(lib.GetStatus(1, nullptr, &size), CBidiLibrary::kNotBound);
    EXPECT_EQ(fake.Calls("TQGetStatus"), 0);

    // On an empty binding: the Release wrapper answers -100, nothing is called.
    CBidiLibrary empty;
    EXPECT_EQ(empty.Unload(), 1);
    EXPECT_EQ(fake.Calls("TQRelease"), 1);
}

TEST(BidiLibrary, DriverFolderPathRule) {
    struct Case {
        const char* driverPath;
        const char* value;
        const char* expected;
    } cases[] = {
        {"/usr/lib/orvex/qz7100/libkrdrv.so", "libtqapi.so", "/usr/lib/orvex/qz7100/libtqapi.so"},
        {"/opt/drv/", "tq.so", "/opt/drv/tq.so"},
        {"/usr/lib/orvex/qz7100/libkrdrv.so", "", ""},
        // A name with a path would leave the driver folder.
        {"/usr/lib/orvex/qz7100/libkrdrv.so", "../evil/libtqapi.so", ""},
        {"/usr/lib/orvex/qz7100/libkrdrv.so", "sub/libtqapi.so", ""},
        {"/usr/lib/orvex/qz7100/libkrdrv.so", "/tmp/libtqapi.so", ""},
        {"/usr/lib/orvex/qz7100/libkrdrv.so", "..\\libtqapi.so", ""},
        {"/usr/lib/orvex/qz7100/libkrdrv.so", "..", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DriverFolderLibraryPath(c.driverPath, c.value), c.expected) << c.driverPath;
}

// The driver folder is whatever the printer's PPD names, and the PPD may
// come from another machine: the library is loaded from there only when
// nobody but root and this user can change what gets loaded.
TEST(BidiLibrary, DriverFolderIsUsedOnlyWhenNobodyElseCanChangeIt) {
    namespace fs = std::filesystem;
    const uid_t otherUser = 65534;
    struct Case {
        const char* what;
        mode_t folder;        // the driver folder
        mode_t library;       // the library file
        mode_t above;         // the folder that holds the driver folder
        bool libraryOfOther;  // the library belongs to another user
        bool folderOfOther;   // the driver folder belongs to another user
        int loaded;
    } cases[] = {
        {"safe folder", 0755, 0755, 0755, false, false, 1},
        {"sticky folder above", 0755, 0755, 01777, false, false, 1},
        {"folder writable by others", 0757, 0755, 0755, false, false, 0},
        {"folder writable by group", 0775, 0755, 0755, false, false, 0},
        {"sticky driver folder writable by others", 01777, 0755, 0755, false, false, 0},
        {"library writable by others", 0755, 0757, 0755, false, false, 0},
        {"library writable by group", 0755, 0775, 0755, false, false, 0},
        {"folder above writable by others", 0755, 0755, 0777, false, false, 0},
        {"folder above writable by group", 0755, 0755, 0775, false, false, 0},
        {"library of another user", 0755, 0755, 0755, true, false, 0},
        {"folder of another user", 0755, 0755, 0755, false, true, 0},
    };
    FakeBidi fake;
    for (const Case& c : cases) {
        if ((c.libraryOfOther || c.folderOfOther) && geteuid() != 0) continue; // cannot give files away
        TempDir dir;
        const fs::path above = dir.path() / "above";
        const fs::path folder = above / "driver";
        fs::create_directories(folder);
        fs::copy_file(fake.Path(), folder / "libtqapi.so");
        ASSERT_EQ(chmod((folder / "libtqapi.so").c_str(), c.library), 0);
        ASSERT_EQ(chmod(folder.c_str(), c.folder), 0);
        ASSERT_EQ(chmod(above.c_str(), c.above), 0);
        if (c.libraryOfOther) {
            ASSERT_EQ(chown((folder / "libtqapi.so").c_str(), otherUser, -1), 0);
        }
        if (c.folderOfOther) {
            ASSERT_EQ(chown(folder.c_str(), otherUser, -1), 0);
        }

        CBidiLibrary lib;
        lib.SetLibraryName(kMissing);
        lib.SetPathFinder([&](const std::string&) { return (folder / "libtqapi.so").string(); });
        EXPECT_EQ(lib.Load("qz", 1), c.loaded) << c.what;
        EXPECT_EQ(lib.IsLoaded(), c.loaded == 1) << c.what;
    }
}

// Links are followed to the real place, which must pass on its own.
TEST(BidiLibrary, DriverFolderIsJudgedWhereItsLinksLead) {
    namespace fs = std::filesystem;
    FakeBidi fake;
    TempDir dir;
    const fs::path safe = dir.path() / "safe";
    const fs::path open = dir.path() / "open";
    for (const fs::path& f : {safe, open}) {
        fs::create_directories(f);
        fs::copy_file(fake.Path(), f / "libtqapi.so");
    }
    ASSERT_EQ(chmod(open.c_str(), 0777), 0);
    fs::create_directories(dir.path() / "links");
    fs::create_directory_symlink(safe, dir.path() / "links/to-safe");
    fs::create_directory_symlink(open, dir.path() / "links/to-open");
    fs::create_symlink(open / "libtqapi.so", safe / "libtqapi-open.so");
    fs::create_symlink(safe / "libtqapi.so", open / "libtqapi-safe.so");
    const std::pair<fs::path, int> cases[] = {
        {dir.path() / "links/to-safe/libtqapi.so", 1},
        {dir.path() / "links/to-open/libtqapi.so", 0},
        {safe / "libtqapi-open.so", 0},
        // Whoever made the link in the open folder can only point it at a
        // safe library.
        {open / "libtqapi-safe.so", 1},
    };
    for (const auto& [path, loaded] : cases) {
        CBidiLibrary lib;
        lib.SetLibraryName(kMissing);
        lib.SetPathFinder([&](const std::string&) { return path.string(); });
        EXPECT_EQ(lib.Load("qz", 0), loaded) << path;
    }
}
