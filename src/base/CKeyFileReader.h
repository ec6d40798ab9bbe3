#pragma once

#include <cstddef>
#include <set>
#include <string>

// Line-based reader of the utility's key files: "key=value" lines, optionally
// grouped in "[section]"s, with "key:other" redirecting a plain lookup to
// another key. A line is at most 255 characters; a longer one reads as
// several lines. Each lookup reads from the current position, so callers
// open the file just before it. Only a regular file of at most kMaxFileSize
// bytes opens (a FIFO, a device or a huge file is refused at once); its text
// is read whole when it opens.
class CKeyFileReader {
public:
    static constexpr int kMaxLine = 255;
    static constexpr std::size_t kMaxRedirections = 64;
    static constexpr std::size_t kMaxFileSize = 4u << 20;

    CKeyFileReader() = default;
    ~CKeyFileReader();
    CKeyFileReader(const CKeyFileReader&) = delete;
    CKeyFileReader& operator=(const CKeyFileReader&) = delete;

    bool Open(const std::string& path);
    // Reads from a text already in memory (a file the caller read and
    // checked once), as Open would from a file holding it.
    void OpenText(std::string text);
    void Close();
    bool IsOpen() const { return m_open; }

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

    std::string m_text;
    std::size_t m_pos = 0;
    bool m_open = false;
};
