#include "cli/SlotJson.h"

#include "cli/CliText.h"
#include "cli/JsonValue.h"
#include "custompaper/CMediaTable.h"

#include <cstdint>

namespace cli {

namespace {

// The refusals' texts.
enum Refusal : int {
    kTooLarge = 115040,
    kNotObject,
    kMissing,
    kNotWholeNumber,
    kNoCustomMedia,
    kDifferentMedia,
    kNoMedia,
    kNameNotString,
    kOutsideRange,
    kThicknessChoices,
    kNameEmpty,
    kNameLong,
    kNameNotPlain,
};

// The settings members and the fields they fill.
struct Member {
    const char* name;
    std::int32_t CustomPaperSlot::*field;
};
constexpr Member kSettings[] = {
    {"paperthick", &CustomPaperSlot::Paperthick}, {"platen", &CustomPaperSlot::Platen},
    {"paperdraw", &CustomPaperSlot::Paperdraw},   {"roller", &CustomPaperSlot::Roller},
    {"forward", &CustomPaperSlot::Forward},       {"drytime", &CustomPaperSlot::Drytime},
    {"paperCut", &CustomPaperSlot::PaperCut},     {"threeWay", &CustomPaperSlot::ThreeWay},
};

// A member that must be a whole number within 32 bits: 1 read, 0 absent,
// -1 present but not such a number (error set).
int WholeNumber(const JsonValue& object, const std::string& name, std::int32_t& out,
                Sentence& error) {
    const JsonValue* v = object.Member(name);
    if (!v) return 0;
    if (v->AsInt32(out)) return 1;
    error = Say(kNotWholeNumber, {name});
    return -1;
}

} // namespace

Sentence DescribeSlotIssue(const SlotRanges::Issue& issue) {
    using Kind = SlotRanges::Issue::Kind;
    switch (issue.kind) {
    case Kind::OutOfRange: {
        const Sentence outside =
            Say(kOutsideRange, {issue.field, std::to_string(issue.value), std::to_string(issue.low),
                                std::to_string(issue.high)});
        return issue.thickness ? Say(kThicknessChoices, {outside, std::to_string(issue.thickness)})
                               : outside;
    }
    case Kind::EmptyName:
        return Say(kNameEmpty);
    case Kind::LongName:
        return Say(kNameLong, {std::to_string(issue.high)});
    case Kind::BadName:
        return Say(kNameNotPlain);
    case Kind::None:
        break;
    }
    return issue.reason;
}

std::vector<std::pair<std::string, std::string>> SlotJsonFields(const CustomPaperSlot& slot,
                                                                int mediaId) {
    std::string name = slot.Name;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return {
        {"name", JsonString(name)},
        {"mediaId", std::to_string(mediaId)},
        {"mediaCode", std::to_string(slot.MediaCode)},
        {"paperthick", std::to_string(slot.Paperthick)},
        {"platen", std::to_string(slot.Platen)},
        {"paperdraw", std::to_string(slot.Paperdraw)},
        {"roller", std::to_string(slot.Roller)},
        {"forward", std::to_string(slot.Forward)},
        {"drytime", std::to_string(slot.Drytime)},
        {"paperCut", std::to_string(slot.PaperCut)},
        {"threeWay", std::to_string(slot.ThreeWay)},
    };
}

bool ReadSlotJson(std::string_view text, const CMediaTable& media, CustomPaperSlot& slot,
                  std::string& name, std::string& error) {
    Sentence why;
    const bool ok = ReadSlotJson(text, media, slot, name, why);
    error = ok ? std::string() : why.Text();
    return ok;
}

bool ReadSlotJson(std::string_view text, const CMediaTable& media, CustomPaperSlot& slot,
                  std::string& name, Sentence& error) {
    if (text.size() > kSlotJsonMaxBytes) {
        error = Say(kTooLarge, {std::to_string(kSlotJsonMaxBytes)});
        return false;
    }
    JsonValue members;
    if (!JsonValue::Parse(text, members, error)) return false;
    if (!members.IsObject()) {
        error = Say(kNotObject);
        return false;
    }
    CustomPaperSlot s;
    for (const Member& m : kSettings) {
        const int r = WholeNumber(members, m.name, s.*m.field, error);
        if (r < 0) return false;
        if (r == 0) {
            error = Say(kMissing, {m.name});
            return false;
        }
    }
    std::int32_t code = 0, id = 0;
    const int hasCode = WholeNumber(members, "mediaCode", code, error);
    const int hasId = WholeNumber(members, "mediaId", id, error);
    if (hasCode < 0 || hasId < 0) return false;
    // An id of 0 names no media (what "slot --json" prints for a code the
    // media table does not know).
    if (hasId > 0 && id != 0) {
        if (media.FindRow(id, -1) == nullptr || media.FileId(id) == -1) {
            error = Say(kNoCustomMedia, {std::to_string(id)});
            return false;
        }
        if (hasCode > 0 && media.IdFromMediaCode(code) != id) {
            error = Say(kDifferentMedia, {std::to_string(id), std::to_string(code)});
            return false;
        }
        if (hasCode == 0) code = media.MediaCodeOf(id, -1);
    } else if (hasCode == 0) {
        error = Say(kNoMedia);
        return false;
    }
    s.MediaCode = code;
    s.MediaId = media.IdFromMediaCode(code);
    if (const JsonValue* n = members.Member("name")) {
        if (n->type() != JsonValue::Type::String) {
            error = Say(kNameNotString);
            return false;
        }
        name = n->Text();
    }
    slot = s;
    return true;
}

} // namespace cli
