#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vprinter {

// Checks a ".UPG" image the way the printer's loader does before it flashes
// it: 0 = good (version = the six characters at offset 16); -2 = shorter
// than its 32-byte header, data length not the size minus 32, or checksum
// (the sum of the data bytes, 32-bit wrapping) wrong; -3 = the version text
// does not start with "I" (either case) and a digit.
int CheckFirmwareImage(const std::uint8_t* image, std::size_t length, std::string& version);

} // namespace vprinter
