#pragma once

#include <cstdint>
#include <string>

// One custom paper slot of the printer as the utility mirrors it: the name
// and the paper handling settings. Values are kept as the printer gives them
// (no range checks here; the pages and plotcare-cli keep them in range).
struct CustomPaperSlot {
    // The printer keeps at most this many bytes of a name.
    static constexpr int kNameLength = 30;

    std::string Name;            // UTF-8, at most kNameLength bytes
    std::int32_t MediaId = 0;    // media table key; derived from MediaCode, never sent
    std::int32_t MediaCode = 0;  // the printer's media code (one byte)
    std::int32_t ThreeWay = 0;   // a three-choice setting: 0, 1, 2
    std::int32_t Forward = 0;    // paper feed adjustment, 0.01 %, -70..70
    std::int32_t Drytime = 0;    // drying time per head pass, 0.1 s, 0..50
    std::int32_t Paperthick = 1; // paper thickness, 0.1 mm
    std::int32_t Paperdraw = 0;  // suction: 0 standard, -1..-4
    std::int32_t PaperCut = 0;   // cut method 0..3
    std::int32_t Platen = 2;     // platen gap choice 1..4
    std::int32_t Roller = 0;     // a four-choice setting 0..3
    std::int32_t Registered = 0; // nonzero: the printer holds custom paper in the slot

    bool operator==(const CustomPaperSlot&) const = default;
};
