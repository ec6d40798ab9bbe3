#include "UserSettingsFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

bool ParseU32(std::string_view text, std::uint32_t& out) {
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

const char kHex[] = "0123456789ABCDEF";

}  // namespace

namespace UserSettingsFile {

std::string PathFor(const std::string& printer) {
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        return {};
    }
    std::string name;
    for (unsigned char c : printer) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-') {
            name += static_cast<char>(c);
        } else {
            name += '%';
            name += kHex[c >> 4];
            name += kHex[c & 15];
        }
    }
    return base + "/ORVEX/krset32/" + name + ".conf";
}

bool Apply(DriverValues& values, std::string_view key, std::string_view value) {
    std::uint32_t n = 0;
    if (key == "SettingsSource") {
        if (!ParseU32(value, n)) return false;
        values.settingsSource = n;
        return true;
    }
    if (key == "OutputFlags") {
        if (!ParseU32(value, n)) return false;
        values.outputFlags = n;
        return true;
    }
    if (key == "PrintFlags") {
        if (!ParseU32(value, n)) return false;
        values.printFlags = n;
        return true;
    }
    if (key == "PaperAdjust") {
        if (value.size() != 2 * values.paperAdjust.size()) return false;
        std::array<std::uint8_t, 12> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const int hi = HexDigit(value[2 * i]);
            const int lo = HexDigit(value[2 * i + 1]);
            if (hi < 0 || lo < 0) return false;
            bytes[i] = static_cast<std::uint8_t>(hi * 16 + lo);
        }
        values.paperAdjust = bytes;
        return true;
    }
    return false;
}

void Parse(std::string_view text, DriverValues& values) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        Apply(values, Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
}

Entries ToEntries(const DriverValues& values) {
    std::string adjust;
    for (std::uint8_t b : values.paperAdjust) {
        adjust += kHex[b >> 4];
        adjust += kHex[b & 15];
    }
    return {{"SettingsSource", std::to_string(values.settingsSource)},
            {"OutputFlags", std::to_string(values.outputFlags)},
            {"PrintFlags", std::to_string(values.printFlags)},
            {"PaperAdjust", adjust}};
}

std::string Format(const DriverValues& values) {
    std::string text = "# ORVEX printer driver settings of this user\n";
    for (const auto& [k, v] : ToEntries(values)) text += k + "=" + v + "\n";
    return text;
}

bool Load(const std::string& path, DriverValues& values) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return !ec;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string text(kMaxFileSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > kMaxFileSize) return false;
    text.resize(got);
    Parse(text, values);
    return true;
}

bool Save(const std::string& path, const DriverValues& values) {
    if (path.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << Format(values);
        out.flush();
        if (!out) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace UserSettingsFile
