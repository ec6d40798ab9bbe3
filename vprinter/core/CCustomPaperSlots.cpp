#include "CCustomPaperSlots.h"

#include <algorithm>

namespace vprinter {

bool CCustomPaperSlots::Command(const std::vector<std::uint8_t>& p) {
    PrinterState& state = m_core.Working();
    if (p.size() == 7 && p[0] == 0x00 && p[4] == 0x1C && p[5] <= 10) {
        state.activeSetting = p[5];
        return true;
    }
    if (p.size() == 103 && p[0] == 0x00 && p[4] == 0x1B && p[5] >= 1 && p[5] <= 10) {
        CustomSlot& slot = state.slots[static_cast<std::size_t>(p[5] - 1)];
        std::copy(p.begin() + 5, p.end(), slot.data.begin());
        slot.registered = true;
        return true;
    }
    return false;
}

std::string CCustomPaperSlots::Name(const CustomSlot& slot) {
    const std::string name(reinterpret_cast<const char*>(slot.data.data() + 68), 30);
    const auto b = name.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = name.find_last_not_of(" \t\r\n");
    return name.substr(b, e - b + 1);
}

} // namespace vprinter
