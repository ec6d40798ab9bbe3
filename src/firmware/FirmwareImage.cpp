#include "firmware/FirmwareImage.h"

#include "base/RegularFile.h"
#include "comm/CPrinterLink.h"
#include "comm/RemotePackets.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

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
    if (!data || size < kUpgHeaderSize) return kUpgCorrupt;
    if (static_cast<std::uint64_t>(Le32(data + kUpgLengthOffset)) != size - kUpgHeaderSize) return kUpgCorrupt;
    std::uint32_t sum = 0;
    for (std::size_t i = kUpgHeaderSize; i < size; ++i) sum += data[i];
    if (sum != Le32(data + kUpgChecksumOffset)) return kUpgCorrupt;
    const char mark = static_cast<char>(data[kUpgVersionOffset]);
    const char digit = static_cast<char>(data[kUpgVersionOffset + 1]);
    if ((mark != 'I' && mark != 'i') || digit < '0' || digit > '9') return kUpgBadVersionMark;
    version.assign(reinterpret_cast<const char*>(data + kUpgVersionOffset), kVersionTextLength);
    return kUpgValid;
}

int ReadUpgImage(const std::string& path, std::string& content, std::string& version) {
    content.clear();
    RegularFile::Result read;
    try {
        read = RegularFile::Read(path, kUpgMaxFileBytes, content);
    } catch (const std::bad_alloc&) {
        content.clear();
        return kUpgNoMemory;
    }
    switch (read) {
    case RegularFile::Result::Ok: break;
    case RegularFile::Result::TooLarge: return kUpgNoMemory;
    default: return kUpgCorrupt;
    }
    return CheckUpgImage(reinterpret_cast<const std::uint8_t*>(content.data()), content.size(), version);
}

int ReadUpgHeader(const std::string& path, std::string& version) {
    std::string content;
    return ReadUpgImage(path, content, version);
}

std::string UpgFingerprint(const std::uint8_t* data, std::size_t size) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return hash.result().toStdString();
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
    if (result < 1 || !ReplyValue(reply, std::min(result, size), kReplyPrefixVI, version)) return {};
    return version;
}

std::string QueryFirmwareVersion(CPrinterLink& link, const std::string& printer) {
    std::uint8_t query[16];
    const int length = BuildQueryVI(query, sizeof query);
    std::uint8_t reply[CPrinterLink::kReplySize] = {};
    const int result =
        link.SendReceive(printer, query, length, reply, sizeof reply, CPrinterLink::kReplyTimeoutMs);
    return FirmwareVersionFromReply(result, reply, sizeof reply);
}
