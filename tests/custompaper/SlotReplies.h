#pragma once

// Reply texts of the slot queries as the printer words them, built from the
// bytes a test wants the printer to hold.
#include "custompaper/CustomPaperSlot.h"
#include "custompaper/SlotCodec.h"

#include <cstdint>
#include <string>
#include <vector>

inline std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (std::uint8_t b : bytes) {
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 0xF]);
    }
    return s;
}

// One name list entry: flag, slot number, 00 00, then the name padded with
// blanks to 30 bytes (raw bytes: a name may hold a 0).
inline std::vector<std::uint8_t> NameEntry(int flag, int slotNumber, const std::string& name) {
    std::vector<std::uint8_t> e{static_cast<std::uint8_t>(flag), static_cast<std::uint8_t>(slotNumber), 0, 0};
    for (int i = 0; i < CustomPaperSlot::kNameLength; ++i)
        e.push_back(i < static_cast<int>(name.size()) ? static_cast<std::uint8_t>(name[static_cast<std::size_t>(i)])
                                                      : std::uint8_t{' '});
    return e;
}

inline std::string NamesReply(const std::vector<std::vector<std::uint8_t>>& entries) {
    std::string s = "EX:0000001D";
    for (const auto& e : entries) s += Hex(e);
    return s + ";";
}

// The 98 setting bytes of a slot as the printer keeps them: bytes 9..106 of
// the write packet that stored them.
inline std::vector<std::uint8_t> SettingBytes(const CustomPaperSlot& slot, const std::string& name, int slotNumber = 1) {
    std::uint8_t packet[SlotCodec::kWritePacketLength];
    SlotCodec::BuildSlotWritePacket(packet, sizeof packet, slotNumber, name, slot);
    return std::vector<std::uint8_t>(packet + 9, packet + sizeof packet);
}

inline std::string SettingsReply(const std::vector<std::uint8_t>& bytes) {
    return "EX:0000001B" + Hex(bytes) + ";";
}
