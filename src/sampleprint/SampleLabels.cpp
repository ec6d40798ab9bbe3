#include "sampleprint/SampleLabels.h"

#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"

#include <initializer_list>

namespace {

// The text id of a value from a table of (value, text id) pairs; 0 when the
// value is not in it.
int TextIdOf(int value, std::initializer_list<std::pair<int, int>> table) {
    for (const auto& [v, id] : table) {
        if (v == value) return id;
    }
    return 0;
}

std::string ValueText(const TextLookup& text, int id) {
    return id != 0 && text ? text(id) : std::string();
}

std::string Name(const TextLookup& text, int id) {
    return text ? text(id) : std::string();
}

std::string MediaName(const MediaNameLookup& mediaName, int id) {
    return mediaName ? mediaName(id) : std::string();
}

} // namespace

int PaperdrawPercent(int level) {
    switch (level) {
    case -1:
        return 50;
    case -2:
        return 30;
    case -3:
        return 10;
    case -4:
        return 6;
    default:
        return 100;
    }
}

std::string NumberLabel(const std::string& name, int value, bool last) {
    return name + "=" + std::to_string(value) + (last ? "" : ",");
}

std::string TextLabel(const std::string& name, const std::string& value, bool last) {
    return name + "=" + value + (last ? "" : ",");
}

std::vector<std::string> BuildRegistrationLabels(const CustomPaperSlot& r, const TextLookup& text,
                                                 const MediaNameLookup& mediaName) {
    const int platen = TextIdOf(r.Platen, {{1, 30131}, {2, 30132}, {3, 30133}, {4, 30134}});
    const int cut = TextIdOf(r.PaperCut, {{0, 30140}, {1, 30143}, {2, 30141}, {3, 30142}});
    const int roller = TextIdOf(r.Roller, {{0, 30150}, {1, 30151}, {2, 30152}, {3, 30153}});
    const int draw =
        TextIdOf(r.Paperdraw, {{0, 30020}, {-1, 30021}, {-2, 30022}, {-3, 30023}, {-4, 30024}});
    return {
        TextLabel(Name(text, 30003), MediaName(mediaName, r.MediaId)),
        NumberLabel(Name(text, 30004), r.Paperthick),
        TextLabel(Name(text, 30006), ValueText(text, platen)),
        NumberLabel(Name(text, 30009), r.Forward),
        NumberLabel(Name(text, 30013), r.Drytime),
        TextLabel(Name(text, 30017), ValueText(text, cut)),
        TextLabel(Name(text, 30018), ValueText(text, roller)),
        TextLabel(Name(text, 30019), ValueText(text, draw), true),
    };
}

std::vector<std::string> BuildCustomFileLabels(const CustomFileRecord& r, const TextLookup& text,
                                               const MediaNameLookup& mediaName) {
    const int platen = TextIdOf(r.Platen, {{1, 50131}, {2, 50132}, {3, 50133}, {4, 50134}});
    const int mode = TextIdOf(r.Mode, {{1, 50160}, {2, 50161}, {3, 50162}, {4, 50163}});
    const int cut = TextIdOf(r.PaperCut, {{0, 50140}, {1, 50143}, {2, 50141}, {3, 50142}});
    const int roller = TextIdOf(r.Roller, {{0, 50150}, {1, 50151}, {2, 50152}, {3, 50153}});
    const int draw =
        TextIdOf(r.Paperdraw, {{0, 50026}, {-1, 50027}, {-2, 50028}, {-3, 50029}, {-4, 50030}});
    return {
        TextLabel(Name(text, 50004), MediaName(mediaName, r.MediaId)),
        NumberLabel(Name(text, 50005), r.Paperthick),
        TextLabel(Name(text, 50007), ValueText(text, platen)),
        TextLabel(Name(text, 50010), ValueText(text, mode)),
        NumberLabel(Name(text, 50011), r.Density),
        NumberLabel(Name(text, 30009), r.Forward),
        NumberLabel(Name(text, 30013), r.Drytime),
        TextLabel(Name(text, 30017), ValueText(text, cut)),
        TextLabel(Name(text, 30018), ValueText(text, roller)),
        TextLabel(Name(text, 30019), ValueText(text, draw), true),
    };
}
