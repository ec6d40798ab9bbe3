#include "base/CKeyFileReader.h"

CKeyFileReader::~CKeyFileReader() { Close(); }

bool CKeyFileReader::Open(const std::string& path) {
    Close();
    m_file = std::fopen(path.c_str(), "r");
    return m_file != nullptr;
}

void CKeyFileReader::Close() {
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

int CKeyFileReader::ReadLine(std::string& line) {
    if (!m_file) return -1;
    char buf[kMaxLine + 1];
    if (!std::fgets(buf, sizeof buf, m_file)) return -1;
    line.assign(buf);
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
            std::rewind(m_file);
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
