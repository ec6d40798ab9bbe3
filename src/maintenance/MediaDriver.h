#pragma once

#include "custompaper/MediaTypeList.h"

#include <cstdint>
#include <string>

// What the alignment pages ask of the selected printer's driver: its kind,
// its media list, and the media the operator chose (written into the driver,
// which answers the media's default paper thickness). Each call stands for
// one short-lived driver access. The pages and plotcare-cli use the driver
// settings library (CDriverMediaAccess); tests and the review renderings
// give a list of their own.
class MediaDriver {
public:
    virtual ~MediaDriver() = default;

    // 1, 2 or 3; -1 when the driver cannot be asked.
    virtual int DriverKind() = 0;
    // Media ids and names in the driver's order; empty when there is none.
    virtual MediaTypeList::DriverMedia Media() = 0;
    // Makes `mediaId` the driver's media and returns its default paper
    // thickness in 0.1 mm; -1 for none.
    virtual int ApplyMedia(std::uint32_t mediaId) = 0;
    // The driver's ink arrangement as custom files record it; "\xFF" when
    // the driver cannot be asked. Only the custom file page asks.
    virtual std::string InkPatternText() { return "\xFF"; }
};
