#pragma once

// The sheet header: the driver settings of one print job, which the driver's
// filter puts in front of the job's page data (a PDF) so that the printer
// prints the sheet with the settings it was chosen with.
//
// Layout, little-endian; 36 bytes and the title, the page data right after:
//   0   4 bytes  1B 4F 56 53 (ESC "OVS")
//   4   u16      version: 1
//   6   u16      header length: 36 + title length
//   8   u16      fields given: bit 0 media value, bit 1 print mode, bit 2
//                paper bytes and density, bit 3 output flags, bit 4 print
//                flags; the other bits are 0. A field not given is 0 and the
//                printer uses its own setting for it.
//   10  u16      media value: the *OVMediaID of the job's MediaType choice
//   12  u8       print mode 1..4 (OVPrintQuality Mode1..Mode4)
//   13  i8       density -50..50 (paper byte 0)
//   14  u16      title length, 0..255
//   16  u32      output flags (driver item 204)
//   20  u32      print flags (driver item 205)
//   24  12 bytes paper bytes (driver item 219, bytes 8..19: density, feed
//                correction, drying time, thickness, suction %, cut method,
//                reserved, platen gap, roller, 3 reserved)
//   36  n bytes  job title, UTF-8, no terminator

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sheetfilter {

constexpr std::uint8_t kSheetMagic[4] = {0x1B, 'O', 'V', 'S'};
constexpr std::uint16_t kSheetVersion = 1;
constexpr std::size_t kSheetFixedSize = 36;
constexpr std::size_t kSheetMaxTitle = 255;
constexpr std::size_t kSheetMaxSize = kSheetFixedSize + kSheetMaxTitle;

enum SheetField : std::uint16_t {
    kFieldMedia = 0x01,
    kFieldMode = 0x02,
    kFieldPaper = 0x04,
    kFieldOutputFlags = 0x08,
    kFieldPrintFlags = 0x10,
};

struct SheetSettings {
    std::uint16_t fields = 0; // SheetField bits
    std::uint16_t mediaValue = 0;
    std::uint8_t printMode = 0;
    std::uint32_t outputFlags = 0;
    std::uint32_t printFlags = 0;
    std::array<std::uint8_t, 12> paperBytes{};
    std::string title;
};

// The title as the header carries it: at most kSheetMaxTitle bytes, cut
// before a UTF-8 sequence that would not fit whole.
std::string HeaderTitle(const std::string& title);

// Writes the header into `out` (room bytes); returns its length, 0 when it
// does not fit. Values of fields not given are written as 0.
std::size_t BuildSheetHeader(const SheetSettings& settings, std::uint8_t* out, std::size_t room);

} // namespace sheetfilter
