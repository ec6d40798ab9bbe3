#include "custompaper/SlotRanges.h"

#include <cstdint>
#include <string_view>

namespace SlotRanges {

namespace {

Issue OutOfRange(const char* field, int value, int low, int high) {
    Issue issue{field, std::string(field) + " " + std::to_string(value) + " is outside " +
                           std::to_string(low) + ".." + std::to_string(high)};
    issue.kind = Issue::Kind::OutOfRange;
    issue.value = value, issue.low = low, issue.high = high;
    return issue;
}

// Whether `s` is well-formed UTF-8 without control characters.
bool PlainUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        int more = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F) return false;
            ++i;
            continue;
        }
        if ((c & 0xE0) == 0xC0)
            more = 1, cp = c & 0x1Fu;
        else if ((c & 0xF0) == 0xE0)
            more = 2, cp = c & 0x0Fu;
        else if ((c & 0xF8) == 0xF0)
            more = 3, cp = c & 0x07u;
        else
            return false;
        if (i + static_cast<std::size_t>(more) >= s.size()) return false;
        for (int k = 1; k <= more; ++k) {
            const auto d = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3Fu);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x80 && cp < 0xA0) return false; // C1 controls
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

} // namespace

int PlatenChoices(int paperthick) {
    if (paperthick >= 7) return 1;
    if (paperthick >= 3) return 3;
    return 4;
}

Issue Check(const CustomPaperSlot& s) {
    if (s.Paperthick < 1 || s.Paperthick > 16) return OutOfRange("paperthick", s.Paperthick, 1, 16);
    const int platens = PlatenChoices(s.Paperthick);
    if (s.Platen < 1 || s.Platen > platens) {
        Issue issue = OutOfRange("platen", s.Platen, 1, platens);
        issue.reason += " (the choices a thickness of " + std::to_string(s.Paperthick) + " leaves)";
        issue.thickness = s.Paperthick;
        return issue;
    }
    if (s.Forward < -70 || s.Forward > 70) return OutOfRange("forward", s.Forward, -70, 70);
    if (s.Drytime < 0 || s.Drytime > 50) return OutOfRange("drytime", s.Drytime, 0, 50);
    if (s.PaperCut < 0 || s.PaperCut > 3) return OutOfRange("paperCut", s.PaperCut, 0, 3);
    if (s.Roller < 0 || s.Roller > 3) return OutOfRange("roller", s.Roller, 0, 3);
    if (s.Paperdraw < -4 || s.Paperdraw > 0) return OutOfRange("paperdraw", s.Paperdraw, -4, 0);
    if (s.ThreeWay < 0 || s.ThreeWay > 2) return OutOfRange("threeWay", s.ThreeWay, 0, 2);
    if (s.MediaCode < 0 || s.MediaCode > 255) return OutOfRange("mediaCode", s.MediaCode, 0, 255);
    return {};
}

Issue CheckName(const std::string& name) {
    Issue issue{"name", {}};
    if (name.find_first_not_of(' ') == std::string::npos) {
        issue.reason = "the name is empty";
        issue.kind = Issue::Kind::EmptyName;
    } else if (name.size() > static_cast<std::size_t>(CustomPaperSlot::kNameLength)) {
        issue.reason =
            "the name is longer than " + std::to_string(CustomPaperSlot::kNameLength) + " bytes";
        issue.kind = Issue::Kind::LongName;
        issue.high = CustomPaperSlot::kNameLength;
    } else if (!PlainUtf8(name)) {
        issue.reason = "the name holds control characters or is not UTF-8";
        issue.kind = Issue::Kind::BadName;
    } else {
        issue.field.clear();
    }
    return issue;
}

} // namespace SlotRanges
