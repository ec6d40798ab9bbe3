#include "base/CKeyFileEditor.h"

#include <utility>

CKeyFileEditor::CKeyFileEditor(std::string_view text, std::string newFileLineEnd) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t feed = text.find('\n', start);
        Line line;
        if (feed == std::string_view::npos) {
            line.text = std::string(text.substr(start));
            start = text.size();
        } else {
            line.text = std::string(text.substr(start, feed - start));
            line.end = "\n";
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.pop_back();
                line.end = "\r\n";
            }
            start = feed + 1;
        }
        if (m_lineEnd.empty() && !line.end.empty()) m_lineEnd = line.end;
        m_lines.push_back(std::move(line));
    }
    if (m_lineEnd.empty()) m_lineEnd = std::move(newFileLineEnd);
}

bool CKeyFileEditor::IsSectionLine(const std::string& text, const std::string& section) {
    return text.size() == section.size() + 2 && text.front() == '[' && text.back() == ']' &&
           text.compare(1, section.size(), section) == 0;
}

void CKeyFileEditor::Insert(std::size_t at, std::string text) {
    // The line before may have been the file's last, without a line end.
    if (at > 0 && m_lines[at - 1].end.empty()) m_lines[at - 1].end = m_lineEnd;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                   Line{std::move(text), m_lineEnd});
}

void CKeyFileEditor::SetValue(const std::string& section, const std::string& key,
                              const std::string& value) {
    const std::string prefix = key + "=";
    bool inSection = false;
    std::size_t firstSection = m_lines.size();
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        std::string& text = m_lines[i].text;
        if (!text.empty() && text[0] == '[') {
            inSection = IsSectionLine(text, section);
            if (inSection && firstSection == m_lines.size()) firstSection = i;
        } else if (inSection && text.compare(0, prefix.size(), prefix) == 0) {
            text = prefix + value;
            return;
        }
    }
    if (firstSection == m_lines.size()) {
        Insert(m_lines.size(), "[" + section + "]");
        Insert(m_lines.size(), prefix + value);
        return;
    }
    // After the section's last line that is not blank, so a blank line that
    // parts it from the next section stays where it is.
    std::size_t after = firstSection;
    for (std::size_t i = firstSection + 1; i < m_lines.size(); ++i) {
        const std::string& text = m_lines[i].text;
        if (!text.empty() && text[0] == '[') break;
        if (text.find_first_not_of(" \t") != std::string::npos) after = i;
    }
    Insert(after + 1, prefix + value);
}

std::string CKeyFileEditor::Text() const {
    std::string out;
    for (const Line& line : m_lines) {
        out += line.text;
        out += line.end;
    }
    return out;
}
