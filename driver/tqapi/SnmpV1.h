#pragma once

// SNMP version-1 messages as the printer and the bidirectional library
// exchange them: one GetRequest or GetResponse with one variable binding.
// Decoding goes through the net-snmp ASN.1 readers, so a message that a
// real agent would refuse is refused here too; encoding is plain BER.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tqapi.h"

namespace snmpv1 {

inline constexpr std::uint8_t kGetRequest = 0xA0;
inline constexpr std::uint8_t kGetNextRequest = 0xA1;
inline constexpr std::uint8_t kGetResponse = 0xA2;
inline constexpr std::uint8_t kSetRequest = 0xA3;
inline constexpr std::uint8_t kTypeNull = 0x05;
inline constexpr std::uint8_t kTypeOctetString = 0x04;

inline constexpr long kNoError = 0;
inline constexpr long kNoSuchName = 2;

inline constexpr const char* kCommunity = "gravel";

// The maker's command object 1.3.6.1.4.1.E.1.2.2.40.1.1.2 (the escaped command
// follows as further sub-identifiers), its status object (...40.1.1.1), and
// the printer port monitor MIB's IEEE 1284 device id object.
std::vector<std::uint32_t> CommandOid();
std::vector<std::uint32_t> StatusOid();
std::vector<std::uint32_t> DeviceIdOid();

// The text every wrapped reply starts with.
inline constexpr const char* kReplyMarker = "@BDC PS\r\n";

struct Message {
    long version = 0;
    std::string community;
    std::uint8_t pduType = kGetRequest;
    long requestId = 0;
    long errorStatus = 0;
    long errorIndex = 0;
    std::vector<std::uint32_t> oid;
    std::uint8_t valueType = kTypeNull;
    std::string value;
};

// Decodes one message; false (and `out` unspecified) when it is not a
// well-formed version-1 message with exactly one variable binding.
bool Decode(const std::uint8_t* data, std::size_t length, Message& out);

// Encodes the message (any length, long-form lengths where needed).
std::vector<std::uint8_t> Encode(const Message& message);

// The command carried in the tail of a command object identifier: the tail
// is (length + 3), 08, length (2 bytes, high first), the command, one
// sub-identifier per byte (a byte of 80 or more is sent as 81, byte - 80,
// which is that sub-identifier's encoded form). False when `oid` is not a
// command object or its tail is malformed.
bool UnwrapCommand(const std::vector<std::uint32_t>& oid, std::vector<std::uint8_t>& command);
// The reverse: the command object identifier that carries `command`.
std::vector<std::uint32_t> WrapCommand(const std::uint8_t* command, std::size_t length);

} // namespace snmpv1
