#include "JobParser.h"

#include <algorithm>
#include <cstring>

namespace vprinter {

namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::size_t kUpgHeader = 32;
// A command's parameters are never long; a larger count is garbage.
constexpr std::size_t kMaxParams = 4096;

bool IsCommandLetter(std::uint8_t b) { return b >= 'A' && b <= 'Z'; }

bool StartsWith(const std::uint8_t* p, std::size_t left, const void* what, std::size_t n) {
    return left >= n && std::memcmp(p, what, n) == 0;
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Where the next readable sheet header after `start` begins (the page data
// of a further sheet follows it), or the end of the job.
std::size_t NextSheetHeader(const std::uint8_t* data, std::size_t length, std::size_t start) {
    for (std::size_t p = start; p < length;) {
        const void* hit = std::memchr(data + p, 0x1B, length - p);
        if (!hit) break;
        const std::size_t at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data);
        if (ReadSheetHeader(data + at, length - at).status == SheetHeaderStatus::Ok) return at;
        p = at + 1;
    }
    return length;
}

// End of a PDF that starts at `start`: just past its last "%%EOF" line
// before the next sheet header, or there (or at the end of the job) when it
// has none.
std::size_t PdfEnd(const std::uint8_t* data, std::size_t jobLength, std::size_t start) {
    static const char marker[] = "%%EOF";
    const std::size_t length = NextSheetHeader(data, jobLength, start);
    const std::uint8_t* begin = data + start;
    const std::uint8_t* end = data + length;
    const std::uint8_t* last = nullptr;
    for (const std::uint8_t* p = begin; p + 5 <= end;) {
        const void* hit = std::memchr(p, '%', static_cast<std::size_t>(end - p));
        if (!hit) break;
        const auto* h = static_cast<const std::uint8_t*>(hit);
        if (h + 5 <= end && std::memcmp(h, marker, 5) == 0) last = h;
        p = h + 1;
    }
    if (!last) return length;
    std::size_t stop = static_cast<std::size_t>(last - data) + 5;
    if (stop < length && data[stop] == '\r') ++stop;
    if (stop < length && data[stop] == '\n') ++stop;
    return stop;
}

} // namespace

ParsedJob ParseJob(const std::uint8_t* data, std::size_t length) {
    ParsedJob job;
    if (!data) return job;
    static const std::uint8_t enterRemote[] = {kEsc, '(', 'R', 0x08, 0x00, 0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'};
    static const std::uint8_t exitRemote[] = {kEsc, 0x00, 0x00, 0x00};
    static const std::uint8_t escBar[] = {kEsc, '|', 0x01, 0x06, 0x00, 0x61, 0x02, 0xE8, 0x17, 0x74};
    static const std::uint8_t firmware[] = {kEsc, '}', 0x01, 0x05, 0x00, 0x61, 0x02, 0x70, 0x8F, 0x38};

    bool remote = false;
    std::size_t p = 0;
    while (p < length) {
        const std::uint8_t* at = data + p;
        const std::size_t left = length - p;
        JobItem item;
        if (StartsWith(at, left, exitRemote, sizeof exitRemote)) {
            item.kind = JobItem::Kind::ExitRemote;
            remote = false;
            p += sizeof exitRemote;
        } else if (StartsWith(at, left, enterRemote, sizeof enterRemote)) {
            item.kind = JobItem::Kind::EnterRemote;
            remote = true;
            p += sizeof enterRemote;
        } else if (StartsWith(at, left, "\x1B@", 2)) {
            item.kind = JobItem::Kind::Reset;
            p += 2;
        } else if (StartsWith(at, left, escBar, sizeof escBar) && left >= sizeof escBar + 1) {
            item.kind = JobItem::Kind::EscBar;
            item.params.push_back(at[sizeof escBar]);
            p += sizeof escBar + 1;
        } else if (StartsWith(at, left, firmware, sizeof firmware)) {
            item.kind = JobItem::Kind::Firmware;
            item.offset = p + sizeof firmware;
            const std::size_t available = length - item.offset;
            std::size_t size = available;
            item.complete = false;
            if (available >= kUpgHeader) {
                const std::uint64_t total = static_cast<std::uint64_t>(Le32(data + item.offset + 8)) + kUpgHeader;
                if (total <= available) {
                    size = static_cast<std::size_t>(total);
                    item.complete = true;
                }
            }
            item.length = size;
            p = item.offset + size;
        } else if (StartsSheetHeader(at, left)) {
            item.kind = JobItem::Kind::SheetHeader;
            item.offset = p;
            item.header = ReadSheetHeader(at, left);
            // An unreadable header is passed over like any sequence the
            // interpreter does not understand: past its mark, and on.
            item.length = item.header.status == SheetHeaderStatus::Ok ? item.header.length : kSheetHeaderMark;
            p += item.length;
        } else if (StartsWith(at, left, "%PDF-", 5)) {
            item.kind = JobItem::Kind::Pdf;
            item.offset = p;
            const std::size_t end = PdfEnd(data, length, p);
            item.length = end - p;
            p = end;
        } else if (*at == 0x0C) {
            item.kind = JobItem::Kind::FormFeed;
            p += 1;
        } else if (remote && left >= 4 && IsCommandLetter(at[0]) && IsCommandLetter(at[1])) {
            const std::size_t n = static_cast<std::size_t>(at[2]) | (static_cast<std::size_t>(at[3]) << 8);
            if (n > kMaxParams || 4 + n > left) {
                // Not a command after all (or cut short): skip a byte.
                ++job.skippedBytes;
                ++p;
                continue;
            }
            item.kind = JobItem::Kind::Command;
            item.name.assign(reinterpret_cast<const char*>(at), 2);
            item.params.assign(at + 4, at + 4 + n);
            p += 4 + n;
        } else {
            // Line ends between packets are not worth mentioning.
            if (*at != '\r' && *at != '\n') ++job.skippedBytes;
            ++p;
            continue;
        }
        job.items.push_back(std::move(item));
    }
    return job;
}

bool TakeCommand(std::vector<std::uint8_t>& buffer, std::string& name, std::vector<std::uint8_t>& params) {
    for (;;) {
        std::size_t drop = 0;
        while (drop < buffer.size() && !IsCommandLetter(buffer[drop])) ++drop;
        if (drop) {
            buffer.erase(buffer.begin(), buffer.begin() + static_cast<long>(drop));
            continue;
        }
        if (buffer.size() < 2) return false;
        if (!IsCommandLetter(buffer[1])) { // a lone letter
            buffer.erase(buffer.begin());
            continue;
        }
        if (buffer.size() < 4) return false;
        const std::size_t n = static_cast<std::size_t>(buffer[2]) | (static_cast<std::size_t>(buffer[3]) << 8);
        if (n > kMaxParams) {
            buffer.erase(buffer.begin());
            continue;
        }
        if (buffer.size() < 4 + n) return false;
        name.assign(reinterpret_cast<const char*>(buffer.data()), 2);
        params.assign(buffer.begin() + 4, buffer.begin() + 4 + static_cast<long>(n));
        buffer.erase(buffer.begin(), buffer.begin() + 4 + static_cast<long>(n));
        return true;
    }
}

} // namespace vprinter
