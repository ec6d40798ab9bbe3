#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <sys/types.h>
#include <vector>

// One POSIX access control list in the form the kernel stores it in the
// extended attributes "system.posix_acl_access" and "system.posix_acl_default":
// a 4-byte version header, then 8-byte entries (tag, permissions, id), all
// little-endian, ordered owner, named users, owning group, named groups,
// mask, others. Reading an item's list straight from the attribute lets the
// walk work relative to an open folder without following symbolic links.
class CPosixAcl {
public:
    struct Entry {
        std::uint16_t tag;
        std::uint16_t perm;
        std::uint32_t id;
        bool operator==(const Entry&) const = default;
    };

    static constexpr std::uint16_t kUserObj = 0x01;
    static constexpr std::uint16_t kUser = 0x02;
    static constexpr std::uint16_t kGroupObj = 0x04;
    static constexpr std::uint16_t kGroup = 0x08;
    static constexpr std::uint16_t kMask = 0x10;
    static constexpr std::uint16_t kOther = 0x20;

    static constexpr std::uint16_t kRead = 4;
    static constexpr std::uint16_t kWrite = 2;
    static constexpr std::uint16_t kExecute = 1;
    static constexpr std::uint16_t kAll = 7;

    static constexpr std::uint32_t kXattrVersion = 2;
    static constexpr std::uint32_t kUndefinedId = 0xFFFFFFFFu;
    static constexpr std::size_t kHeaderSize = 4;
    static constexpr std::size_t kEntrySize = 8;
    // An extended attribute holds at most 64 KiB.
    static constexpr std::size_t kMaxAttrSize = 65536;

    // Reads the attribute bytes. Returns false, leaving the list empty, when
    // they are not a well-formed list (bad size or version, unknown tag or
    // permission bits, entries out of order, a required entry missing).
    bool Decode(std::span<const std::uint8_t> bytes);

    // The three-entry list equivalent to the permission bits of `mode`.
    void SetFromMode(mode_t mode);
    // A three-entry list: owner, owning group and others.
    void SetMinimal(std::uint16_t owner, std::uint16_t group, std::uint16_t other);

    // The attribute bytes of the list; valid until the next call.
    std::span<const std::uint8_t> Encode();

    const std::vector<Entry>& Entries() const { return m_entries; }
    // The entry with this tag (only for the single-instance tags), or nullptr.
    Entry* Find(std::uint16_t tag);
    const Entry* Find(std::uint16_t tag) const;

private:
    std::vector<Entry> m_entries;
    std::vector<std::uint8_t> m_bytes;
};
