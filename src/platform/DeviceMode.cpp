#include "platform/DeviceMode.h"

#include <cstring>

namespace {

constexpr char kMark[4] = {'O', 'D', 'M', '1'};

void PutU16(std::vector<std::uint8_t>& out, std::size_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutU32At(std::vector<std::uint8_t>& out, std::size_t at, std::size_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

bool PutText(std::vector<std::uint8_t>& out, const std::string& s) {
    if (s.size() > 0xFFFF) return false;
    PutU16(out, s.size());
    out.insert(out.end(), s.begin(), s.end());
    return true;
}

std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

class Reader {
public:
    Reader(const std::uint8_t* p, std::size_t size) : m_p(p), m_size(size) {}
    bool Text(std::string& out) {
        if (m_size - m_at < 2) return false;
        const std::size_t len = U16(m_p + m_at);
        m_at += 2;
        if (m_size - m_at < len) return false;
        out.assign(reinterpret_cast<const char*>(m_p + m_at), len);
        m_at += len;
        return true;
    }
    void Skip(std::size_t n) { m_at += n; }
    bool AtEnd() const { return m_at == m_size; }

private:
    const std::uint8_t* m_p;
    std::size_t m_size;
    std::size_t m_at = 0;
};

std::optional<std::string> Find(const DeviceMode::Entries& entries, const std::string& name) {
    for (const auto& [k, v] : entries)
        if (k == name) return v;
    return std::nullopt;
}

void Set(DeviceMode::Entries& entries, const std::string& name, const std::string& value) {
    for (auto& [k, v] : entries)
        if (k == name) {
            v = value;
            return;
        }
    entries.emplace_back(name, value);
}

}  // namespace

std::optional<std::string> DeviceMode::Option(const std::string& name) const { return Find(options, name); }
std::optional<std::string> DeviceMode::DriverValue(const std::string& name) const {
    return Find(driverValues, name);
}
void DeviceMode::SetOption(const std::string& name, const std::string& value) { Set(options, name, value); }
void DeviceMode::SetDriverValue(const std::string& name, const std::string& value) {
    Set(driverValues, name, value);
}

namespace DeviceModeBlock {

std::vector<std::uint8_t> Encode(const DeviceMode& mode) {
    if (mode.options.size() > 0xFFFF || mode.driverValues.size() > 0xFFFF) return {};
    std::vector<std::uint8_t> out(kMark, kMark + 4);
    out.resize(8);
    PutU16(out, mode.options.size());
    PutU16(out, mode.driverValues.size());
    if (!PutText(out, mode.deviceName)) return {};
    for (const auto* entries : {&mode.options, &mode.driverValues})
        for (const auto& [k, v] : *entries)
            if (!PutText(out, k) || !PutText(out, v) || out.size() > kMaxSize) return {};
    PutU32At(out, 4, out.size());
    return out;
}

std::size_t StatedSize(const void* data) {
    if (!data) return 0;
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (std::memcmp(p, kMark, 4) != 0) return 0;
    const std::size_t size = U32(p + 4);
    return size >= kHeaderSize && size <= kMaxSize ? size : 0;
}

std::optional<DeviceMode> Decode(const void* data, std::size_t available) {
    if (!data || available < kHeaderSize) return std::nullopt;
    const std::size_t size = StatedSize(data);
    if (size == 0 || size > available) return std::nullopt;
    const auto* p = static_cast<const std::uint8_t*>(data);
    const std::size_t optionCount = U16(p + 8);
    const std::size_t valueCount = U16(p + 10);
    Reader r(p, size);
    r.Skip(12);
    DeviceMode mode;
    if (!r.Text(mode.deviceName)) return std::nullopt;
    for (std::size_t i = 0; i < optionCount + valueCount; ++i) {
        std::string k, v;
        if (!r.Text(k) || !r.Text(v)) return std::nullopt;
        (i < optionCount ? mode.options : mode.driverValues).emplace_back(std::move(k), std::move(v));
    }
    if (!r.AtEnd()) return std::nullopt;
    return mode;
}

}  // namespace DeviceModeBlock
