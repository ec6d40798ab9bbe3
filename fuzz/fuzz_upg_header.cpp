// Firmware image files and the printer's version reply: the image checks on
// any bytes (in memory, in pieces and read from a file), the version numbers
// and their comparison, and the version taken from a reply.
#include "FuzzInputFile.h"
#include "firmware/CUpgScanner.h"
#include "firmware/FirmwareImage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string version;
    const int inMemory = CheckUpgImage(data, size, version);
    if (inMemory == kUpgValid && version.size() != kVersionTextLength) __builtin_trap();

    // Fed in two pieces, the scanner says the same.
    if (size > 0) {
        const std::size_t split = data[0] % (size + 1);
        CUpgScanner whole, pieces;
        whole.Feed(data, size);
        pieces.Feed(data, split);
        pieces.Feed(data + split, size - split);
        std::string a, b;
        if (whole.Result(a) != pieces.Result(b) || a != b || whole.Digest() != pieces.Digest())
            __builtin_trap();
    }

    std::string fromFile;
    const int read = ReadUpgHeader(FuzzInputFile("upg", data, size), fromFile);
    if (read != inMemory || fromFile != version) __builtin_trap();

    // The reply as the link hands it over: a 512-byte buffer and a count.
    std::uint8_t reply[512] = {};
    const std::size_t received = std::min(size, sizeof reply);
    std::memcpy(reply, data, received);
    const std::string printer =
        FirmwareVersionFromReply(static_cast<int>(received), reply, sizeof reply);
    const VersionDecision d = CompareVersions(printer, version);
    volatile unsigned sink =
        VersionNumber(printer) + static_cast<unsigned>(d.status) + d.updateEnabled;
    (void)sink;
    return 0;
}
