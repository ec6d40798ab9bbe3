#include "PrinterState.h"

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vprinter {

const char* ModelDriverName(Model model) {
    return model == Model::QZ7100 ? "ORVEX QZ-7100" : "ORVEX Corvan Max 7100";
}
const char* ModelName(Model model) { return model == Model::QZ7100 ? "QZ-7100" : "Corvan Max 7100"; }
const char* ModelKey(Model model) { return model == Model::QZ7100 ? "qz" : "corvan"; }

bool ParseModel(const std::string& text, Model& model) {
    if (text == "corvan" || text == "Corvan Max 7100" || text == "ORVEX Corvan Max 7100") {
        model = Model::CorvanMax7100;
        return true;
    }
    if (text == "qz" || text == "QZ-7100" || text == "ORVEX QZ-7100") {
        model = Model::QZ7100;
        return true;
    }
    return false;
}

const char* InkName(int inkCount, int index) {
    static const char* names8[8] = {"Photo Black", "Cyan",   "Magenta",     "Light Cyan",
                                    "Light Magenta", "Yellow", "Light Black", "Matte Black"};
    static const char* names4[4] = {"Black", "Cyan", "Magenta", "Yellow"};
    if (index < 0 || index >= (inkCount == 4 ? 4 : 8)) return "";
    return inkCount == 4 ? names4[index] : names8[index];
}

SlotData DefaultSlotData(int slotNumber) {
    // Offsets are those of the write packet minus 9.
    SlotData d{};
    d[0] = static_cast<std::uint8_t>(slotNumber);
    d[1] = 0x00;
    for (std::size_t i = 2; i < 66; ++i) d[i] = 0xFF;
    d[19] = 2;           // platen gap
    d[22] = d[23] = 101; // paper feed 0
    d[25] = 51;          // suction standard
    d[27] = 3;           // cut pair of method 0
    d[28] = 0x65;
    d[30] = 0;           // roller
    d[31] = 1;           // thickness
    d[36] = d[37] = 0;   // drying time
    d[41] = 0x00;        // three-way choice
    d[44] = 0;           // media code
    d[65] = 0x01;
    d[66] = d[67] = 0x00;
    for (std::size_t i = 68; i < kSlotDataSize; ++i) d[i] = 0x20;
    return d;
}

PrinterState::PrinterState() {
    for (int i = 0; i < 10; ++i) slots[static_cast<std::size_t>(i)].data = DefaultSlotData(i + 1);
}

std::string ToHex(const std::uint8_t* data, std::size_t length) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 0x0F]);
    }
    return out;
}

std::string SpacedHex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, i ? " %02X" : "%02X", bytes[i]);
        out += buf;
    }
    return out;
}

bool FromHex(const std::string& hex, std::vector<std::uint8_t>& out) {
    if (hex.size() % 2) return false;
    out.clear();
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return true;
}

namespace {

std::string StatePath(const std::string& folder) { return folder + "/printer.state"; }

// Job texts may hold any byte; they are stored hex-encoded.
std::string EncodeText(const std::string& text) {
    return ToHex(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}
std::string DecodeText(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    if (!FromHex(hex, bytes)) return {};
    return std::string(bytes.begin(), bytes.end());
}

bool ToInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

void SetInt(const std::string& text, int& target, int lo, int hi) {
    long long v = 0;
    if (ToInt(text, v) && v >= lo && v <= hi) target = static_cast<int>(v);
}

} // namespace

bool LoadPrinterState(const std::string& folder, PrinterState& state) {
    std::ifstream in(StatePath(folder));
    if (!in) return true;
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "model") {
            ParseModel(value, state.model);
        } else if (key == "firmware") {
            if (value.size() == 6) state.firmware = value;
        } else if (key == "inks") {
            SetInt(value, state.inkCount, 4, 8);
            if (state.inkCount != 4) state.inkCount = 8;
        } else if (key.rfind("ink.", 0) == 0) {
            int index = -1;
            SetInt(key.substr(4), index, 0, 7);
            if (index >= 0) SetInt(value, state.inkLevels[static_cast<std::size_t>(index)], 0, 100);
        } else if (key == "maintenance") {
            SetInt(value, state.maintenanceCapacity, 0, 255);
        } else if (key == "active") {
            SetInt(value, state.activeSetting, 0, 10);
        } else if (key == "sn") {
            SetInt(value, state.snLevel, 0, 255);
        } else if (key == "next-job") {
            SetInt(value, state.nextJobNumber, 1, 255);
        } else if (key == "sheets") {
            SetInt(value, state.sheetsPrinted, 0, 1 << 30);
        } else if (key.rfind("slot.", 0) == 0) {
            int index = -1;
            SetInt(key.substr(5), index, 1, 10);
            if (index < 1) continue;
            // registered flag, then the settings bytes
            const auto comma = value.find(',');
            if (comma == std::string::npos) continue;
            std::vector<std::uint8_t> bytes;
            if (!FromHex(value.substr(comma + 1), bytes) || bytes.size() != kSlotDataSize) continue;
            CustomSlot& slot = state.slots[static_cast<std::size_t>(index - 1)];
            slot.registered = value.substr(0, comma) == "1";
            std::copy(bytes.begin(), bytes.end(), slot.data.begin());
        } else if (key.rfind("align.", 0) == 0) {
            int v = 0;
            SetInt(value, v, 0, 255);
            state.alignment[key.substr(6)] = v;
        } else if (key.rfind("media-platen.", 0) == 0) {
            int code = -1, v = 0;
            SetInt(key.substr(13), code, 0, 255);
            SetInt(value, v, 0, 255);
            if (code >= 0) state.mediaPlaten[code] = v;
        } else if (key == "job") {
            // number,state,second,source,name,length,printed,pages,time,duration
            std::vector<std::string> parts;
            std::stringstream ss(value);
            std::string part;
            while (std::getline(ss, part, ',')) parts.push_back(part);
            if (parts.size() != 10) continue;
            JobRecord job;
            SetInt(parts[0], job.number, 0, 255);
            SetInt(parts[1], job.state, 0, 255);
            SetInt(parts[2], job.secondState, 0, 255);
            job.source = DecodeText(parts[3]);
            job.name = DecodeText(parts[4]);
            SetInt(parts[5], job.lengthMm, 0, 65535);
            SetInt(parts[6], job.printedPages, 0, 65535);
            SetInt(parts[7], job.pages, 0, 65535);
            long long t = 0;
            if (ToInt(parts[8], t)) job.time = t;
            SetInt(parts[9], job.durationS, 0, 65535);
            state.jobs.push_back(job);
        }
    }
    return true;
}

bool SavePrinterState(const std::string& folder, const PrinterState& state) {
    ::mkdir(folder.c_str(), 0755);
    std::ostringstream out;
    out << "model=" << ModelKey(state.model) << "\n";
    out << "firmware=" << state.firmware << "\n";
    out << "inks=" << state.inkCount << "\n";
    for (std::size_t i = 0; i < state.inkLevels.size(); ++i) out << "ink." << i << "=" << state.inkLevels[i] << "\n";
    out << "maintenance=" << state.maintenanceCapacity << "\n";
    out << "active=" << state.activeSetting << "\n";
    out << "sn=" << state.snLevel << "\n";
    out << "next-job=" << state.nextJobNumber << "\n";
    out << "sheets=" << state.sheetsPrinted << "\n";
    for (std::size_t i = 0; i < state.slots.size(); ++i)
        out << "slot." << (i + 1) << "=" << (state.slots[i].registered ? 1 : 0) << ","
            << ToHex(state.slots[i].data.data(), state.slots[i].data.size()) << "\n";
    for (const auto& [key, value] : state.alignment) out << "align." << key << "=" << value << "\n";
    for (const auto& [code, value] : state.mediaPlaten) out << "media-platen." << code << "=" << value << "\n";
    for (const JobRecord& job : state.jobs)
        out << "job=" << job.number << "," << job.state << "," << job.secondState << "," << EncodeText(job.source)
            << "," << EncodeText(job.name) << "," << job.lengthMm << "," << job.printedPages << "," << job.pages << ","
            << job.time << "," << job.durationS << "\n";

    const std::string path = StatePath(folder);
    const std::string temp = path + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        if (!file) return false;
        file << out.str();
        file.flush();
        if (!file) return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace vprinter
