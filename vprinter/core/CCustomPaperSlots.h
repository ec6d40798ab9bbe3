#pragma once

// The ten custom paper slots: "EX" ... 1B n writes slot n's settings, "EX"
// ... 1C n makes slot n (0: the standard setting) the active one. Both act on
// the settings in use; "SV" keeps them.

#include "CPrinterCore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vprinter {

class CCustomPaperSlots {
public:
    explicit CCustomPaperSlots(CPrinterCore& core) : m_core(core) {}

    // False when the parameters are not ones this printer knows.
    bool Command(const std::vector<std::uint8_t>& params);

    // The slot's name as the settings hold it, without its padding.
    static std::string Name(const CustomSlot& slot);
    // The name as a sheet prints it: control bytes (a 00 among them) as '?'.
    static std::string PrintableName(const CustomSlot& slot);

private:
    CPrinterCore& m_core;
};

} // namespace vprinter
