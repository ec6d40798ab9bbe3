#pragma once

// From a job's options to the settings of its sheet header. The job carries
// the queue's PPD options as "Name=Value" and the driver's own values of the
// device mode block as "OV<Name>=<Value>" (OVOutputFlags and OVPrintFlags in
// decimal, OVPaperAdjust as 24 hex digits); what a job leaves out comes from
// the PPD's defaults where the PPD has one, and is not given otherwise.

#include "SheetHeader.h"

#include <cstdint>
#include <cups/cups.h>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sheetfilter {

// What the filter needs of the queue's PPD.
struct SheetPpd {
    // MediaType choices (lower case) with their *OVMediaID; 0 when the PPD
    // gives none.
    std::map<std::string, std::uint16_t> mediaIds;
    std::string defaultMedia;
    // OVPrintQuality choices (lower case) with their print mode 1..4, or 0.
    std::map<std::string, std::uint8_t> qualityModes;
    std::string defaultQuality;
};

// The PPD at `path`; none when it cannot be read.
std::optional<SheetPpd> ReadSheetPpd(const std::string& path);

// The settings of a job. Values that do not parse and choices the PPD does
// not offer are left out (the PPD's default instead, where it has one), each
// with a line in `warnings`.
SheetSettings SettingsFromOptions(const SheetPpd& ppd, const cups_option_t* options, int count,
                                  const std::string& title, std::vector<std::string>& warnings);

} // namespace sheetfilter
