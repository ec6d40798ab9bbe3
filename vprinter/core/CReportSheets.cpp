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
    if (p.size() != 2 || p[0] != 0x00 || (p[1] & 0x07) == 0) return false;
    struct Sheet {
        int bit;
        const char* kind;
        const char* printed;
        std::string (CReportSheets::*render)() const;
    };
    static const Sheet sheets[] = {
        {0x01, "status-sheet", "Status Sheet", &CReportSheets::RenderStatusSheet},
        {0x02, "job-information", "Job Information", &CReportSheets::RenderJobSheet},
        {0x04, "custom-paper-configuration", "Custom Paper Configuration",
         &CReportSheets::RenderCustomConfig},
    };
    for (const Sheet& sheet : sheets) {
        if (!(p[1] & sheet.bit)) continue;
        // The sheet tells the state as the job found it.
        const std::string text = (this->*sheet.render)();
        const std::string kind = sheet.kind;
        m_core.StartWork(session, kind, sheet.printed, kSheetMs,
                         [this, kind, text] { m_core.PrintSheet(kind, "txt", text); });
    }
    return true;
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

std::string CReportSheets::RenderCustomConfig() const {
    std::ostringstream out;
    out << "CUSTOM PAPER CONFIGURATION\n\n";
    for (int i = 0; i < 10; ++i) {
        const CustomSlot& slot = m_core.Kept().slots[static_cast<std::size_t>(i)];
        out << "Custom " << (i + 1) << ": ";
        if (!slot.registered) {
            out << "(not registered)\n";
            continue;
        }
        out << CCustomPaperSlots::Name(slot) << "\n    media code " << int(slot.data[44])
            << ", thickness " << int(slot.data[31]) << ", platen gap " << int(slot.data[19])
            << ", feed " << (int(slot.data[22]) - 101) << ", drying "
            << ((slot.data[36] << 8) | slot.data[37]) / 100 << ", suction byte "
            << int(slot.data[25]) << "\n";
    }
    return out.str();
}

} // namespace vprinter
