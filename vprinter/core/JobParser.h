#pragma once

// Splits the bytes of one raw job into what the printer acts on. The parser
// never fails: bytes it does not understand are skipped one at a time, the
// way the printer's interpreter resynchronises on the next escape sequence.

#include "SheetHeader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vprinter {

struct JobItem {
    enum class Kind {
        Reset,          // ESC @
        EnterRemote,    // ESC ( R ... "REMOTE1"
        ExitRemote,     // ESC 00 00 00
        Command,        // a remote-mode command (only inside remote mode)
        EscBar,         // ESC | 01 06 00 61 02 E8 17 74 v
        Firmware,       // ESC } 01 05 00 61 02 70 8F 38, then the image
        SheetHeader,    // ESC "OVS": the settings of the page data that follows
        Pdf,            // page data from "%PDF-" to its last "%%EOF"
        FormFeed,
    };
    Kind kind = Kind::Reset;
    std::string name;                 // Command: the two letters
    std::vector<std::uint8_t> params; // Command parameters; EscBar: its value
    std::size_t offset = 0;           // Firmware/Pdf: where the data starts in the job
    std::size_t length = 0;           // Firmware/Pdf: its length (may be cut short)
    bool complete = true;             // Firmware: the whole image was there
    SheetHeaderRead header;           // SheetHeader: what it sets, or why it is unreadable
};

struct ParsedJob {
    std::vector<JobItem> items;
    std::size_t skippedBytes = 0; // bytes that meant nothing (fill blocks included)
};

ParsedJob ParseJob(const std::uint8_t* data, std::size_t length);

// The remote-mode commands of one plain command stream (the local channel):
// two letters, a 16-bit little-endian length, the parameters. Consumes
// complete commands from the front of `buffer`; bytes that cannot start a
// command are dropped.
bool TakeCommand(std::vector<std::uint8_t>& buffer, std::string& name, std::vector<std::uint8_t>& params);

} // namespace vprinter
