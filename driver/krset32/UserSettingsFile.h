#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The driver's own values that no PPD option carries, kept per printer for
// each user in a small "Key=Value" file:
//   $XDG_CONFIG_HOME/ORVEX/krset32/<queue>.conf (else ~/.config/...)
// The same keys and value texts travel in the driver values of the device
// mode block.
struct DriverValues {
    std::uint32_t settingsSource = 0;  // item 20
    std::uint32_t outputFlags = 0x07;  // item 204: roll, auto cut, cut line
    std::uint32_t printFlags = 0x09;   // item 205: adjusted, cut each page
    // Item 219 bytes 8..19: density, feed correction, drying time, thickness
    // (0.1 mm), suction %, cut method, reserved, platen gap, roller, reserved.
    std::array<std::uint8_t, 12> paperAdjust = {0, 0, 0, 3, 100, 0, 0, 2, 1, 0, 0, 0};

    bool operator==(const DriverValues&) const = default;
};

namespace UserSettingsFile {

// Files larger than this are not read: a settings file is a few lines.
constexpr std::size_t kMaxFileSize = 64 * 1024;

using Entries = std::vector<std::pair<std::string, std::string>>;

// The file of a queue for this user; empty when there is no home folder.
// Bytes of the queue name outside [A-Za-z0-9_-] are written as %XX.
std::string PathFor(const std::string& printer);

// Takes one "Key=Value" pair into `values`; false (values unchanged) for an
// unknown key or a value that does not parse.
bool Apply(DriverValues& values, std::string_view key, std::string_view value);
// Every line of the text that Apply accepts, in order; other lines are
// skipped.
void Parse(std::string_view text, DriverValues& values);

Entries ToEntries(const DriverValues& values);
std::string Format(const DriverValues& values);

// Reads the file into `values` (missing file: values unchanged, true).
bool Load(const std::string& path, DriverValues& values);
// Writes the file (and its folder) atomically.
bool Save(const std::string& path, const DriverValues& values);

}  // namespace UserSettingsFile
