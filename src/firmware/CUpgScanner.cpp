#include "firmware/CUpgScanner.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

std::uint64_t Final(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    return x ^ (x >> 33);
}

} // namespace

void CUpgScanner::Mix(std::uint64_t word) {
    m_hash = (m_hash ^ word) * kMultiplier;
    m_hash ^= m_hash >> 29;
}

void CUpgScanner::Feed(const std::uint8_t* data, std::size_t length) {
    if (!data || length == 0) return;
    // The header is kept; the checksum counts the bytes after it.
    std::size_t at = 0;
    if (m_size < kHeaderSize) {
        const std::size_t take =
            std::min<std::size_t>(length, kHeaderSize - static_cast<std::size_t>(m_size));
        std::memcpy(m_header + m_size, data, take);
        at = take;
    }
    std::uint32_t sum = m_sum;
    for (std::size_t i = at; i < length; ++i)
        sum += data[i];
    m_sum = sum;
    m_size += length;

    // The digest reads the bytes as 64-bit words, whatever the pieces.
    std::size_t i = 0;
    if (m_tailLength) {
        const std::size_t take = std::min(length, sizeof m_tail - m_tailLength);
        std::memcpy(m_tail + m_tailLength, data, take);
        m_tailLength += take;
        i = take;
        if (m_tailLength < sizeof m_tail) return;
        std::uint64_t word;
        std::memcpy(&word, m_tail, sizeof word);
        Mix(word);
        m_tailLength = 0;
    }
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        Mix(word);
    }
    m_tailLength = length - i;
    std::memcpy(m_tail, data + i, m_tailLength);
}

std::uint64_t CUpgScanner::Digest() const {
    std::uint64_t h = m_hash;
    if (m_tailLength) {
        std::uint8_t last[8] = {};
        std::memcpy(last, m_tail, m_tailLength);
        std::uint64_t word;
        std::memcpy(&word, last, sizeof word);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    return Final(h ^ (m_size * kMultiplier));
}

int CUpgScanner::Result(std::string& version) const {
    if (m_size < kHeaderSize) return -2;
    if (static_cast<std::uint64_t>(Le32(m_header + 8)) != m_size - kHeaderSize) return -2;
    if (m_sum != Le32(m_header + 12)) return -2;
    const char mark = static_cast<char>(m_header[kVersionOffset]);
    const char digit = static_cast<char>(m_header[kVersionOffset + 1]);
    if ((mark != 'I' && mark != 'i') || digit < '0' || digit > '9') return -3;
    version.assign(reinterpret_cast<const char*>(m_header + kVersionOffset), kVersionLength);
    return 0;
}
