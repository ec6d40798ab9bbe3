#include "comm/RemotePackets.h"

#include <cstring>
#include <initializer_list>

namespace {

int Put(std::uint8_t* out, std::size_t room, std::initializer_list<std::uint8_t> bytes) {
    if (!out || room < bytes.size()) return 0;
    std::memcpy(out, bytes.begin(), bytes.size());
    return static_cast<int>(bytes.size());
}

std::uint8_t DTGroup(int fullSet) { return fullSet ? 0x00 : 0x10; }

} // namespace

int BuildEnterRemote(std::uint8_t* out, std::size_t room) {
    return Put(out, room,
               {0x1B, 0x40, 0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'});
}

int BuildExitRemote(std::uint8_t* out, std::size_t room) {
    return Put(out, room, {0x1B, 0x00, 0x00, 0x00});
}

int BuildJobEnd(std::uint8_t* out, std::size_t room) {
    return Put(out, room, {0x0D, 0x0A, 0x0C, 0x1B, 0x40});
}

int BuildCmdSV(std::uint8_t* out, std::size_t room) { return Put(out, room, {'S', 'V', 0, 0}); }

int BuildCmdLD(std::uint8_t* out, std::size_t room) { return Put(out, room, {'L', 'D', 0, 0}); }

int BuildCmdSS(std::uint8_t* out, std::size_t room) {
    return Put(out, room, {'S', 'S', 0x02, 0x00, 0x00, 0x03});
}

int BuildCmdVI(std::uint8_t* out, std::size_t room) {
    return Put(out, room, {'V', 'I', 0x02, 0x00, 0x00, 0x01});
}

int BuildCmdNC(std::uint8_t* out, std::size_t room, int flag) {
    return Put(out, room, {'N', 'C', 0x02, 0x00, 0x00, static_cast<std::uint8_t>(flag ? 1 : 0)});
}

int BuildCmdPH(std::uint8_t* out, std::size_t room, std::uint8_t value) {
    return Put(out, room, {'P', 'H', 0x02, 0x00, 0x00, value});
}

int BuildCmdSN(std::uint8_t* out, std::size_t room, std::uint8_t value) {
    return Put(out, room, {'S', 'N', 0x03, 0x00, 0x00, 0x01, value});
}

int BuildCmdEXWrite(std::uint8_t* out, std::size_t room, std::uint8_t slot) {
    return Put(out, room, {'E', 'X', 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1C, slot, 0x00});
}

int BuildCmdCH(std::uint8_t* out, std::size_t room, std::uint8_t value) {
    return Put(out, room, {'C', 'H', 0x02, 0x00, 0x00, value});
}

int BuildCmdDT(std::uint8_t* out, std::size_t room, int fullSet, int head, int flag) {
    const int x = flag ? head : head + (fullSet ? 0x80 : 0x10);
    return Put(out, room,
               {'D', 'T', 0x03, 0x00, 0x00, DTGroup(fullSet), static_cast<std::uint8_t>(x)});
}

int BuildCmdDTClear(std::uint8_t* out, std::size_t room, int fullSet) {
    return Put(out, room, {'D', 'T', 0x03, 0x00, 0x00, DTGroup(fullSet), 0x00});
}

int BuildCmdDA(std::uint8_t* out, std::size_t room, int fullSet, int head, const int* values,
               int count, int* written) {
    const int n = DACount(fullSet);
    if (written) *written = n;
    if (!out || !values || count != n || room < static_cast<std::size_t>(8 * n)) return 0;
    for (int i = 0; i < n; ++i) {
        const auto s = static_cast<std::uint8_t>(head * 16 + (fullSet ? 0 : 1) + i);
        Put(out + 8 * i, 8,
            {'D', 'A', 0x04, 0x00, 0x00, DTGroup(fullSet), s,
             static_cast<std::uint8_t>(values[i] & 0xFF)});
    }
    return 8 * n;
}

int BuildEscBarPacket(std::uint8_t* out, std::size_t room, int flag) {
    return Put(out, room,
               {0x1B, 0x7C, 0x01, 0x06, 0x00, 0x61, 0x02, 0xE8, 0x17, 0x74,
                static_cast<std::uint8_t>(flag ? 1 : 0)});
}

int BuildEscBarPacket(std::uint8_t* out, std::size_t room) {
    return Put(out, room, {0x1B, 0x7C, 0x01, 0x06, 0x00, 0x61, 0x02, 0xE8, 0x17, 0x74, 0x02});
}

int BuildQueryVI(std::uint8_t* out, std::size_t room) {
    return Put(out, room, {'V', 'I', 0x02, 0x00, 0x01, 0x00});
}

int BuildQuerySN(std::uint8_t* out, std::size_t room) {
    return Put(out, room, {'S', 'N', 0x02, 0x00, 0x01, 0x01});
}

int BuildQueryEXRead(std::uint8_t* out, std::size_t room, std::uint8_t slot) {
    return Put(out, room, {'E', 'X', 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1B, slot, 0x00});
}

int BuildQueryEXList(std::uint8_t* out, std::size_t room, std::uint8_t index) {
    return Put(out, room, {'E', 'X', 0x07, 0x00, 0x01, 0x00, 0x00, 0x00, 0x1D, index, 0x00});
}
