#pragma once

#include <cstddef>
#include <cstdint>

// Builders of the printer's remote-mode command language. Each writes one
// packet at `out` when `room` (bytes left in the caller's buffer) is at least
// the packet's length and returns the bytes written; otherwise it writes
// nothing and returns 0, so callers can chain builders into one buffer.

// Framing and trailer.
int BuildEnterRemote(std::uint8_t* out, std::size_t room);
int BuildExitRemote(std::uint8_t* out, std::size_t room);
int BuildJobEnd(std::uint8_t* out, std::size_t room);

// Remote-mode commands with fixed or one-value parameters.
int BuildCmdSV(std::uint8_t* out, std::size_t room);
int BuildCmdLD(std::uint8_t* out, std::size_t room);
int BuildCmdSS(std::uint8_t* out, std::size_t room);
int BuildCmdVI(std::uint8_t* out, std::size_t room);
int BuildCmdNC(std::uint8_t* out, std::size_t room, int flag);
int BuildCmdPH(std::uint8_t* out, std::size_t room, std::uint8_t value);
int BuildCmdSN(std::uint8_t* out, std::size_t room, std::uint8_t value);
int BuildCmdEXWrite(std::uint8_t* out, std::size_t room, std::uint8_t slot);
int BuildCmdCH(std::uint8_t* out, std::size_t room, std::uint8_t value);

// Alignment commands.
int BuildCmdDT(std::uint8_t* out, std::size_t room, int fullSet, int head, int flag);
int BuildCmdDTClear(std::uint8_t* out, std::size_t room, int fullSet);
// Writes 8 (full set) or 7 "DA" commands from values[0..n-1]; nothing unless
// count equals n and there is room for all of them. *written receives n.
int BuildCmdDA(std::uint8_t* out, std::size_t room, int fullSet, int head, const int* values,
               int count, int* written = nullptr);
inline constexpr int DACount(int fullSet) { return fullSet ? 8 : 7; }

// The escape sequence the sample-print dialogs send alone: value 1/0 from a
// flag, or the fixed value 2.
int BuildEscBarPacket(std::uint8_t* out, std::size_t room, int flag);
int BuildEscBarPacket(std::uint8_t* out, std::size_t room);

// Queries sent over the bidirectional channel, and the reply prefixes.
int BuildQueryVI(std::uint8_t* out, std::size_t room);
int BuildQuerySN(std::uint8_t* out, std::size_t room);
int BuildQueryEXRead(std::uint8_t* out, std::size_t room, std::uint8_t slot);
int BuildQueryEXList(std::uint8_t* out, std::size_t room, std::uint8_t index);

inline constexpr const char* kReplyPrefixVI = "VI:00";
inline constexpr const char* kReplyPrefixSN = "SN:01";
inline constexpr const char* kReplyPrefixEXRead = "EX:0000001B";
inline constexpr const char* kReplyPrefixEXList = "EX:0000001D";

// Packet lengths, for callers sizing buffers.
inline constexpr int kEnterRemoteLength = 15;
inline constexpr int kExitRemoteLength = 4;
inline constexpr int kJobEndLength = 5;
inline constexpr int kEscBarLength = 11;
