#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reading of "private profile" files: the INI files that printer drivers
// ship (for instance the driver data file naming the driver's libraries).
// Section and key names match without regard to ASCII case; blanks around
// keys and values are dropped, and a value wrapped in one pair of matching
// quotes loses them. The first section of that name and its first line with
// that key decide; lines beginning with ';' are comments.
namespace PrivateProfile {

// Files larger than this are not read: a driver data file is a few hundred
// bytes, and a stray huge file must not exhaust memory.
constexpr std::size_t kMaxFileSize = 1 << 20;

// The value from the text of a profile, or `def`.
std::string ReadString(std::string_view text, std::string_view section, std::string_view key,
                       const std::string& def);

}  // namespace PrivateProfile

// The value of `key` in `section` of the profile file, or `def` when the file
// cannot be read (also when it is no regular file or larger than
// kMaxFileSize) or holds no such key.
std::string ReadPrivateProfileString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& def);
