#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CPrinterLink;

// Firmware image files (".UPG"): a 32-byte header (data length, checksum,
// six-character version text, all numbers little-endian), then the data.
// The whole file goes to the printer behind a short escape header.

constexpr std::size_t kUpgHeaderSize = 32;
constexpr std::size_t kVersionTextLength = 6;
// The largest file that can be an image: its data length is a 32-bit number.
constexpr std::uint64_t kUpgMaxFileBytes = 0xFFFFFFFFull + kUpgHeaderSize;
// Images are read and sent in pieces of this size.
constexpr std::size_t kUpgChunkBytes = std::size_t(256) << 10;

// Results of the image checks.
constexpr int kUpgValid = 0;
constexpr int kUpgNoMemory = -1;
constexpr int kUpgCorrupt = -2;        // short, wrong data length, not read whole, wrong checksum
constexpr int kUpgBadVersionMark = -3; // version text not "I" (either case) and a digit

// What the checks found in an image, and what tells it from other bytes.
struct UpgScan {
    int result = kUpgCorrupt;
    std::string version; // when the result is kUpgValid
    std::uint64_t size = 0;
    std::uint64_t digest = 0;
    bool readable = false; // false: the file could not be opened or read whole
    // True when `other` holds the very bytes this scan checked.
    bool SameBytes(const UpgScan& other) const {
        return size == other.size && digest == other.digest;
    }
};

// Checks an image held in memory, in this order: length, checksum, version
// mark. On success `version` is the six characters at offset 16; otherwise
// it is left as it was.
int CheckUpgImage(const std::uint8_t* data, std::size_t size, std::string& version);

// Reads a user's image file in pieces (never blocking on a FIFO or device,
// never holding it whole) and checks it. A file that cannot be opened or
// read counts as corrupt; one that grows while it is read as well.
UpgScan ScanUpgFile(const std::string& path);
// The same, as the result and the version alone.
int ReadUpgHeader(const std::string& path, std::string& version);

// A version text as a number for comparison: the characters at positions
// 4, 5, 2 and 3 read as one hexadecimal number. Reading stops at the first
// character that is no hexadecimal digit (or the text's end); 0 when the
// first one is none.
unsigned VersionNumber(const std::string& version);

// What the page shows for a printer version beside a file version: the
// status text id (-1 none) and whether "Update" is offered.
struct VersionDecision {
    int status;
    bool updateEnabled;
};
constexpr int kStatusNone = -1;
constexpr int kStatusFileNewer = 70006;
constexpr int kStatusPrinterNewer = 70007;
constexpr int kStatusSameVersion = 70008;
VersionDecision CompareVersions(const std::string& printerVersion, const std::string& fileVersion);

// The firmware job's head: a 16384-byte fill block of 0x11 unless the
// printer's version is exactly "I00000", then the 10-byte escape header.
// The image itself follows it in the job. Returns the bytes written, or 0
// when `room` is too small.
constexpr std::size_t kFillBlockSize = 16384;
constexpr std::uint8_t kFillByte = 0x11;
constexpr std::size_t kFirmwareHeaderSize = 10;
constexpr std::size_t kFirmwareJobHeadRoom = kFillBlockSize + kFirmwareHeaderSize;
// The version a printer without working firmware reports; it takes the
// image without the fill block.
constexpr const char* kBootVersion = "I00000";
int BuildFirmwareJobHead(std::uint8_t* out, std::size_t room, const std::string& printerVersion);

// The printer's firmware version over the bidirectional channel ("VI"
// query), or "" when it gives none.
std::string QueryFirmwareVersion(CPrinterLink& link, const std::string& printer);
// The parsing half: `result` is the exchange's result. The reply's text is
// cut at its first ';' (or zero byte) and the version is what follows
// "VI:00" in it.
std::string FirmwareVersionFromReply(int result, const std::uint8_t* reply, int size);
