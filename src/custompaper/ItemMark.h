#pragma once

#include <cstdint>

// The item data word of the lists whose items can be unavailable: the low 31
// bits are the caller's value (a media id, an entry number), the top bit
// marks an item that is shown but cannot be chosen now.
namespace ItemMark {

constexpr std::uint32_t kUnavailable = 0x80000000u;
constexpr std::uint32_t kValueMask = 0x7FFFFFFFu;

constexpr std::uint32_t ValueOf(std::uint32_t data) {
    return data & kValueMask;
}
constexpr bool IsMarked(std::uint32_t data) {
    return (data & kUnavailable) != 0;
}
// The value of `data` with `mark` (0 or kUnavailable) in the top bit.
constexpr std::uint32_t WithMark(std::uint32_t data, std::uint32_t mark) {
    return ValueOf(data) | (mark & kUnavailable);
}

} // namespace ItemMark
