#pragma once

// Page data: a PDF sent through the driver (sample sheets) is printed as it
// came, one sheet per job, and recorded in the job history with its title,
// paper length and page count.

#include "CPrinterCore.h"
#include "JobParser.h"

#include <cstdint>

namespace vprinter {

class CPageDataPrinter {
public:
    static constexpr std::int64_t kSheetMs = 60000; // on the real printer

    explicit CPageDataPrinter(CPrinterCore& core) : m_core(core) {}

    void Print(const JobItem& item, const std::uint8_t* job);

private:
    CPrinterCore& m_core;
};

} // namespace vprinter
