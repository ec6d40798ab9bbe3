#include "CReportSheets.h"

#include "CCustomPaperSlots.h"

#include <ctime>
#include <sstream>

namespace vprinter {

namespace {

// How the sheet names a job's state and its end.
std::string JobStateWords(const JobRecord& job) {
    static const char* const states[] = {"waiting", "printing", "completed", "cancelled", "error"};
    static const char* const ends[] = {"normal end", "cancelled", "stopped by an error"};
    std::string out = job.state >= 1 && job.state <= 5 ? states[job.state - 1] : "unknown";
    if (job.secondState >= 1 && job.secondState <= 3) out += std::string(", ") + ends[job.secondState - 1];
    return out;
}

} // namespace

bool CReportSheets::Print(JobSession& session, const std::vector<std::uint8_t>& p) {
    if (p.size() != 2 || p[0] != 0x00) return false;
    // p names one sheet; it is a code, not a set of bits (3 is the thickness
    // pattern, not the status sheet and the job information).
    struct Sheet {
        int code;
        const char* kind;
        const char* printed;
        std::string (CReportSheets::*render)() const;
    };
    static const Sheet sheets[] = {
        {0x01, "status-sheet", "Status Sheet", &CReportSheets::RenderStatusSheet},
        {0x02, "job-information", "Job Information", &CReportSheets::RenderJobSheet},
        {0x03, "thickness-pattern", "Paper Thickness Pattern", &CReportSheets::RenderThicknessPattern},
        {0x04, "custom-paper-configuration", "Custom Paper Configuration",
         &CReportSheets::RenderCustomConfig},
    };
    for (const Sheet& sheet : sheets) {
        if (p[1] != sheet.code) continue;
        // The sheet tells the state as the job found it.
        const std::string text = (this->*sheet.render)();
        const std::string kind = sheet.kind;
        m_core.StartWork(session, kind, sheet.printed, kSheetMs,
                         [this, kind, text] { m_core.PrintSheet(kind, "txt", text); });
        return true;
    }
    return false;
}

std::string CReportSheets::RenderThicknessPattern() const {
    // The pattern is printed once per thickness step; where the step matches
    // the paper loaded, the two rows of marks meet. The paper loaded is the
    // one of the active setting (the standard setting's paper is 0.3 mm).
    const PrinterState& state = m_core.Working();
    int loaded = 3;
    if (state.activeSetting >= 1 && state.activeSetting <= 10) {
        const CustomSlot& slot = state.slots[static_cast<std::size_t>(state.activeSetting - 1)];
        if (slot.registered && slot.data[31] >= 1 && slot.data[31] <= 16) loaded = slot.data[31];
    }
    std::ostringstream out;
    out << "PAPER THICKNESS PATTERN\n\nActive paper setting: "
        << (state.activeSetting == 0 ? std::string("Standard") : "Custom " + std::to_string(state.activeSetting))
        << "\n\nthickness (0.1 mm)  offset of the rows\n";
    for (int step = 1; step <= 16; ++step) {
        const int offset = step > loaded ? step - loaded : loaded - step;
        out << (step < 10 ? "   " : "  ") << step << "               " << std::string(static_cast<std::size_t>(offset), '-')
            << "|" << (offset == 0 ? "  rows meet" : "") << "\n";
    }
    return out.str();
}

std::string CReportSheets::RenderStatusSheet() const {
    const PrinterState& state = m_core.Working();
    std::ostringstream out;
    out << "STATUS SHEET  " << ModelDriverName(state.model) << "\n\n";
    out << "Firmware version: " << state.firmware << "\n";
    out << "Sheets printed: " << state.sheetsPrinted << "\n";
    out << "Maintenance tank free: " << state.maintenanceCapacity << " %\n";
    out << "Active paper setting: "
        << (state.activeSetting == 0 ? std::string("Standard")
                                     : "Custom " + std::to_string(state.activeSetting))
        << "\n\nInk levels:\n";
    for (int i = 0; i < state.inkCount; ++i)
        out << "  " << InkName(state.inkCount, i) << ": "
            << state.inkLevels[static_cast<std::size_t>(i)] << " %\n";
    out << "\nHead alignment values:\n";
    for (const auto& [key, value] : m_core.Kept().alignment)
        out << "  " << key << " = " << value << "\n";
    return out.str();
}

std::string CReportSheets::RenderJobSheet() const {
    const PrinterState& state = m_core.Working();
    std::ostringstream out;
    out << "JOB INFORMATION\n\n";
    for (auto it = state.jobs.rbegin(); it != state.jobs.rend(); ++it) {
        char when[32] = "";
        const std::time_t t = static_cast<std::time_t>(it->time);
        std::tm tm{};
        localtime_r(&t, &tm);
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &tm);
        out << "Job " << it->number << "  " << it->name << "  (" << it->source << ")  " << when << "  "
            << JobStateWords(*it) << "  " << it->printedPages << " of " << it->pages << " page(s), "
            << it->lengthMm << " mm, " << it->durationS << " s\n";
    }
    return out.str();
}

namespace {

// The printer's words for its setting codes; a code it does not know is
// printed as it is.
std::string CutMethod(std::uint8_t a, std::uint8_t b) {
    if (a == 3 && b == 0x65) return "standard";
    if (a == 2 && b == 0x49) return "thin paper";
    if (a == 1 && b == 0x7E) return "thick paper, slow";
    if (a == 6 && b == 0x65) return "thick paper, fast";
    return "code " + std::to_string(a) + "/" + std::to_string(b);
}

std::string Choice(std::uint8_t v, std::initializer_list<const char*> names) {
    if (v < names.size()) return names.begin()[v];
    return "code " + std::to_string(v);
}

std::string PlatenGap(std::uint8_t v) {
    if (v >= 1 && v <= 4) return Choice(static_cast<std::uint8_t>(v - 1), {"widest", "wider", "standard", "narrow"});
    return "code " + std::to_string(v);
}

std::string FeedSpeed(std::uint8_t v) {
    if (v == 0x00) return "standard";
    if (v == 0x20) return "slow";
    if (v == 0x30) return "fast";
    return "code " + std::to_string(v);
}

} // namespace

std::string CReportSheets::RenderCustomConfig() const {
    std::ostringstream out;
    const PrinterState& kept = m_core.Kept();
    out << "CUSTOM PAPER CONFIGURATION\n\nActive paper setting: "
        << (kept.activeSetting == 0 ? std::string("Standard") : "Custom " + std::to_string(kept.activeSetting))
        << "\n\n";
    for (int i = 0; i < 10; ++i) {
        const CustomSlot& slot = kept.slots[static_cast<std::size_t>(i)];
        const SlotData& d = slot.data;
        out << "Custom " << (i + 1) << ": ";
        if (!slot.registered) {
            out << "(not registered)\n";
            continue;
        }
        // Offsets are those of the write packet minus 9.
        out << CCustomPaperSlots::PrintableName(slot) << "\n"
            << "    media code " << int(d[44]) << ", thickness " << int(d[31]) << " (0.1 mm), platen gap "
            << PlatenGap(d[19]) << "\n"
            << "    feed " << (int(d[22]) - 101) << " (0.01 %), drying " << ((d[36] << 8) | d[37]) / 100
            << " (0.1 s), suction " << (int(d[25]) * 2 - 2) << " %\n"
            << "    cut method " << CutMethod(d[27], d[28]) << ", roll tension "
            << Choice(d[30], {"standard", "low", "high", "extra high"}) << ", feed speed " << FeedSpeed(d[41])
            << "\n";
    }
    return out.str();
}

} // namespace vprinter
