#pragma once

#include <cstdio>
#include <set>
#include <string>

// Line-based reader of the utility's key files: "key=value" lines, optionally
// grouped in "[section]"s, with "key:other" redirecting a plain lookup to
// another key. A line is at most 255 characters; a longer one reads as
// several lines. Each lookup reads from the current position, so callers
// open the file just before it.
class CKeyFileReader {
public:
    static constexpr int kMaxLine = 255;
    static constexpr std::size_t kMaxRedirections = 64;

    CKeyFileReader() = default;
    ~CKeyFileReader();
    CKeyFileReader(const CKeyFileReader&) = delete;
    CKeyFileReader& operator=(const CKeyFileReader&) = delete;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

    // 0 with the line (one trailing line feed removed), -1 at end of file.
    int ReadLine(std::string& line);
    // 0 found (out = text after "="), non-zero not found.
    int GetValue(const std::string& key, std::string& out);
    // 0 found, non-zero not found.
    int GetSectionValue(const std::string& section, const std::string& key, std::string& out);

    // Plain lookup of one key in a file: opens, looks up, closes. Empty when
    // the file cannot be opened or the key is absent.
    static std::string Lookup(const std::string& path, const std::string& key);

private:
    enum class Result { Found, NotFound, Ring };
    Result Find(const std::string& key, std::string& out, std::set<std::string>& visiting);

    std::FILE* m_file = nullptr;
};
