#include "DriverSession.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include <unistd.h>

#include <cups/cups.h>

// The PPD API is how a driver reads its own PPD; libcups marks it deprecated
// for applications only.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

constexpr const char* kMediaOption = "MediaType";
constexpr const char* kQualityOption = "OVPrintQuality";
constexpr const char* kColourOption = "OVColorMode";
constexpr const char* kPageSizeOption = "PageSize";
constexpr const char* kDriverVersion = "2.1.0";
// The most media types a range record's 16-bit count can hold.
constexpr std::size_t kMaxMediaCount = 0xFFFF;

// Quality variant of print modes 1..4, as items 70 and 214 carry them.
constexpr std::uint32_t kVariantOfMode[5] = {0, KRDM_VARIANT_MODE1, KRDM_VARIANT_MODE2, KRDM_VARIANT_MODE3,
                                             KRDM_VARIANT_MODE4};

std::uint32_t GetU32(const void* record, int index) {
    std::uint32_t v;
    std::memcpy(&v, static_cast<const std::uint8_t*>(record) + 4 * index, 4);
    return v;
}
void PutU32(void* record, int index, std::uint32_t v) {
    std::memcpy(static_cast<std::uint8_t*>(record) + 4 * index, &v, 4);
}
std::uint16_t GetU16(const void* record, int index) {
    std::uint16_t v;
    std::memcpy(&v, static_cast<const std::uint8_t*>(record) + 2 * index, 2);
    return v;
}
void PutU16(void* record, int index, std::uint32_t v) {
    const auto w = static_cast<std::uint16_t>(v);
    std::memcpy(static_cast<std::uint8_t*>(record) + 2 * index, &w, 2);
}

// Records that begin with u32 1 and their own size.
bool HasHeader(const void* record, std::uint32_t minimumSize) {
    return GetU32(record, 0) == 1 && GetU32(record, 1) >= minimumSize;
}

bool ParseId(const char* text, long& out) {
    if (!text || !*text) return false;
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return end && *end == '\0';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "0B030405 0106070A": four ink codes per print head.
std::vector<std::vector<std::uint8_t>> ParseInkHeads(const char* text) {
    std::vector<std::vector<std::uint8_t>> heads;
    if (!text) return heads;
    std::string token;
    auto flush = [&] {
        if (token.size() == 8) {
            std::vector<std::uint8_t> inks;
            for (int i = 0; i < 4; ++i) {
                const int hi = HexDigit(token[2 * i]);
                const int lo = HexDigit(token[2 * i + 1]);
                if (hi < 0 || lo < 0) {
                    inks.clear();
                    break;
                }
                inks.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
            }
            if (!inks.empty() && heads.size() < 3) heads.push_back(inks);
        }
        token.clear();
    };
    for (const char* p = text; *p; ++p) {
        if (*p == ' ' || *p == '\t') flush();
        else token += *p;
    }
    flush();
    return heads;
}

long TenthsOfMm(float points) { return std::lround(points * 254.0 / 72.0); }

bool IsRollSize(const std::string& name) {
    return name.rfind("Roll", 0) == 0 || name.rfind("Custom.", 0) == 0;
}

}  // namespace

std::unique_ptr<DriverSession> DriverSession::Open(const std::string& printer, const std::string& port,
                                                   const void* devMode, int& error) {
    std::unique_ptr<DriverSession> s(new DriverSession);
    s->m_printer = printer;
    s->m_port = port;

    const char* fetched = printer.empty() ? nullptr : cupsGetPPD2(CUPS_HTTP_DEFAULT, printer.c_str());
    if (!fetched) {
        error = KRDM_NO_PRINTER;
        return nullptr;
    }
    const std::string ppdPath = fetched;
    const bool loaded = s->LoadPpd(ppdPath);
    ::unlink(ppdPath.c_str());
    if (!loaded) {
        error = KRDM_ERROR;
        return nullptr;
    }

    // The caller's block first, then what this user saved: values written
    // through an earlier handle must not be undone by an older block.
    if (devMode) {
        const auto mode = DeviceModeBlock::Decode(devMode, DeviceModeBlock::StatedSize(devMode));
        if (!mode) {
            error = KRDM_BAD_RECORD;
            return nullptr;
        }
        if (mode->deviceName == printer) {
            for (const auto& [k, v] : mode->options) s->TakeOption(k, v);
            for (const auto& [k, v] : mode->driverValues) UserSettingsFile::Apply(s->m_values, k, v);
        }
    }
    if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.c_str(), nullptr)) {
        for (int i = 0; i < dest->num_options; ++i) s->TakeOption(dest->options[i].name, dest->options[i].value);
        cupsFreeDests(1, dest);
    }
    s->m_userFile = UserSettingsFile::PathFor(printer);
    UserSettingsFile::Load(s->m_userFile, s->m_values);
    error = KRDM_OK;
    return s;
}

DriverSession::~DriverSession() {
    if (m_ppd) ppdClose(m_ppd);
}

bool DriverSession::LoadPpd(const std::string& path) {
    m_ppd = ppdOpenFile(path.c_str());
    if (!m_ppd) return false;

    if (ppd_option_t* media = ppdFindOption(m_ppd, kMediaOption)) {
        // One pass over the ids: looking each choice's id up on its own
        // takes quadratic time, which a PPD with many media types turns into
        // minutes.
        std::unordered_map<std::string_view, const char*> idOfChoice;
        constexpr const char* kIdKeyword = "OVMediaID";
        for (ppd_attr_t* a = ppdFindAttr(m_ppd, kIdKeyword, nullptr); a; a = ppdFindNextAttr(m_ppd, kIdKeyword, nullptr))
            idOfChoice.emplace(a->spec, a->value);
        // The media list is handed out with a 16-bit count: the types beyond
        // what it can say are left out.
        for (int i = 0; i < media->num_choices && m_media.size() < kMaxMediaCount; ++i) {
            const ppd_choice_t& c = media->choices[i];
            const auto attr = idOfChoice.find(c.choice);
            long id = 0;
            if (attr == idOfChoice.end() || !ParseId(attr->second, id) || id < 1 || id > 0xFFFF) continue;
            m_mediaById.emplace(static_cast<std::uint16_t>(id), m_media.size());
            m_media.push_back({static_cast<std::uint16_t>(id), c.choice, c.text});
        }
    }
    if (ppd_option_t* colour = ppdFindOption(m_ppd, kColourOption)) {
        for (int i = 0; i < colour->num_choices; ++i) {
            ppd_attr_t* attr = ppdFindAttr(m_ppd, "OVColorModeCode", colour->choices[i].choice);
            long code = 0;
            if (attr && ParseId(attr->value, code) && code >= 0 && code <= 0xFFFF)
                m_colourCodes.emplace_back(colour->choices[i].choice, static_cast<int>(code));
        }
    }
    if (ppd_attr_t* inks = ppdFindAttr(m_ppd, "OVInkArrangement", nullptr)) m_inkHeads = ParseInkHeads(inks->value);

    for (ppd_option_t* o = ppdFirstOption(m_ppd); o; o = ppdNextOption(m_ppd)) {
        // PageRegion follows PageSize; it is not a setting of its own.
        if (std::strcmp(o->keyword, "PageRegion") == 0) continue;
        if (m_current.emplace(o->keyword, o->defchoice).second) m_optionOrder.push_back(o->keyword);
    }
    return true;
}

bool DriverSession::TakeOption(const std::string& option, const std::string& choice) {
    auto it = m_current.find(option);
    if (it == m_current.end()) return false;
    if (option == kPageSizeOption && choice.rfind("Custom.", 0) == 0) {
        if (!m_ppd->variable_sizes) return false;
        ppd_size_t* size = ppdPageSize(m_ppd, choice.c_str());
        if (!size || size->width < m_ppd->custom_min[0] - 0.5f || size->width > m_ppd->custom_max[0] + 0.5f ||
            size->length < m_ppd->custom_min[1] - 0.5f || size->length > m_ppd->custom_max[1] + 0.5f)
            return false;
    } else if (!ppdFindChoice(ppdFindOption(m_ppd, option.c_str()), choice.c_str())) {
        return false;
    }
    it->second = choice;
    return true;
}

const DriverSession::Media* DriverSession::FindMedia(std::uint32_t id) const {
    const auto it = id <= 0xFFFF ? m_mediaById.find(static_cast<std::uint16_t>(id)) : m_mediaById.end();
    return it == m_mediaById.end() ? nullptr : &m_media[it->second];
}

std::uint32_t DriverSession::CurrentMediaId() const {
    const auto media = m_current.find(kMediaOption);
    std::uint32_t id = 0;
    if (media != m_current.end())
        for (const Media& m : m_media)
            if (m.keyword == media->second) id = m.id;
    return id;
}

int DriverSession::PrintMode() const {
    const auto it = m_current.find(kQualityOption);
    if (it == m_current.end()) return 0;
    const std::string& q = it->second;
    if (q.size() == 5 && q.rfind("Mode", 0) == 0 && q[4] >= '1' && q[4] <= '4') return q[4] - '0';
    return 0;
}

int DriverSession::GetRange(int item, KRDM_RANGE* range) const {
    if (!range) return KRDM_BAD_RECORD;
    if (item != KRDM_ITEM_MEDIA_LIST) return KRDM_BAD_ITEM;
    const auto count = static_cast<std::uint16_t>(std::min<std::size_t>(m_media.size(), kMaxMediaCount));
    if (!range->buffer) {
        range->count = count;
        range->elementSize = 2;
        return count;
    }
    if (range->count < count || range->elementSize != 2) return KRDM_BAD_RECORD;
    for (int i = 0; i < count; ++i) PutU16(range->buffer, i, m_media[static_cast<std::size_t>(i)].id);
    range->count = count;
    return count;
}

int DriverSession::GetData(int item, void* record) const {
    if (!record) return KRDM_BAD_RECORD;
    const int mode = PrintMode();

    switch (item) {
    case KRDM_ITEM_SETTINGS_SOURCE:
        PutU32(record, 0, m_values.settingsSource);
        return KRDM_OK;
    case KRDM_ITEM_PAPER_SIZE: {
        const auto it = m_current.find(kPageSizeOption);
        ppd_size_t* size = it == m_current.end() ? nullptr : ppdPageSize(m_ppd, it->second.c_str());
        if (!size) return KRDM_ERROR;
        PutU16(record, 0, static_cast<std::uint32_t>(std::min(TenthsOfMm(size->width), 0xFFFFL)));
        PutU16(record, 1, static_cast<std::uint32_t>(std::min(TenthsOfMm(size->length), 0xFFFFL)));
        PutU16(record, 2, IsRollSize(it->second) ? KRDM_PAPER_ROLL : 0);
        PutU16(record, 3, 0);
        return KRDM_OK;
    }
    case KRDM_ITEM_COLOR_MODE: {
        const auto it = m_current.find(kColourOption);
        for (const auto& [choice, code] : m_colourCodes)
            if (it != m_current.end() && choice == it->second) {
                PutU16(record, 0, static_cast<std::uint32_t>(code));
                return KRDM_OK;
            }
        return KRDM_ERROR;
    }
    case KRDM_ITEM_MEDIA:
        PutU16(record, 0, 1);
        PutU16(record, 1, kVariantOfMode[mode]);
        PutU16(record, 2, CurrentMediaId());
        PutU16(record, 3, 2);
        return KRDM_OK;
    case KRDM_ITEM_OUTPUT_FLAGS:
    case KRDM_ITEM_PRINT_FLAGS:
        if (!HasHeader(record, 12)) return KRDM_BAD_RECORD;
        PutU32(record, 2, item == KRDM_ITEM_OUTPUT_FLAGS ? m_values.outputFlags : m_values.printFlags);
        return KRDM_OK;
    case KRDM_ITEM_MEDIA_NAME: {
        auto* request = static_cast<KRDM_TEXT_REQUEST*>(record);
        if (request->version != 1 || request->size < sizeof(KRDM_TEXT_REQUEST) || request->kind != 3 ||
            !request->buffer || request->bufferSize == 0)
            return KRDM_BAD_RECORD;
        request->buffer[0] = '\0';
        const Media* m = FindMedia(request->id);
        if (!m) return KRDM_BAD_VALUE;
        const std::size_t n = std::min<std::size_t>(m->name.size(), request->bufferSize - 1);
        std::memcpy(request->buffer, m->name.data(), n);
        request->buffer[n] = '\0';
        return static_cast<int>(n);
    }
    case KRDM_ITEM_MEDIA_QUALITY:
        if (!HasHeader(record, 20)) return KRDM_BAD_RECORD;
        PutU32(record, 2, 2);
        PutU32(record, 3, CurrentMediaId());
        PutU32(record, 4, kVariantOfMode[mode]);
        return KRDM_OK;
    case KRDM_ITEM_INK_LAYOUT: {
        if (GetU32(record, 0) != 1) return KRDM_BAD_RECORD;
        auto* bytes = static_cast<std::uint8_t*>(record);
        std::memset(bytes + 4, 0, KRDM_INK_LAYOUT_SIZE - 4);
        PutU32(record, 1, KRDM_INK_LAYOUT_SIZE);
        PutU32(record, 2, static_cast<std::uint32_t>(m_inkHeads.size()));
        PutU32(record, 3, 4);
        for (std::size_t h = 0; h < m_inkHeads.size(); ++h)
            for (std::size_t r = 0; r < 4; ++r) {
                bytes[20 + 8 * h + r] = m_inkHeads[h][r];
                bytes[24 + 8 * h + r] = m_inkHeads[h][r] ? 1 : 0;
            }
        return KRDM_OK;
    }
    case KRDM_ITEM_PAPER_ADJUST:
        if (!HasHeader(record, KRDM_PAPER_ADJUST_SIZE)) return KRDM_BAD_RECORD;
        std::memcpy(static_cast<std::uint8_t*>(record) + 8, m_values.paperAdjust.data(), m_values.paperAdjust.size());
        return KRDM_OK;
    default:
        return KRDM_BAD_ITEM;
    }
}

int DriverSession::SetData(int item, void* record) {
    const auto plain = reinterpret_cast<std::uintptr_t>(record);
    switch (item) {
    case KRDM_ITEM_SETTINGS_SOURCE:
        if (plain > 1) return KRDM_BAD_VALUE;
        m_values.settingsSource = static_cast<std::uint32_t>(plain);
        return SaveValues();
    case KRDM_ITEM_COLOR_MODE:
        for (const auto& [choice, code] : m_colourCodes)
            if (static_cast<std::uintptr_t>(code) == plain) {
                TakeOption(kColourOption, choice);
                return SaveOptions({kColourOption});
            }
        return KRDM_BAD_VALUE;
    default:
        break;
    }
    if (!record) return KRDM_BAD_RECORD;
    switch (item) {
    case KRDM_ITEM_PAPER_SIZE:
        return SetPaperSize(GetU16(record, 0), GetU16(record, 1), GetU16(record, 2));
    case KRDM_ITEM_MEDIA: {
        const std::uint16_t variant = GetU16(record, 1);
        if (GetU16(record, 0) != 1) return KRDM_BAD_RECORD;
        if (variant == KRDM_VARIANT_MODE1) return SetMediaAndMode(GetU16(record, 2), 1);
        if (variant == KRDM_VARIANT_MODE2) return SetMediaAndMode(GetU16(record, 2), 2);
        return KRDM_BAD_VALUE;
    }
    case KRDM_ITEM_MEDIA_QUALITY: {
        if (!HasHeader(record, 20) || GetU32(record, 2) != 2) return KRDM_BAD_RECORD;
        const std::uint32_t variant = GetU32(record, 4);
        if (variant == KRDM_VARIANT_MODE3) return SetMediaAndMode(GetU32(record, 3), 3);
        if (variant == KRDM_VARIANT_MODE4) return SetMediaAndMode(GetU32(record, 3), 4);
        return KRDM_BAD_VALUE;
    }
    case KRDM_ITEM_OUTPUT_FLAGS:
    case KRDM_ITEM_PRINT_FLAGS:
        if (!HasHeader(record, 12)) return KRDM_BAD_RECORD;
        (item == KRDM_ITEM_OUTPUT_FLAGS ? m_values.outputFlags : m_values.printFlags) = GetU32(record, 2);
        return SaveValues();
    case KRDM_ITEM_PAPER_ADJUST:
        if (!HasHeader(record, KRDM_PAPER_ADJUST_SIZE)) return KRDM_BAD_RECORD;
        std::memcpy(m_values.paperAdjust.data(), static_cast<const std::uint8_t*>(record) + 8,
                    m_values.paperAdjust.size());
        return SaveValues();
    default:
        return KRDM_BAD_ITEM;
    }
}

int DriverSession::SetMediaAndMode(std::uint32_t id, int mode) {
    const Media* m = FindMedia(id);
    if (!m) return KRDM_BAD_VALUE;
    const std::string quality = "Mode" + std::to_string(mode);
    if (!ppdFindChoice(ppdFindOption(m_ppd, kQualityOption), quality.c_str())) return KRDM_BAD_VALUE;
    TakeOption(kMediaOption, m->keyword);
    TakeOption(kQualityOption, quality);
    return SaveOptions({kMediaOption, kQualityOption});
}

int DriverSession::SetPaperSize(std::uint16_t width, std::uint16_t length, std::uint16_t flags) {
    if (width == 0 || length == 0) return KRDM_BAD_VALUE;
    const bool roll = (flags & KRDM_PAPER_ROLL) != 0;
    for (int i = 0; i < m_ppd->num_sizes; ++i) {
        const ppd_size_t& s = m_ppd->sizes[i];
        if (std::strcmp(s.name, "Custom") == 0) continue;
        if (TenthsOfMm(s.width) == width && TenthsOfMm(s.length) == length && IsRollSize(s.name) == roll) {
            TakeOption(kPageSizeOption, s.name);
            return SaveOptions({kPageSizeOption});
        }
    }
    // Any other size is cut from the roll.
    char custom[64];
    std::snprintf(custom, sizeof custom, "Custom.%u.%ux%u.%umm", width / 10u, width % 10u, length / 10u,
                  length % 10u);
    if (!TakeOption(kPageSizeOption, custom)) return KRDM_BAD_VALUE;
    return SaveOptions({kPageSizeOption});
}

int DriverSession::SaveOptions(const std::vector<std::string>& names) {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    cups_dest_t* dest = cupsGetDest(m_printer.c_str(), nullptr, count, dests);
    int result = KRDM_NOT_SAVED;
    if (dest) {
        for (const std::string& name : names)
            dest->num_options = cupsAddOption(name.c_str(), m_current[name].c_str(), dest->num_options, &dest->options);
        if (cupsSetDests2(CUPS_HTTP_DEFAULT, count, dests) == 0) result = KRDM_OK;
    }
    cupsFreeDests(count, dests);
    return result;
}

int DriverSession::SaveValues() {
    return UserSettingsFile::Save(m_userFile, m_values) ? KRDM_OK : KRDM_NOT_SAVED;
}

DeviceMode DriverSession::CurrentDeviceMode() const {
    DeviceMode mode;
    mode.deviceName = m_printer;
    for (const std::string& name : m_optionOrder) mode.options.emplace_back(name, m_current.at(name));
    mode.driverValues = UserSettingsFile::ToEntries(m_values);
    return mode;
}

std::string DriverSession::DriverInfo() const {
    return std::string(m_ppd->nickname ? m_ppd->nickname : "ORVEX") + " driver " + kDriverVersion;
}
