#include "CPosixAcl.h"

namespace {

std::uint16_t Read16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Write16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void Write32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The position of a tag in the required order; named entries may repeat.
int Rank(std::uint16_t tag) {
    switch (tag) {
    case CPosixAcl::kUserObj: return 0;
    case CPosixAcl::kUser: return 1;
    case CPosixAcl::kGroupObj: return 2;
    case CPosixAcl::kGroup: return 3;
    case CPosixAcl::kMask: return 4;
    case CPosixAcl::kOther: return 5;
    default: return -1;
    }
}

} // namespace

bool CPosixAcl::Decode(std::span<const std::uint8_t> bytes) {
    m_entries.clear();
    if (bytes.size() < kHeaderSize || bytes.size() > kMaxAttrSize ||
        (bytes.size() - kHeaderSize) % kEntrySize != 0 || Read32(bytes.data()) != kXattrVersion)
        return false;

    const std::size_t count = (bytes.size() - kHeaderSize) / kEntrySize;
    int lastRank = -1;
    bool named = false;
    bool seen[6] = {};
    m_entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = bytes.data() + kHeaderSize + i * kEntrySize;
        const Entry e{Read16(p), Read16(p + 2), Read32(p + 4)};
        const int rank = Rank(e.tag);
        const bool repeatable = e.tag == kUser || e.tag == kGroup;
        if (rank < 0 || (e.perm & ~kAll) != 0 || rank < lastRank ||
            (rank == lastRank && !repeatable)) {
            m_entries.clear();
            return false;
        }
        named = named || repeatable;
        seen[rank] = true;
        lastRank = rank;
        m_entries.push_back(e);
    }
    // Owner, owning group and others always; a mask whenever a user or group is named.
    if (!seen[0] || !seen[2] || !seen[5] || (named && !seen[4])) {
        m_entries.clear();
        return false;
    }
    return true;
}

void CPosixAcl::SetFromMode(mode_t mode) {
    SetMinimal(static_cast<std::uint16_t>((mode >> 6) & kAll),
               static_cast<std::uint16_t>((mode >> 3) & kAll), static_cast<std::uint16_t>(mode & kAll));
}

void CPosixAcl::SetMinimal(std::uint16_t owner, std::uint16_t group, std::uint16_t other) {
    m_entries.assign({{kUserObj, owner, kUndefinedId},
                      {kGroupObj, group, kUndefinedId},
                      {kOther, other, kUndefinedId}});
}

std::span<const std::uint8_t> CPosixAcl::Encode() {
    m_bytes.resize(kHeaderSize + m_entries.size() * kEntrySize);
    Write32(m_bytes.data(), kXattrVersion);
    std::uint8_t* p = m_bytes.data() + kHeaderSize;
    for (const Entry& e : m_entries) {
        Write16(p, e.tag);
        Write16(p + 2, e.perm);
        Write32(p + 4, e.id);
        p += kEntrySize;
    }
    return m_bytes;
}

CPosixAcl::Entry* CPosixAcl::Find(std::uint16_t tag) {
    for (Entry& e : m_entries)
        if (e.tag == tag) return &e;
    return nullptr;
}

const CPosixAcl::Entry* CPosixAcl::Find(std::uint16_t tag) const {
    return const_cast<CPosixAcl*>(this)->Find(tag);
}
