#include "SheetOptions.h"

#include <cstring>
#include <cups/ppd.h>

// The PPD API is how a driver reads its own PPD; libcups marks it deprecated
// for applications only.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace sheetfilter {

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

const char* Find(const cups_option_t* options, int count, const char* name) {
    return options && count > 0 ? cupsGetOption(name, count, const_cast<cups_option_t*>(options))
                                : nullptr;
}

// An option value as a message may quote it: one line (CUPS reads each line
// of a filter's messages as a command of its own), printable, short.
std::string Quoted(const char* value) {
    std::string out;
    for (const char* p = value; *p && out.size() < 64; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (std::strlen(value) > out.size()) out += "...";
    return out;
}

bool ParseU32(const std::string& text, std::uint32_t& out) {
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > 0xFFFFFFFFu) return false;
    out = static_cast<std::uint32_t>(v);
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParsePaperBytes(const std::string& text, std::array<std::uint8_t, 12>& out) {
    if (text.size() != 2 * out.size()) return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int hi = HexDigit(text[2 * i]);
        const int lo = HexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return true;
}

// The PPD choice a job asks for, or the default when it asks for none or
// for one the PPD does not offer.
template <typename V>
const V* Choice(const std::map<std::string, V>& choices, const std::string& defaultChoice,
                const char* option, const char* asked, std::vector<std::string>& warnings) {
    if (asked) {
        const auto it = choices.find(Lower(asked));
        if (it != choices.end()) return &it->second;
        warnings.push_back(std::string(option) + "=" + Quoted(asked) +
                           " is not a choice of the PPD; its default is used");
    }
    const auto it = choices.find(Lower(defaultChoice));
    return it == choices.end() ? nullptr : &it->second;
}

} // namespace

std::optional<SheetPpd> ReadSheetPpd(const std::string& path) {
    ppd_file_t* ppd = ppdOpenFile(path.c_str());
    if (!ppd) return std::nullopt;
    SheetPpd out;
    if (ppd_option_t* media = ppdFindOption(ppd, "MediaType")) {
        out.defaultMedia = media->defchoice;
        for (int i = 0; i < media->num_choices; ++i) {
            const char* choice = media->choices[i].choice;
            std::uint16_t id = 0;
            std::uint32_t parsed = 0;
            if (ppd_attr_t* a = ppdFindAttr(ppd, "OVMediaID", choice);
                a && a->value && ParseU32(a->value, parsed) && parsed <= 0xFFFF)
                id = static_cast<std::uint16_t>(parsed);
            out.mediaIds.emplace(Lower(choice), id);
        }
    }
    if (ppd_option_t* quality = ppdFindOption(ppd, "OVPrintQuality")) {
        out.defaultQuality = quality->defchoice;
        for (int i = 0; i < quality->num_choices; ++i) {
            const std::string choice = Lower(quality->choices[i].choice);
            std::uint8_t mode = 0;
            if (choice.size() == 5 && choice.rfind("mode", 0) == 0 && choice[4] >= '1' &&
                choice[4] <= '4')
                mode = static_cast<std::uint8_t>(choice[4] - '0');
            out.qualityModes.emplace(choice, mode);
        }
    }
    ppdClose(ppd);
    return out;
}

SheetSettings SettingsFromOptions(const SheetPpd& ppd, const cups_option_t* options, int count,
                                  const std::string& title, std::vector<std::string>& warnings) {
    SheetSettings s;
    s.title = HeaderTitle(title);
    if (const std::uint16_t* id = Choice(ppd.mediaIds, ppd.defaultMedia, "MediaType",
                                         Find(options, count, "MediaType"), warnings);
        id && *id) {
        s.fields |= kFieldMedia;
        s.mediaValue = *id;
    }
    if (const std::uint8_t* mode = Choice(ppd.qualityModes, ppd.defaultQuality, "OVPrintQuality",
                                          Find(options, count, "OVPrintQuality"), warnings);
        mode && *mode) {
        s.fields |= kFieldMode;
        s.printMode = *mode;
    }
    if (const char* paper = Find(options, count, "OVPaperAdjust")) {
        if (ParsePaperBytes(paper, s.paperBytes))
            s.fields |= kFieldPaper;
        else
            warnings.push_back(std::string("OVPaperAdjust=") + Quoted(paper) +
                               " is not 24 hex digits; the printer's own paper settings apply");
    }
    const struct {
        const char* name;
        std::uint16_t field;
        std::uint32_t* value;
    } flags[] = {{"OVOutputFlags", kFieldOutputFlags, &s.outputFlags},
                 {"OVPrintFlags", kFieldPrintFlags, &s.printFlags}};
    for (const auto& f : flags) {
        const char* text = Find(options, count, f.name);
        if (!text) continue;
        if (ParseU32(text, *f.value))
            s.fields |= f.field;
        else
            warnings.push_back(std::string(f.name) + "=" + Quoted(text) +
                               " is not a number; the printer's own setting applies");
    }
    return s;
}

} // namespace sheetfilter
