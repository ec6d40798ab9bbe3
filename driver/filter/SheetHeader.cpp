#include "SheetHeader.h"

#include <cstring>

namespace sheetfilter {

namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

} // namespace

std::string HeaderTitle(const std::string& title) {
    if (title.size() <= kSheetMaxTitle) return title;
    std::size_t cut = kSheetMaxTitle;
    // Back up to the first byte of the sequence that crosses the limit.
    while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80)
        --cut;
    return title.substr(0, cut);
}

std::size_t BuildSheetHeader(const SheetSettings& s, std::uint8_t* out, std::size_t room) {
    const std::string title = HeaderTitle(s.title);
    const std::size_t size = kSheetFixedSize + title.size();
    if (!out || room < size) return 0;
    const auto given = [&](std::uint16_t field) { return (s.fields & field) != 0; };
    std::memset(out, 0, kSheetFixedSize);
    std::memcpy(out, kSheetMagic, sizeof kSheetMagic);
    Put16(out + 4, kSheetVersion);
    Put16(out + 6, static_cast<std::uint32_t>(size));
    Put16(out + 8, s.fields & (kFieldMedia | kFieldMode | kFieldPaper | kFieldOutputFlags |
                               kFieldPrintFlags));
    if (given(kFieldMedia)) Put16(out + 10, s.mediaValue);
    if (given(kFieldMode)) out[12] = s.printMode;
    if (given(kFieldPaper)) {
        out[13] = s.paperBytes[0];
        std::memcpy(out + 24, s.paperBytes.data(), s.paperBytes.size());
    }
    Put16(out + 14, static_cast<std::uint32_t>(title.size()));
    if (given(kFieldOutputFlags)) Put32(out + 16, s.outputFlags);
    if (given(kFieldPrintFlags)) Put32(out + 20, s.printFlags);
    if (!title.empty()) std::memcpy(out + kSheetFixedSize, title.data(), title.size());
    return size;
}

} // namespace sheetfilter
