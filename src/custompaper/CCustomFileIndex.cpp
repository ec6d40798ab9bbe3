#include "custompaper/CCustomFileIndex.h"

#include "base/CKeyFileReader.h"

CCustomFileIndex::CCustomFileIndex(std::string_view text) {
    CKeyFileReader reader;
    reader.OpenText(std::string(text));
    std::map<std::string, std::string>* section = nullptr;
    std::string line;
    while (reader.ReadLine(line) == 0) {
        if (!line.empty() && line[0] == '[') {
            // "[name]" opens the section name; anything else that begins
            // with "[" is in no section.
            section = line.size() >= 2 && line.back() == ']'
                          ? &m_sections[line.substr(1, line.size() - 2)]
                          : nullptr;
        } else if (section) {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos)
                section->try_emplace(line.substr(0, eq), line.substr(eq + 1));
        }
    }
}

const std::string* CCustomFileIndex::Find(const std::string& section,
                                          const std::string& key) const {
    const auto s = m_sections.find(section);
    if (s == m_sections.end()) return nullptr;
    const auto k = s->second.find(key);
    return k == s->second.end() ? nullptr : &k->second;
}
