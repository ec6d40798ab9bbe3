#pragma once

// What one raw job has chosen so far, as its commands are read in order.

#include "SheetHeader.h"

#include <optional>
#include <string>

namespace vprinter {

struct JobSession {
    bool remote = false; // between enter-remote and exit-remote
    int thickness = -1;  // "PH": paper thickness in 0.1 mm; -1 not given
    int platen =
        -1;         // "SN" 01: platen gap 1 (widest) to 4, 0 the printer's own choice; -1 not given
    int record = 0; // number of the job record, once the job prints something
    // The sheet header waiting for its page data, or why the last one could
    // not be read (then the page prints with the printer's own settings).
    std::optional<SheetSettings> sheet;
    std::string badSheetHeader;
};

} // namespace vprinter
