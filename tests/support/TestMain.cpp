// main() of every plotcare test executable: the environment the tests rely
// on (headless Qt, where the build put its programs, where the sources are)
// is set here, so a test binary run by hand behaves as under ctest. Each
// test process also gets a home, config and runtime folder of its own:
// libcups writes a user's queue options under $HOME, the settings store
// under the config roots, and none of it may reach the real ones.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

// The folders each test process keeps to itself. A test that changes one
// must put it back: a later test would otherwise write to a folder that no
// longer exists, or to the machine's real ones.
constexpr std::array<const char*, 5> kPrivateRoots = {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR",
                                                      "PLOTCARE_CONFIG_HOME",
                                                      "PLOTCARE_SYSTEM_CONFIG_DIR"};

class PrivateRootsCheck : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        for (std::size_t i = 0; i < kPrivateRoots.size(); ++i) {
            const char* value = std::getenv(kPrivateRoots[i]);
            m_before[i] = value ? std::optional<std::string>(value) : std::nullopt;
        }
    }
    // Runs after the fixture's TearDown: fails the test that left a root
    // changed, and puts the root back for the tests after it.
    void OnTestEnd(const ::testing::TestInfo&) override {
        for (std::size_t i = 0; i < kPrivateRoots.size(); ++i) {
            const char* value = std::getenv(kPrivateRoots[i]);
            const std::optional<std::string> now =
                value ? std::optional<std::string>(value) : std::nullopt;
            if (now == m_before[i]) continue;
            ADD_FAILURE() << kPrivateRoots[i] << " was left as " << now.value_or("<unset>")
                          << ", not " << m_before[i].value_or("<unset>");
            if (m_before[i])
                setenv(kPrivateRoots[i], m_before[i]->c_str(), 1);
            else
                unsetenv(kPrivateRoots[i]);
        }
    }

private:
    std::array<std::optional<std::string>, kPrivateRoots.size()> m_before;
};

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
    // The tests read the English texts whatever the machine's locale; the
    // tests of the language choice set their own.
    setenv("PLOTCARE_LANG", "en", 1);

    const std::string home = MakePrivateHome();
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/runtime").c_str(), 1);
    setenv("PLOTCARE_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("PLOTCARE_SYSTEM_CONFIG_DIR", (home + "/system-config").c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new PrivateRootsCheck);
    const int result = RUN_ALL_TESTS();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return result;
}
