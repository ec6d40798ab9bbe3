#include "CHeadAlignment.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

namespace vprinter {

namespace {

constexpr std::uint8_t kBidirectional = 0x00;
constexpr std::uint8_t kUnidirectional = 0x10;
constexpr int kNoCorrection = 5;

bool Direction(std::uint8_t g, bool& bidirectional) {
    if (g != kBidirectional && g != kUnidirectional) return false;
    bidirectional = g == kBidirectional;
    return true;
}

// The nine patterns of one column: the farther from the value that fits,
// the more the two halves of a pattern's lines lean apart.
std::string PatternLine(int fits) {
    std::string line;
    for (int pattern = 1; pattern <= 9; ++pattern)
        line += "  " + std::to_string(pattern) + ":" +
                std::string(static_cast<std::size_t>(std::abs(pattern - fits)), '/') + "|";
    return line;
}

std::string Setting(const JobSession& session) {
    std::ostringstream out;
    out << "Paper thickness: ";
    if (session.thickness < 0)
        out << "not given";
    else
        out << session.thickness / 10 << "." << session.thickness % 10 << " mm";
    out << "   Platen gap: " << CHeadAlignment::EffectivePlaten(session)
        << (session.platen > 0 ? "" : " (chosen by the printer)") << "\n";
    return out.str();
}

} // namespace

std::string CHeadAlignment::Key(bool bidirectional, int code) {
    char key[16];
    std::snprintf(key, sizeof key, "%s.%02X", bidirectional ? "bi" : "uni", code & 0xFF);
    return key;
}

int CHeadAlignment::Code(bool bidirectional, int row, int column) {
    return 16 * (row - 1) + (bidirectional ? 0 : 1) + column;
}

int CHeadAlignment::EffectivePlaten(const JobSession& session) {
    if (session.platen >= 1 && session.platen <= 4) return session.platen;
    // 1 is the widest gap, the only one for thick paper.
    if (session.thickness >= 7) return 1;
    if (session.thickness >= 3) return 2;
    if (session.thickness >= 1) return 3;
    return 2;
}

int CHeadAlignment::MeasuredValue(bool bidirectional, int row, int column, int platen,
                                  int thickness) {
    // The two passes of bidirectional printing drift apart the farther the
    // head is from the paper; the heads' own offsets vary a little per column.
    const int ripple = (row * 3 + column * 5 + std::max(0, thickness)) % 3 - 1;
    const int drift = bidirectional ? (4 - std::clamp(platen, 1, 4) + 1) / 2 : 0;
    return std::clamp(kNoCorrection + drift + ripple, 1, 9);
}

bool CHeadAlignment::PaperThickness(JobSession& session, const std::vector<std::uint8_t>& p) {
    if (p.size() != 2 || p[0] != 0x00 || p[1] == 0) return false;
    session.thickness = p[1];
    return true;
}

bool CHeadAlignment::PlatenGap(JobSession& session, const std::vector<std::uint8_t>& p) {
    // Function 01 of "SN": the platen gap, 0 leaving it to the printer.
    if (p.size() != 3 || p[0] != 0x00 || p[1] != 0x01 || p[2] > 4) return false;
    session.platen = p[2];
    return true;
}

bool CHeadAlignment::Value(const std::vector<std::uint8_t>& p) {
    bool bi = false;
    if (p.size() != 4 || p[0] != 0x00 || !Direction(p[1], bi)) return false;
    const int code = p[2], value = p[3];
    const int row = code >> 4, column = (code & 0x0F) - (bi ? 0 : 1);
    if (row > 3 || column < 0 || column >= Columns(bi)) return false;
    if (value < 1 || value > 9) return false;
    m_core.Working().alignment[Key(bi, code)] = value;
    return true;
}

bool CHeadAlignment::Pattern(JobSession& session, const std::vector<std::uint8_t>& p) {
    bool bi = false;
    if (p.size() != 3 || p[0] != 0x00 || !Direction(p[1], bi)) return false;
    const int x = p[2];
    const int manualBase = bi ? 0x80 : 0x10;
    if (x > manualBase && x <= manualBase + 4) {
        const int row = x - manualBase;
        // Printed with the values in use now, the ones this job sent.
        const std::string text = RenderPattern(bi, row, session);
        const std::string kind = std::string(bi ? "bidirectional" : "unidirectional") +
                                 "-pattern-" + std::to_string(row);
        m_core.StartWork(session, kind, bi ? "Bi-D Alignment Pattern" : "Uni-D Alignment Pattern",
                         kPatternPrintMs,
                         [this, kind, text] { m_core.PrintSheet(kind, "txt", text); });
        return true;
    }
    if (x <= 4) {
        Adjust(session, bi, x);
        return true;
    }
    return false;
}

void CHeadAlignment::Adjust(JobSession& session, bool bi, int pattern) {
    // The printer prints the patterns, reads them with its sensor and keeps
    // what it found, in use and kept alike; nothing changes unless it ends well.
    const int platen = EffectivePlaten(session);
    const std::string setting = Setting(session);
    std::map<std::string, int> measured;
    std::ostringstream report;
    std::vector<std::pair<std::string, std::string>> sheets;
    const char* direction = bi ? "bidirectional" : "unidirectional";
    report << (bi ? "AUTOMATIC BIDIRECTIONAL ALIGNMENT" : "AUTOMATIC UNIDIRECTIONAL ALIGNMENT")
           << "\n"
           << setting;
    for (int row = 1; row <= 4; ++row) {
        if (pattern != 0 && pattern != row) continue;
        std::ostringstream sheet;
        sheet << (bi ? "BIDIRECTIONAL" : "UNIDIRECTIONAL") << " ALIGNMENT PATTERN  #" << row
              << "  (read by the sensor)\n"
              << setting << "\n";
        report << "#" << row << ":";
        for (int c = 0; c < Columns(bi); ++c) {
            const int value = MeasuredValue(bi, row, c, platen, session.thickness);
            measured[Key(bi, Code(bi, row, c))] = value;
            report << " " << value;
            sheet << "Column " << (c + 1) << ":" << PatternLine(value) << "   best " << value
                  << "\n";
        }
        report << "\n";
        sheets.emplace_back(std::string("auto-") + direction + "-pattern-" + std::to_string(row),
                            sheet.str());
    }
    const std::int64_t ms = pattern == 0 ? (bi ? kAutoBiAllMs : kAutoUniAllMs)
                                         : (bi ? kAutoBiPatternMs : kAutoUniPatternMs);
    const std::string name = std::string("automatic ") + direction + " alignment" +
                             (pattern == 0 ? std::string() : " #" + std::to_string(pattern));
    const std::string text = report.str();
    m_core.StartWork(session, name, bi ? "Auto Bi-D Alignment" : "Auto Uni-D Alignment", ms,
                     [this, measured, sheets, text, direction] {
                         for (const auto& [kind, content] : sheets)
                             m_core.PrintSheet(kind, "txt", content);
                         m_core.PrintSheet(std::string("auto-") + direction + "-report", "txt",
                                           text);
                         for (const auto& [key, value] : measured) {
                             m_core.Working().alignment[key] = value;
                             m_core.Kept().alignment[key] = value;
                         }
                     });
}

std::string CHeadAlignment::RenderPattern(bool bi, int row, const JobSession& session) const {
    // Patterns 1 to 9 are printed with the corrections 1 to 9; the one
    // whose lines meet straight is the head's true value, whatever is in use.
    const int platen = EffectivePlaten(session);
    std::ostringstream out;
    out << (bi ? "BIDIRECTIONAL" : "UNIDIRECTIONAL") << " ALIGNMENT PATTERN  #" << row << "\n"
        << Setting(session) << "\n";
    const auto& values = m_core.Working().alignment;
    for (int c = 0; c < Columns(bi); ++c) {
        const auto it = values.find(Key(bi, Code(bi, row, c)));
        const int inUse = it == values.end() ? kNoCorrection : it->second;
        const int fits = MeasuredValue(bi, row, c, platen, session.thickness);
        out << "Column " << (c + 1) << " (in use " << inUse << "):" << PatternLine(fits) << "\n";
    }
    return out.str();
}

} // namespace vprinter
