#include "firmware/FirmwareImage.h"

#include "base/CRegularFileReader.h"
#include "comm/CPrinterLink.h"
#include "comm/RemotePackets.h"
#include "firmware/CUpgScanner.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr std::uint8_t kFirmwareHeader[kFirmwareHeaderSize] = {0x1B, 0x7D, 0x01, 0x05, 0x00,
                                                               0x61, 0x02, 0x70, 0x8F, 0x38};

} // namespace

int CheckUpgImage(const std::uint8_t* data, std::size_t size, std::string& version) {
    if (!data) return kUpgCorrupt;
    CUpgScanner scanner;
    scanner.Feed(data, size);
    return scanner.Result(version);
}

UpgScan ScanUpgFile(const std::string& path) {
    UpgScan scan;
    CRegularFileReader reader;
    switch (reader.Open(path, kUpgMaxFileBytes)) {
    case RegularFile::Result::Ok:
        break;
    default:
        return scan;
    }
    std::vector<std::uint8_t> chunk;
    try {
        chunk.resize(kUpgChunkBytes);
    } catch (const std::bad_alloc&) {
        scan.result = kUpgNoMemory;
        return scan;
    }
    CUpgScanner scanner;
    for (;;) {
        std::size_t got = 0;
        if (reader.Next(chunk.data(), chunk.size(), got) != RegularFile::Result::Ok) return scan;
        if (got == 0) break;
        scanner.Feed(chunk.data(), got);
    }
    scan.readable = true;
    scan.result = scanner.Result(scan.version);
    scan.size = scanner.Size();
    scan.digest = scanner.Digest();
    return scan;
}

int ReadUpgHeader(const std::string& path, std::string& version) {
    const UpgScan scan = ScanUpgFile(path);
    if (scan.result == kUpgValid) version = scan.version;
    return scan.result;
}

unsigned VersionNumber(const std::string& version) {
    unsigned value = 0;
    for (std::size_t at : {4, 5, 2, 3}) {
        const int d = at < version.size() ? HexDigit(version[at]) : -1;
        if (d < 0) break;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return value;
}

VersionDecision CompareVersions(const std::string& printerVersion, const std::string& fileVersion) {
    if (printerVersion.empty() || fileVersion.empty()) return {kStatusNone, false};
    const unsigned printer = VersionNumber(printerVersion);
    const unsigned file = VersionNumber(fileVersion);
    if (printer > file) return {kStatusPrinterNewer, false};
    if (printer == file) return {kStatusSameVersion, true};
    return {kStatusFileNewer, true};
}

int BuildFirmwareJobHead(std::uint8_t* out, std::size_t room, const std::string& printerVersion) {
    const bool fill = printerVersion != kBootVersion;
    const std::size_t length = (fill ? kFillBlockSize : 0) + kFirmwareHeaderSize;
    if (!out || room < length) return 0;
    if (fill) std::memset(out, kFillByte, kFillBlockSize);
    std::memcpy(out + length - kFirmwareHeaderSize, kFirmwareHeader, kFirmwareHeaderSize);
    return static_cast<int>(length);
}

std::string FirmwareVersionFromReply(int result, const std::uint8_t* reply, int size) {
    std::string version;
    if (result < 1 || !ReplyValue(reply, std::min(result, size), kReplyPrefixVI, version))
        return {};
    return version;
}

std::string QueryFirmwareVersion(CPrinterLink& link, const std::string& printer) {
    std::uint8_t query[16];
    const int length = BuildQueryVI(query, sizeof query);
    std::uint8_t reply[CPrinterLink::kReplySize] = {};
    const int result = link.SendReceive(printer, query, length, reply, sizeof reply,
                                        CPrinterLink::kReplyTimeoutMs);
    return FirmwareVersionFromReply(result, reply, sizeof reply);
}
