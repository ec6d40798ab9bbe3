#pragma once

// Jobs for the virtual printer's tests, built with the utility's own packet
// builders so that the printer is tested against what is really sent.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "comm/RemotePackets.h"

using Bytes = std::vector<std::uint8_t>;
using PacketBuilder = std::function<int(std::uint8_t*, std::size_t)>;

inline Bytes Packet(const PacketBuilder& build) {
    Bytes out(1024);
    out.resize(static_cast<std::size_t>(build(out.data(), out.size())));
    return out;
}

// Appends byte by byte: GCC 12 warns falsely about range inserts into small
// vectors (-Warray-bounds).
inline void Append(Bytes& out, const Bytes& more) {
    for (std::uint8_t b : more) out.push_back(b);
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) Append(out, p);
    return out;
}

inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Enter remote mode, the commands, exit remote mode, job end.
inline Bytes RemoteJob(std::initializer_list<Bytes> commands, bool jobEnd = true) {
    Bytes out = Packet(BuildEnterRemote);
    for (const Bytes& c : commands) Append(out, c);
    Append(out, Packet(BuildExitRemote));
    if (jobEnd) Append(out, Packet(BuildJobEnd));
    return out;
}

// The 107-byte slot write packet: the settings bytes of one slot behind
// "EX" 67 00 00 00 00 00 1B.
inline Bytes SlotWritePacket(const std::uint8_t* settings98) {
    Bytes out = {'E', 'X', 0x67, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1B};
    for (int i = 0; i < 98; ++i) out.push_back(settings98[i]);
    return out;
}

// A valid ".UPG" image with the given version and data bytes.
inline Bytes UpgImage(const std::string& version, std::size_t dataLength, std::uint8_t seed = 7) {
    Bytes image(32 + dataLength, 0);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < dataLength; ++i) {
        image[32 + i] = static_cast<std::uint8_t>(seed + i * 31);
        sum += image[32 + i];
    }
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) image[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    put32(8, static_cast<std::uint32_t>(dataLength));
    put32(12, sum);
    for (std::size_t i = 0; i < 6 && i < version.size(); ++i) image[16 + i] = static_cast<std::uint8_t>(version[i]);
    return image;
}

// The firmware job: optional fill block, the 10-byte header, the image.
inline Bytes FirmwareJob(const Bytes& image, bool fill = true) {
    Bytes out;
    if (fill) out.assign(16384, 0x11);
    Append(out, {0x1B, 0x7D, 0x01, 0x05, 0x00, 0x61, 0x02, 0x70, 0x8F, 0x38});
    Append(out, image);
    return out;
}

// The GetRequest the utility wraps a query in: SNMP version 1, community
// "gravel", the maker's command object with the escaped command as its tail.
inline Bytes WrappedRequest(const Bytes& command, std::uint8_t enterpriseHi = 0xB0, std::uint8_t enterpriseLo = 0x0D) {
    Bytes tail = {static_cast<std::uint8_t>(command.size() + 3), 0x08, static_cast<std::uint8_t>(command.size() >> 8),
                  static_cast<std::uint8_t>(command.size() & 0xFF)};
    Append(tail, command);
    Bytes escaped;
    for (std::uint8_t b : tail) {
        if (b < 0x80) {
            escaped.push_back(b);
        } else {
            escaped.push_back(0x81);
            escaped.push_back(static_cast<std::uint8_t>(b - 0x80));
        }
    }
    const auto t = static_cast<std::uint8_t>(escaped.size());
    Bytes m = {0x30, static_cast<std::uint8_t>(t + 44), 0x02, 0x01, 0x00, 0x04, 0x06, 'g', 'r', 'a', 'v', 'e', 'l',
               0xA0, static_cast<std::uint8_t>(t + 31), 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00,
               0x30, static_cast<std::uint8_t>(t + 20), 0x30, static_cast<std::uint8_t>(t + 18),
               0x06, static_cast<std::uint8_t>(t + 14), 0x2B, 0x06, 0x01, 0x04, 0x01, enterpriseHi, enterpriseLo,
               0x01, 0x02, 0x02, 0x28, 0x01, 0x01, 0x02};
    Append(m, escaped);
    m.push_back(0x05);
    m.push_back(0x00);
    return m;
}
