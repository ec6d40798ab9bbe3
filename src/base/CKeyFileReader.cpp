#include "base/CKeyFileReader.h"

#include "base/RegularFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

CKeyFileReader::~CKeyFileReader() { Close(); }

bool CKeyFileReader::Open(const std::string& path) {
    Close();
    m_open = RegularFile::Read(path, kMaxFileSize, m_text) == RegularFile::Result::Ok;
    return m_open;
}

void CKeyFileReader::OpenText(std::string text) {
    Close();
    m_text = std::move(text);
    m_open = true;
}

void CKeyFileReader::Close() {
    m_text.clear();
    m_pos = 0;
    m_open = false;
}

int CKeyFileReader::ReadLine(std::string& line) {
    if (!m_open || m_pos >= m_text.size()) return -1;
    // As a 256-byte line buffer reads: up to and with the line feed, at most
    // 255 bytes; the text of the line ends at its first zero byte.
    const std::size_t room = std::min<std::size_t>(kMaxLine, m_text.size() - m_pos);
    const char* start = m_text.data() + m_pos;
    const void* feed = std::memchr(start, '\n', room);
    const std::size_t taken = feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - start) + 1 : room;
    m_pos += taken;
    const void* zero = std::memchr(start, '\0', taken);
    line.assign(start, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - start) : taken);
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        // Files written on other systems end lines with CR LF; text mode on
        // such systems would have folded the pair into one line feed.
        if (!line.empty() && line.back() == '\r') line.pop_back();
    }
    return 0;
}

CKeyFileReader::Result CKeyFileReader::Find(const std::string& key, std::string& out,
                                            std::set<std::string>& visiting) {
    std::string line;
    while (ReadLine(line) == 0) {
        if (line.size() <= key.size() || line.compare(0, key.size(), key) != 0) continue;
        const char next = line[key.size()];
        if (next == '=') {
            out = line.substr(key.size() + 1);
            return Result::Found;
        }
        if (next == ':') {
            // A key that names itself, or keys naming each other in a ring,
            // would loop forever: such a lookup ends as not found.
            // A very long chain is treated the same way, so no file can make
            // the lookup recurse without bound.
            if (visiting.size() >= kMaxRedirections || !visiting.insert(key).second)
                return Result::Ring;
            m_pos = 0;
            const Result inner = Find(line.substr(key.size() + 1), out, visiting);
            return inner == Result::Ring ? Result::Ring : Result::Found;
        }
    }
    return Result::NotFound;
}

int CKeyFileReader::GetValue(const std::string& key, std::string& out) {
    std::set<std::string> visiting;
    return Find(key, out, visiting) == Result::Found ? 0 : -1;
}

int CKeyFileReader::GetSectionValue(const std::string& section, const std::string& key,
                                    std::string& out) {
    const std::string header = section + "]";
    const std::string prefix = key + "=";
    bool inSection = false;
    std::string line;
    while (ReadLine(line) == 0) {
        if (!line.empty() && line[0] == '[') {
            inSection = line.compare(1, std::string::npos, header) == 0;
        } else if (inSection && line.compare(0, prefix.size(), prefix) == 0) {
            out = line.substr(prefix.size());
            return 0;
        }
    }
    return -1;
}

std::string CKeyFileReader::Lookup(const std::string& path, const std::string& key) {
    CKeyFileReader reader;
    std::string value;
    if (!reader.Open(path) || reader.GetValue(key, value) != 0) return {};
    return value;
}
