#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CPrinterLink;

// Firmware image files (".UPG"): a 32-byte header (data length, checksum,
// six-character version text, all numbers little-endian), then the data.
// The whole file goes to the printer behind a short escape header.

constexpr std::size_t kUpgHeaderSize = 32;
constexpr std::size_t kUpgLengthOffset = 8;
constexpr std::size_t kUpgChecksumOffset = 12;
constexpr std::size_t kUpgVersionOffset = 16;
constexpr std::size_t kVersionTextLength = 6;
// Images larger than this are refused as "no memory": the whole file is
// held in memory while it is checked and sent.
constexpr std::size_t kUpgMaxFileBytes = std::size_t(256) << 20;

// Results of the image checks.
constexpr int kUpgValid = 0;
constexpr int kUpgNoMemory = -1;
constexpr int kUpgCorrupt = -2;        // short, wrong data length, not read whole, wrong checksum
constexpr int kUpgBadVersionMark = -3; // version text not "I" (either case) and a digit

// Checks an image held in memory, in this order: length, checksum, version
// mark. On success `version` is the six characters at offset 16; otherwise
// it is left as it was.
int CheckUpgImage(const std::uint8_t* data, std::size_t size, std::string& version);

// Reads a user's image file (bounded, never blocking on a FIFO or device)
// and checks it. A file that cannot be opened or read counts as corrupt.
int ReadUpgHeader(const std::string& path, std::string& version);

// As ReadUpgHeader, keeping the bytes that were checked: `content` holds
// the whole file when the result is kUpgValid or a failed check, and is
// empty when the file could not be read.
int ReadUpgImage(const std::string& path, std::string& content, std::string& version);

// A digest of an image's bytes, to tell whether a file still holds what was
// checked earlier.
std::string UpgFingerprint(const std::uint8_t* data, std::size_t size);

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
