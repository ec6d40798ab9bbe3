#pragma once

// The sheets the printer prints about itself on "SS" 00 p: 1 the status
// sheet, 2 the job information, 3 the paper thickness pattern, 4 the custom
// paper configuration.

#include "CPrinterCore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vprinter {

class CReportSheets {
public:
    static constexpr std::int64_t kSheetMs = 30000; // each sheet on the real printer

    explicit CReportSheets(CPrinterCore& core) : m_core(core) {}

    // False when the parameters are not ones this printer knows.
    bool Print(JobSession& session, const std::vector<std::uint8_t>& params);

    std::string RenderStatusSheet() const;
    std::string RenderJobSheet() const;
    std::string RenderCustomConfig() const;
    std::string RenderThicknessPattern() const;

private:
    CPrinterCore& m_core;
};

} // namespace vprinter
