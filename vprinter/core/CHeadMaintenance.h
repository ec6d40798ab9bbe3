#pragma once

// The head's own care: the printed nozzle check pattern ("NC" 00 00), the
// nozzle check by the printer's sensor ("NC" 00 01) and the head cleaning
// ("CH" 00 10).

#include "CPrinterCore.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vprinter {

class CHeadMaintenance {
public:
    // How long each takes on the real printer.
    static constexpr std::int64_t kNozzlePrintMs = 45000;
    static constexpr std::int64_t kNozzleSensorMs = 150000;
    static constexpr std::int64_t kCleaningMs = 60000;
    // Nozzles per ink that the sensor checks.
    static constexpr int kNozzlesPerInk = 360;

    explicit CHeadMaintenance(CPrinterCore& core) : m_core(core) {}

    // False when the parameters are not ones this printer knows.
    bool NozzleCheck(JobSession& session, const std::vector<std::uint8_t>& params);
    bool Cleaning(JobSession& session, const std::vector<std::uint8_t>& params);

    // What the head's sheets show, as small as it can be kept while the
    // work waits: a job may queue thousands of checks.
    struct Head {
        Model model = Model::CorvanMax7100;
        std::string firmware;
        int inkCount = 8;
        std::array<int, 8> inkLevels{};
    };
    Head Snapshot() const;
    static std::string RenderNozzleCheck(const Head& head);
    static std::string RenderNozzleImage(const Head& head); // binary PPM
    static std::string RenderSensorReport(const Head& head);

private:
    CPrinterCore& m_core;
};

} // namespace vprinter
