#include "SheetHeader.h"

#include <cstring>

namespace vprinter {

namespace {

constexpr std::uint8_t kMark[kSheetHeaderMark] = {0x1B, 'O', 'V', 'S'};

std::uint16_t Le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

bool StartsSheetHeader(const std::uint8_t* data, std::size_t available) {
    return data && available >= kSheetHeaderMark && std::memcmp(data, kMark, kSheetHeaderMark) == 0;
}

SheetHeaderRead ReadSheetHeader(const std::uint8_t* data, std::size_t available) {
    SheetHeaderRead read;
    if (!StartsSheetHeader(data, available)) return read;
    read.status = SheetHeaderStatus::Truncated;
    if (available < 8) return read;
    if (Le16(data + 4) != 1) {
        read.status = SheetHeaderStatus::UnknownVersion;
        return read;
    }
    const std::size_t length = Le16(data + 6);
    if (length > kSheetHeaderFixed + kSheetHeaderMaxTitle) {
        read.status = SheetHeaderStatus::TooLong;
        return read;
    }
    if (available < kSheetHeaderFixed) return read;
    const std::size_t titleLength = Le16(data + 14);
    if (titleLength > kSheetHeaderMaxTitle) {
        read.status = SheetHeaderStatus::TooLong;
        return read;
    }
    if (length != kSheetHeaderFixed + titleLength) {
        read.status = SheetHeaderStatus::WrongLength;
        return read;
    }
    if (available < length) return read;

    SheetSettings& s = read.settings;
    s.given = Le16(data + 8) & SheetSettings::kAllFields;
    s.mediaValue = Le16(data + 10);
    s.printMode = data[12];
    s.density = static_cast<std::int8_t>(data[13]);
    s.outputFlags = Le32(data + 16);
    s.printFlags = Le32(data + 20);
    std::memcpy(s.paperBytes.data(), data + 24, s.paperBytes.size());
    s.title.assign(reinterpret_cast<const char*>(data + kSheetHeaderFixed), titleLength);
    if (s.mediaValue == 0) s.given &= ~SheetSettings::Media;
    if (s.printMode < 1 || s.printMode > 4) s.given &= ~SheetSettings::Mode;
    read.status = SheetHeaderStatus::Ok;
    read.length = length;
    return read;
}

std::string SheetHeaderProblem(SheetHeaderStatus status) {
    switch (status) {
    case SheetHeaderStatus::Ok:
        return {};
    case SheetHeaderStatus::NotAHeader:
        return "not-a-header";
    case SheetHeaderStatus::Truncated:
        return "truncated";
    case SheetHeaderStatus::UnknownVersion:
        return "unknown-version";
    case SheetHeaderStatus::WrongLength:
        return "wrong-length";
    case SheetHeaderStatus::TooLong:
        return "too-long";
    }
    return "unreadable";
}

SheetSettings PrinterDefaultSheetSettings() {
    SheetSettings s;
    // Media 0: the media set on the printer's panel. Standard quality;
    // paper bytes: thickness 0.3 mm, full suction, platen gap 2, roller 1.
    s.mediaValue = 0;
    s.printMode = 2;
    s.density = 0;
    s.outputFlags = 0x07;
    s.printFlags = 0x09;
    s.paperBytes = {0, 0, 0, 3, 100, 0, 0, 2, 1, 0, 0, 0};
    return s;
}

SheetSettings WithPrinterDefaults(const SheetSettings& job) {
    const SheetSettings d = PrinterDefaultSheetSettings();
    SheetSettings s = job;
    if (!(job.given & SheetSettings::Media)) s.mediaValue = d.mediaValue;
    if (!(job.given & SheetSettings::Mode)) s.printMode = d.printMode;
    if (!(job.given & SheetSettings::Paper)) {
        s.paperBytes = d.paperBytes;
        s.density = d.density;
    }
    if (!(job.given & SheetSettings::OutputFlags)) s.outputFlags = d.outputFlags;
    if (!(job.given & SheetSettings::PrintFlags)) s.printFlags = d.printFlags;
    return s;
}

} // namespace vprinter
