#pragma once

// Page data: a PDF sent through the driver (sample sheets) is printed as it
// came, one sheet per job, and recorded in the job history with its title,
// paper length and page count. The driver's sheet header in front of it says
// which settings the sheet is printed with; without one (or with one the
// printer cannot read) it prints with the printer's own. Each sheet leaves
// its PDF and, beside it, a text file of its settings in the output folder,
// and a sheet record.

#include "CPrinterCore.h"
#include "JobParser.h"
#include "SheetHeader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vprinter {

class CPageDataPrinter {
public:
    static constexpr std::int64_t kSheetMs = 60000; // on the real printer

    explicit CPageDataPrinter(CPrinterCore& core) : m_core(core) {}

    // `header`: the settings of the job's sheet header, none without one;
    // `headerProblem`: why the job's header could not be read, if so.
    void Print(const JobItem& item, const std::uint8_t* job,
               const std::optional<SheetSettings>& header, const std::string& headerProblem);

    // One line of the control port's SHEETS answer.
    static std::string RecordLine(const SheetRecord& record);
    // The text file beside the sheet.
    static std::string SettingsText(const SheetRecord& record);

private:
    CPrinterCore& m_core;
};

} // namespace vprinter
