#include "PrinterReplies.h"

#include <algorithm>
#include <ctime>

namespace vprinter {

namespace {

// Colour codes of the ink entries; an eight-ink head reports 4, 5 and 8 in
// its last three entries, which is how the utility tells it apart.
constexpr std::uint8_t kColours8[8] = {0x01, 0x02, 0x03, 0x06, 0x07, 0x04, 0x05, 0x08};
constexpr std::uint8_t kColours4[4] = {0x01, 0x02, 0x03, 0x04};

std::uint8_t Clamp(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

void PutText(std::vector<std::uint8_t>& out, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
        out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0x00);
}

void Put16(std::vector<std::uint8_t>& out, int v) {
    const int c = std::clamp(v, 0, 65535);
    out.push_back(static_cast<std::uint8_t>(c >> 8));
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
}

} // namespace

std::vector<std::uint8_t> BuildStatusReply(const StatusInfo& info) {
    std::vector<std::uint8_t> fields = {0x01, 0x01, Clamp(info.state), 0x02, 0x01, Clamp(info.errorCode),
                                        0x0D, 0x01, Clamp(info.maintenanceCapacity)};
    const int inks = info.inkCount == 4 ? 4 : 8;
    fields.push_back(0x0F);
    fields.push_back(static_cast<std::uint8_t>(1 + 3 * inks));
    fields.push_back(3);
    for (int i = 0; i < inks; ++i) {
        fields.push_back(0x00);
        fields.push_back(inks == 8 ? kColours8[i] : kColours4[i]);
        fields.push_back(Clamp(info.inkLevels[i]));
    }
    std::vector<std::uint8_t> out(kStatusHeader, kStatusHeader + std::char_traits<char>::length(kStatusHeader));
    out.push_back(static_cast<std::uint8_t>(fields.size() & 0xFF));
    out.push_back(static_cast<std::uint8_t>(fields.size() >> 8));
    out.insert(out.end(), fields.begin(), fields.end());
    return out;
}

std::string BuildDeviceId(Model model, const std::string& description) {
    return std::string("MFG:ORVEX;CMD:ORVEXRC,PDF;MDL:") + ModelName(model) +
           ";CLS:PRINTER;DES:" + description + ";";
}

std::string ReplyVersion(const std::string& firmware) { return "VI:00" + firmware + ";"; }

std::string ReplySN(int level) { return "SN:01" + std::to_string(level) + ";"; }

std::string ReplySlotSettings(const SlotData& data) {
    return "EX:0000001B" + ToHex(data.data(), data.size()) + ";";
}

std::string ReplyNameList(const PrinterState& state, int first) {
    std::string out = "EX:0000001D";
    for (int slot = first; slot < first + 3 && slot <= 10; ++slot) {
        if (slot < 1) continue;
        const CustomSlot& s = state.slots[static_cast<std::size_t>(slot - 1)];
        std::uint8_t entry[34];
        entry[0] = s.registered ? 0x01 : 0x00;
        entry[1] = static_cast<std::uint8_t>(slot);
        // The name field as the settings hold it: 00 00, then 30 characters.
        for (int i = 0; i < 32; ++i) entry[2 + i] = s.registered ? s.data[66 + static_cast<std::size_t>(i)] : 0x20;
        if (!s.registered) entry[2] = entry[3] = 0x00;
        out += ToHex(entry, sizeof entry);
    }
    return out + ";";
}

std::vector<std::uint8_t> JobRecordBytes(const JobRecord& job, int index) {
    std::vector<std::uint8_t> b;
    b.push_back(static_cast<std::uint8_t>(index));
    b.push_back(Clamp(job.number));
    b.push_back(0x00);
    b.push_back(Clamp(job.state));
    b.push_back(Clamp(job.secondState));
    b.push_back(0x00);
    b.push_back(0x00);
    PutText(b, job.source, 16);
    PutText(b, job.name, 32);
    Put16(b, job.lengthMm);
    // The pages the job holds, then how many of them came out.
    Put16(b, job.pages);
    Put16(b, job.printedPages);
    std::tm tm{};
    const std::time_t t = static_cast<std::time_t>(job.time);
    localtime_r(&t, &tm);
    b.push_back(static_cast<std::uint8_t>(tm.tm_year % 100));
    b.push_back(static_cast<std::uint8_t>(tm.tm_mon + 1));
    b.push_back(static_cast<std::uint8_t>(tm.tm_mday));
    b.push_back(static_cast<std::uint8_t>(tm.tm_hour));
    b.push_back(static_cast<std::uint8_t>(tm.tm_min));
    Put16(b, job.durationS);
    return b;
}

std::string ReplyJob(const JobRecord* job, int index) {
    if (!job) return "JI;";
    const std::vector<std::uint8_t> bytes = JobRecordBytes(*job, index);
    return "JI:" + ToHex(bytes.data(), bytes.size()) + ";";
}

std::string ReplyUnknown(const std::string& name) { return name + ":NA;"; }

SlotData MediaSettings(const PrinterState& state, int mediaCode) {
    SlotData d = DefaultSlotData(0);
    d[0] = static_cast<std::uint8_t>(mediaCode);
    d[44] = static_cast<std::uint8_t>(mediaCode);
    const auto it = state.mediaPlaten.find(mediaCode);
    d[19] = static_cast<std::uint8_t>(it != state.mediaPlaten.end() ? it->second : 2);
    return d;
}

} // namespace vprinter
