// main() of every plotcare test executable: the environment the tests rely
// on (headless Qt, where the build put its programs, where the sources are)
// is set here, so a test binary run by hand behaves as under ctest.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("PLOTCARE_OUTPUT_DIR", PLOTCARE_OUTPUT_DIR_DEFAULT, 0);
    setenv("PLOTCARE_SOURCE_DIR", PLOTCARE_SOURCE_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
