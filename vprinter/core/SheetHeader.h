#pragma once

// The sheet header that the printer's driver puts in front of the page data
// of a job: the settings the sheet is to be printed with. Read here on its
// own terms, bounds-checked, from the header's description:
//
//   0   4 bytes  1B 4F 56 53 (ESC "OVS")
//   4   u16      version: 1
//   6   u16      header length: 36 + title length
//   8   u16      fields given: bit 0 media value, bit 1 print mode, bit 2
//                paper bytes and density, bit 3 output flags, bit 4 print flags
//   10  u16      media value
//   12  u8       print mode 1..4
//   13  i8       density
//   14  u16      title length, 0..255
//   16  u32      output flags
//   20  u32      print flags
//   24  12 bytes paper bytes
//   36  n bytes  job title
// All numbers little-endian; the page data follows the header at once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vprinter {

struct SheetSettings {
    enum Field : std::uint16_t {
        Media = 0x01,
        Mode = 0x02,
        Paper = 0x04,
        OutputFlags = 0x08,
        PrintFlags = 0x10
    };
    static constexpr std::uint16_t kAllFields = Media | Mode | Paper | OutputFlags | PrintFlags;

    std::uint16_t given = 0; // the Field bits the job set; the others are the printer's own
    std::uint16_t mediaValue = 0;
    int printMode = 0;
    int density = 0;
    std::uint32_t outputFlags = 0;
    std::uint32_t printFlags = 0;
    std::array<std::uint8_t, 12> paperBytes{};
    std::string title;
};

enum class SheetHeaderStatus {
    Ok,
    NotAHeader,     // the bytes do not start with the header's mark
    Truncated,      // the job ends inside the header
    UnknownVersion, // a version this printer does not read
    WrongLength,    // the header length does not match its title length
    TooLong,        // a header length or title length beyond what the header allows
};

struct SheetHeaderRead {
    SheetHeaderStatus status = SheetHeaderStatus::NotAHeader;
    std::size_t length = 0; // Ok: the bytes the header takes
    SheetSettings settings; // Ok: what it sets
};

constexpr std::size_t kSheetHeaderMark = 4;
constexpr std::size_t kSheetHeaderFixed = 36;
constexpr std::size_t kSheetHeaderMaxTitle = 255;

bool StartsSheetHeader(const std::uint8_t* data, std::size_t available);

// Reads the header at `data` from at most `available` bytes. A field marked
// as given with a value the printer cannot use (media value 0, a print mode
// outside 1..4) counts as not given.
SheetHeaderRead ReadSheetHeader(const std::uint8_t* data, std::size_t available);

// "truncated", "unknown-version", "wrong-length", "too-long" (one word, for
// the log and the sheet records); empty for Ok.
std::string SheetHeaderProblem(SheetHeaderStatus status);

// The printer's own settings, for what a job does not set.
SheetSettings PrinterDefaultSheetSettings();

// Fills the fields not given from the printer's own settings.
SheetSettings WithPrinterDefaults(const SheetSettings& job);

} // namespace vprinter
