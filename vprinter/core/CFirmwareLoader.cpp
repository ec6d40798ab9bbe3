#include "CFirmwareLoader.h"

#include "FirmwareImage.h"

#include <string>

namespace vprinter {

void CFirmwareLoader::Load(const JobItem& item, const std::uint8_t* job) {
    if (!item.complete) {
        m_core.AddLog("firmware rejected: image cut short");
        return;
    }
    std::string version;
    const int check = CheckFirmwareImage(job + item.offset, item.length, version);
    if (check != 0) {
        m_core.AddLog("firmware rejected: " + std::to_string(check));
        return;
    }
    m_core.AddLog("firmware accepted " + version);
    m_core.Working().firmware = version;
    m_core.Restart(m_core.Scaled(kRestartMs));
}

void CFirmwareLoader::Restart() {
    m_core.DropAll("switched off");
    m_core.RecallSettings();
    m_core.Restart(m_core.Scaled(kRestartMs));
}

} // namespace vprinter
