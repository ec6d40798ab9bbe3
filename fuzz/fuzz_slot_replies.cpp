// The custom paper slot replies: the name list and the settings reply, as a
// receive leaves them (a zeroed 512-byte buffer) and exactly as given. The
// decoders read within the bytes, and what they store stays in its bounds.
#include "custompaper/SlotCodec.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte picks the first slot of the name list (1..10) and how
    // many entries are read.
    const int first = data[0] % 10 + 1;
    const int entries = (data[0] >> 4) % 4;
    std::vector<std::uint8_t> exact(data + 1, data + size);
    const int len = static_cast<int>(exact.size());
    std::uint8_t work[512] = {};
    if (!exact.empty()) std::memcpy(work, exact.data(), std::min(exact.size(), sizeof work));

    for (const auto& [bytes, n] : {std::pair<const std::uint8_t*, int>{exact.data(), len},
                                   std::pair<const std::uint8_t*, int>{work, static_cast<int>(sizeof work)}}) {
        std::array<CustomPaperSlot, 10> slots{};
        const int read = SlotCodec::DecodeNames(bytes, n, first, entries, slots);
        volatile bool answers = SlotCodec::NamesReplyStartsAt(bytes, n, first);
        (void)answers;
        if (read > entries || read > 11 - first) std::abort();
        for (const CustomPaperSlot& s : slots)
            if (s.Name.size() > static_cast<std::size_t>(CustomPaperSlot::kNameLength)) std::abort();

        CustomPaperSlot slot;
        if (SlotCodec::DecodeSettings(bytes, n, slot)) {
            if (slot.Name.size() > static_cast<std::size_t>(CustomPaperSlot::kNameLength)) std::abort();
            if (slot.PaperCut < 0 || slot.PaperCut > 3 || slot.ThreeWay < 0 || slot.ThreeWay > 2) std::abort();
            if (slot.Paperdraw < -4 || slot.Paperdraw > 0) std::abort();
            // Whatever was read is written again without trouble.
            std::uint8_t packet[SlotCodec::kWritePacketLength];
            if (SlotCodec::BuildSlotWritePacket(packet, sizeof packet, 1, slot.Name, slot) !=
                SlotCodec::kWritePacketLength)
                std::abort();
        }
    }
    return 0;
}
