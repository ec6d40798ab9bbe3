#include "DeviceUri.h"

#include <cstdlib>

namespace tqapi {

namespace {

bool ParsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    const int v = std::atoi(text.c_str());
    if (v < 1 || v > 65535) return false;
    port = v;
    return true;
}

} // namespace

bool ParseDeviceUri(const std::string& uri, ChannelConfig& config) {
    config = ChannelConfig{};
    const auto colon = uri.find("://");
    if (colon == std::string::npos) return false;
    const std::string scheme = uri.substr(0, colon);
    std::string rest = uri.substr(colon + 3);

    std::string query;
    const auto q = rest.find('?');
    if (q != std::string::npos) {
        query = rest.substr(q + 1);
        rest = rest.substr(0, q);
    }
    std::string authority = rest.substr(0, rest.find('/'));
    const auto at = authority.rfind('@');
    if (at != std::string::npos) authority = authority.substr(at + 1);
    if (!authority.empty() && authority[0] == '[') {
        const auto close = authority.find(']');
        if (close == std::string::npos) return false;
        config.host = authority.substr(1, close - 1);
    } else {
        config.host = authority.substr(0, authority.find(':'));
    }
    if (config.host.empty()) return false;

    config.network = scheme == "socket" || scheme == "lpd" || scheme == "ipp" || scheme == "ipps" || scheme == "http";
    std::size_t start = 0;
    while (start <= query.size()) {
        std::size_t end = query.find_first_of("&+", start);
        if (end == std::string::npos) end = query.size();
        const std::string option = query.substr(start, end - start);
        const auto eq = option.find('=');
        const std::string name = option.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : option.substr(eq + 1);
        if (name == "tqsnmp") {
            if (value == "off" || value == "no" || value == "false") config.network = false;
            else if (ParsePort(value, config.snmpPort)) config.network = true;
        } else if (name == "tqlocal") {
            config.local = ParsePort(value, config.localPort);
        }
        start = end + 1;
    }
    return true;
}

} // namespace tqapi
