// Key files come from the Settings folder and from users' custom files:
// every lookup must end, without a crash, on any content.
#include "base/CKeyFileReader.h"
#include "FuzzInputFile.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = FuzzInputFile("keyfile", data, size);
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
