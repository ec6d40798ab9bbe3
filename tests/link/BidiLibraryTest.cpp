#include "comm/CBidiLibrary.h"

#include "FakeBidi.h"

#include <gtest/gtest.h>

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
    };
    for (const auto& c : cases) EXPECT_EQ(DriverFolderLibraryPath(c.driverPath, c.value), c.expected) << c.driverPath;
}
