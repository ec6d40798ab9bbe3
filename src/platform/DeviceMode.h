#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The driver settings block ("device mode") of a printer: what the spooler's
// document properties and the printer maker's driver-settings library hand
// out and take back. It carries the queue's option set (the PPD options and
// their choices, given to a print job as job options) and the driver's own
// values that have no PPD option.
//
// Layout, little-endian:
//   0   4 bytes  "ODM1"
//   4   u32      size of the whole block
//   8   u16      number of options
//   10  u16      number of driver values
//   12  u16      length of the device (queue) name, then the name
//   then each option, then each driver value: u16 name length, name,
//   u16 value length, value
// The block states its own size, so that it can be passed as a bare pointer.
struct DeviceMode {
    using Entries = std::vector<std::pair<std::string, std::string>>;

    std::string deviceName;
    Entries options;
    Entries driverValues;

    // The value of a named option or driver value, or none.
    std::optional<std::string> Option(const std::string& name) const;
    std::optional<std::string> DriverValue(const std::string& name) const;
    // Replaces the entry of that name, or adds it at the end.
    void SetOption(const std::string& name, const std::string& value);
    void SetDriverValue(const std::string& name, const std::string& value);
};

namespace DeviceModeBlock {

constexpr std::size_t kHeaderSize = 14;
// No block is larger; a size field above it marks a broken block.
constexpr std::size_t kMaxSize = 256 * 1024;

// The encoded block; empty when it would exceed kMaxSize or a name or value
// is longer than 65535 bytes.
std::vector<std::uint8_t> Encode(const DeviceMode& mode);

// The block decoded from at most `available` bytes; none when the bytes are
// not one well-formed block (wrong mark, size field beyond `available` or
// kMaxSize, entries running past the stated size, bytes left over).
std::optional<DeviceMode> Decode(const void* data, std::size_t available);

// The size a block states in its header, or 0 when `data` does not begin
// with the block's mark or the size is out of range. Reads kHeaderSize bytes.
std::size_t StatedSize(const void* data);

}  // namespace DeviceModeBlock
