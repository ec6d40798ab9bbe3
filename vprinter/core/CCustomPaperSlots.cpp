#include "CCustomPaperSlots.h"

#include <algorithm>

namespace vprinter {

bool CCustomPaperSlots::Command(const std::vector<std::uint8_t>& p) {
    PrinterState& state = m_core.Working();
    if (p.size() == 7 && p[0] == 0x00 && p[4] == 0x1C && p[5] <= 10) {
        // A slot that holds no custom paper cannot become the paper setting:
        // the printer keeps the one it has.
        if (p[5] != 0 && !state.slots[static_cast<std::size_t>(p[5] - 1)].registered) {
            m_core.AddLog("empty slot " + std::to_string(p[5]) + " not called");
            return true;
        }
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

std::string CCustomPaperSlots::PrintableName(const CustomSlot& slot) {
    std::string name = Name(slot);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return name;
}

std::string CCustomPaperSlots::Name(const CustomSlot& slot) {
    const std::string name(reinterpret_cast<const char*>(slot.data.data() + 68), 30);
    const auto b = name.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    const auto e = name.find_last_not_of(" \t\r\n");
    return name.substr(b, e - b + 1);
}

} // namespace vprinter
