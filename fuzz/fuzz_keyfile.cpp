// Key files come from the Settings folder and from users' custom files:
// every lookup must end, without a crash, on any content.
#include "app/CKeyFileReader.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = [] {
        char name[] = "/tmp/fuzz-keyfile-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) close(fd);
        return std::string(name);
    }();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    static const char* keys[] = {"A", "MEDIA01", "MEDIA_NUM", "PRINTER1", "00000901", ""};
    for (const char* key : keys) {
        CKeyFileReader reader;
        if (!reader.Open(path)) return 0;
        std::string out;
        reader.GetValue(key, out);
        if (!reader.Open(path)) return 0;
        reader.GetSectionValue("S", key, out);
    }
    return 0;
}
