#pragma once

#include <map>
#include <string>
#include <string_view>

// The values of one read of a key file by section and key, each as
// CKeyFileReader::GetSectionValue would find it (the first matching line),
// so many lookups cost one pass over the file.
class CCustomFileIndex {
public:
    CCustomFileIndex() = default;
    explicit CCustomFileIndex(std::string_view text);

    // The value, or null when the lookup would fail.
    const std::string* Find(const std::string& section, const std::string& key) const;

private:
    std::map<std::string, std::map<std::string, std::string>, std::less<>> m_sections;
};
