#include "platform/PrivateProfile.h"

#include "base/RegularFile.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace

namespace PrivateProfile {

std::string ReadString(std::string_view text, std::string_view section, std::string_view key,
                       const std::string& def) {
    const std::string_view wantSection = Trim(section);
    const std::string_view wantKey = Trim(key);
    bool inSection = false;
    bool sectionSeen = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            // Only the first section of a name counts; a later one with the
            // same name is not searched.
            if (inSection) return def;
            const std::size_t close = line.find(']');
            const std::string_view name =
                Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
            inSection = !sectionSeen && SameName(name, wantSection);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection) continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (!SameName(Trim(line.substr(0, eq)), wantKey)) continue;
        std::string_view value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return def;
}

}  // namespace PrivateProfile

std::string ReadPrivateProfileString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& def) {
    // The data file's path comes from the driver description of a queue: a
    // FIFO or a device there must not hang the printer selection.
    std::string data;
    if (RegularFile::Read(file, PrivateProfile::kMaxFileSize, data) != RegularFile::Result::Ok) return def;
    return PrivateProfile::ReadString(data, section, key, def);
}
