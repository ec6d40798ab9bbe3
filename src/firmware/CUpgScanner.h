#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Checks a firmware image (".UPG") fed to it in pieces of any size, so an
// image never has to be held in memory whole: the 32-byte header, the byte
// count, the checksum of the data and a digest of every byte.
//
// The image: offset 8 the data length (must be the size minus 32), 12 the
// checksum (every data byte added into an unsigned 32-bit total, wrapping),
// 16 the six-character version text ("I" in either case, then a digit),
// the data from offset 32; numbers little-endian.
class CUpgScanner {
public:
    static constexpr std::size_t kHeaderSize = 32;
    static constexpr std::size_t kVersionOffset = 16;
    static constexpr std::size_t kVersionLength = 6;

    void Feed(const std::uint8_t* data, std::size_t length);

    // The checks on what was fed, in this order: length, checksum, version
    // mark. 0 good (`version` set), -2 short, wrong length or checksum, -3
    // bad version mark (`version` left alone otherwise).
    int Result(std::string& version) const;
    std::uint64_t Size() const { return m_size; }
    // Tells images apart: equal digests and sizes mean the same bytes but
    // for a chance of 2^-64. It guards against a file that changed, not
    // against one made to collide (whoever can write the file can choose
    // what is checked in the first place).
    std::uint64_t Digest() const;

private:
    void Mix(std::uint64_t word);

    std::uint8_t m_header[kHeaderSize] = {};
    std::uint64_t m_size = 0;
    std::uint32_t m_sum = 0;
    std::uint64_t m_hash = 0x6A09E667F3BCC908ull;
    std::uint8_t m_tail[8] = {};
    std::size_t m_tailLength = 0;
};
