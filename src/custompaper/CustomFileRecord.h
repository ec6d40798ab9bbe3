#pragma once

#include <cstdint>
#include <string>

// One custom paper setting as a custom file keeps it; the defaults are those
// of a new setting on the custom file page. `MediaId` is never stored: it is
// found again from `ID` and `SID` through the media table.
struct CustomFileRecord {
    std::string CustomName;
    std::int32_t MediaId = 0;
    std::int32_t ID = 0;
    std::int32_t Mode = 2;
    std::int32_t Hres = 0;
    std::int32_t Vres = 0;
    std::int32_t Mw = 0;
    std::int32_t Density = 0;
    std::int32_t Forward = 0;
    std::int32_t Drytime = 0;
    std::int32_t Paperthick = 1;
    std::int32_t Paperdraw = 0;
    std::int32_t PaperCut = 0;
    std::int32_t Platen = 3;
    std::int32_t Roller = 1;
    std::int32_t SID = 0;
    std::string InkMode;

    bool operator==(const CustomFileRecord&) const = default;
};
