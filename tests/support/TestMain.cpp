// main() of every plotcare test executable: the environment the tests rely
// on (headless Qt, where the build put its programs, where the sources are)
// is set here, so a test binary run by hand behaves as under ctest. Each
// test process also gets a home, config and runtime folder of its own:
// libcups writes a user's queue options under $HOME, the settings store
// under the config roots, and none of it may reach the real ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string MakePrivateHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "plotcare-home-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    for (const char* sub : {"/config", "/system-config", "/runtime"})
        std::filesystem::create_directories(pattern + sub);
    std::filesystem::permissions(pattern + "/runtime", std::filesystem::perms::owner_all);
    return pattern;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("PLOTCARE_OUTPUT_DIR", PLOTCARE_OUTPUT_DIR_DEFAULT, 0);
    setenv("PLOTCARE_SOURCE_DIR", PLOTCARE_SOURCE_DIR, 0);

    const std::string home = MakePrivateHome();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
    setenv("PLOTCARE_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("PLOTCARE_SYSTEM_CONFIG_DIR", (home + "/system-config").c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return result;
}
