#include "TestFiles.h"

#include <string>

// Where the repository's own files (scripts, fixtures) are, for tests that
// start helpers from it.
std::string SourcePath(const std::string& relative) {
    return std::string(PLOTCARE_SOURCE_DIR) + "/" + relative;
}
