#pragma once

#include <string>
#include <string_view>
#include <vector>

// Edits the text of a key file in memory the way key files have always been
// written: a key already present in its section is rewritten in place, a new
// key goes after the last line of its section, a new section goes to the end
// of the file; every other line, and each line's own line end, stays as it
// was. Sections and keys are found as CKeyFileReader::GetSectionValue finds
// them (exact, case-sensitive), so what is written is what a lookup reads.
class CKeyFileEditor {
public:
    // `text` is the current file (empty for a new one). New lines take the
    // line end of the text's first line, or `newFileLineEnd` when it has none.
    explicit CKeyFileEditor(std::string_view text, std::string newFileLineEnd = "\r\n");

    void SetValue(const std::string& section, const std::string& key, const std::string& value);
    std::string Text() const;
    const std::string& LineEnd() const { return m_lineEnd; }

private:
    struct Line {
        std::string text; // without its line end
        std::string end;  // "\r\n", "\n", or "" for a last line without one
    };
    static bool IsSectionLine(const std::string& text, const std::string& section);
    void Insert(std::size_t at, std::string text);

    std::vector<Line> m_lines;
    std::string m_lineEnd;
};
