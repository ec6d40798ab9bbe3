#pragma once

#include "custompaper/CustomPaperSlot.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The wire forms of a custom paper slot: the hexadecimal reply texts of the
// name list and settings queries, and the slot write packet. Every reader
// takes any bytes: fields that lie beyond the reply's text are not read
// (they keep their values), nothing is read past `size`.
namespace SlotCodec {

// Query kinds, the byte after the parameter header of an "EX" query.
constexpr std::uint8_t kListKind = 0x1D;
constexpr std::uint8_t kSettingsKind = 0x1B;
// Settings are asked for slot i (0-based) as 0x80 + i.
constexpr std::uint8_t kSettingsSlotBase = 0x80;

// One name list entry: flag, slot number, 32-byte name; 68 hex digits.
constexpr int kListEntryDigits = 68;
constexpr int kListEntriesPerReply = 3;
constexpr int kNameFieldBytes = 32;

// The slot write packet and its parameter length.
constexpr int kWritePacketLength = 107;
constexpr int kWriteParameterLength = 103;

// Two hex digits as scanf's "%02x" reads them from a two-character string:
// blanks first, an optional sign, then the digits; no digit reads 0.
int HexPair(char first, char second);

// A number field of `bytes` bytes at `hexOffset` digits into `data`, pairs
// combined high byte first. False when the field does not lie wholly within
// `data` (value untouched). More than 4 bytes reads 0.
bool HexNumber(std::string_view data, int hexOffset, int bytes, std::int32_t& value);

// A text field of `bytes` bytes: each pair one character, a 0 byte adds
// nothing, the first CustomPaperSlot::kNameLength characters remain. False
// when the field does not lie wholly within `data`.
bool HexText(std::string_view data, int hexOffset, int bytes, std::string& text);

// The reply's data: its text (up to the first ';' or zero byte) after the
// marker. False without the marker.
bool ReplyData(const std::uint8_t* reply, int size, const char* marker, std::string& data);

// Decodes a name list reply whose first entry is slot number `firstSlot`
// (1..10) into `slots`: `Registered` and `Name` (trailing blanks removed) of
// at most `maxEntries` entries, never of a slot above 10, and only entries
// that lie wholly within the reply. Returns the entries read, -1 without
// the marker.
// Whether a name list reply may answer the read that began at `firstSlot`:
// false only when its first entry plainly names another slot 1..10 (a late
// reply to an earlier read). A reply without the marker is left to the
// decoder.
bool NamesReplyStartsAt(const std::uint8_t* reply, int size, int firstSlot);

int DecodeNames(const std::uint8_t* reply, int size, int firstSlot, int maxEntries,
                std::array<CustomPaperSlot, 10>& slots);

// Decodes a settings reply into `slot` (every field but `Registered` and
// `MediaId`). False without the marker (slot untouched).
bool DecodeSettings(const std::uint8_t* reply, int size, CustomPaperSlot& slot);

// The printer's suction byte and `Paperdraw`: 0 -> 51, -1 -> 26, -2 -> 16,
// -3 -> 6, -4 -> 4, anything else -> 51. Reading takes the first level whose
// threshold the byte reaches; a byte of 129 or more gives `current`.
std::uint8_t SuctionByte(int paperdraw);
int PaperdrawFromSuction(int byte, int current);

// The cut method's byte pair: 0 (3, 65), 1 (2, 49), 2 (1, 7E), 3 (6, 65);
// false for another value. Any other pair reads as 0.
bool CutPair(int paperCut, std::uint8_t& first, std::uint8_t& second);
int PaperCutFromPair(int first, int second);

// `ThreeWay` on the wire: 1 -> 20, 2 -> 30, anything else -> 00.
std::uint8_t ThreeWayByte(int threeWay);
int ThreeWayFromByte(int byte);

// The slot write packet (107 bytes) for slot number `slotNumber` (1..10):
// the settings of `source` under `name` (at most 30 bytes of it, never
// cutting a UTF-8 character, up to a zero byte; blank-padded). 0 when
// `room` is too small.
int BuildSlotWritePacket(std::uint8_t* out, std::size_t room, int slotNumber,
                         const std::string& name, const CustomPaperSlot& source);

// `name` cut to at most `bytes` bytes at a UTF-8 character boundary and at
// its first zero byte.
std::string NameBytes(const std::string& name, int bytes);

} // namespace SlotCodec
