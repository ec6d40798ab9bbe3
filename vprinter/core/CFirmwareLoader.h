#pragma once

// Firmware jobs: a ".UPG" image behind the ESC } header. A good image is
// flashed and the printer restarts with the new version, offline meanwhile;
// a bad one is refused and nothing changes.

#include "CPrinterCore.h"
#include "JobParser.h"

#include <cstdint>

namespace vprinter {

class CFirmwareLoader {
public:
    static constexpr std::int64_t kRestartMs = 90000; // off and on again, on the real printer

    explicit CFirmwareLoader(CPrinterCore& core) : m_core(core) {}

    void Load(const JobItem& item, const std::uint8_t* job);
    // Switched off and on: offline for the restart time, work in hand and
    // settings not kept are lost.
    void Restart();

private:
    CPrinterCore& m_core;
};

} // namespace vprinter
