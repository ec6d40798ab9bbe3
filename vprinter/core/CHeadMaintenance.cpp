#include "CHeadMaintenance.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace vprinter {

namespace {

constexpr std::uint8_t kCleaningNormal = 0x10;

} // namespace

bool CHeadMaintenance::NozzleCheck(JobSession& session, const std::vector<std::uint8_t>& p) {
    if (p.size() != 2 || p[0] != 0x00 || p[1] > 0x01) return false;
    if (p[1] == 0x00) {
        // The pattern shows the head as it is when the job arrives.
        const Head head = Snapshot();
        m_core.StartWork(session, "nozzle check print", "Nozzle Check", kNozzlePrintMs,
                         [this, head] {
                             const std::string sheet =
                                 m_core.PrintSheet("nozzle-check", "txt", RenderNozzleCheck(head));
                             m_core.WriteBeside(sheet, "ppm", RenderNozzleImage(head));
                         });
        return true;
    }
    // The sensor reads the nozzles while it checks; the report comes out at the end.
    m_core.StartWork(session, "sensor nozzle check", "", kNozzleSensorMs, [this] {
        m_core.PrintSheet("nozzle-sensor-report", "txt", RenderSensorReport(Snapshot()));
    });
    return true;
}

bool CHeadMaintenance::Cleaning(JobSession& session, const std::vector<std::uint8_t>& p) {
    // The one cleaning this printer offers to the utility.
    if (p.size() != 2 || p[0] != 0x00 || p[1] != kCleaningNormal) return false;
    // The ink is flushed through the head into the maintenance tank as the
    // cleaning starts.
    PrinterState& state = m_core.Working();
    for (int i = 0; i < state.inkCount; ++i) {
        int& level = state.inkLevels[static_cast<std::size_t>(i)];
        level = std::max(0, level - 1);
    }
    state.maintenanceCapacity = std::max(0, state.maintenanceCapacity - 2);
    m_core.StartWork(session, "head cleaning", "", kCleaningMs, {});
    return true;
}

CHeadMaintenance::Head CHeadMaintenance::Snapshot() const {
    const PrinterState& state = m_core.Working();
    return Head{state.model, state.firmware, state.inkCount, state.inkLevels};
}

std::string CHeadMaintenance::RenderNozzleCheck(const Head& state) {
    std::ostringstream out;
    out << "NOZZLE CHECK PATTERN  " << ModelDriverName(state.model) << "\n";
    out << "Firmware " << state.firmware << "\n";
    out << "\n";
    for (int i = 0; i < state.inkCount; ++i) {
        char label[20];
        std::snprintf(label, sizeof label, "%-14s", InkName(state.inkCount, i));
        out << label;
        // A staircase of short lines, one per nozzle group; an empty ink
        // leaves its lines out.
        const bool fires = state.inkLevels[static_cast<std::size_t>(i)] > 0;
        for (int step = 0; step < 4; ++step)
            out << std::string(static_cast<std::size_t>(step), ' ')
                << (fires ? "|||||||| " : "         ");
        out << "\n";
    }
    return out.str();
}

std::string CHeadMaintenance::RenderNozzleImage(const Head& state) {
    // One band per ink: four staircase steps of eight nozzle lines each. An
    // empty ink leaves its lines out, as a clogged head would.
    static const std::uint8_t colours8[8][3] = {{0, 0, 0},       {0, 160, 225},   {215, 0, 125},
                                                {120, 205, 240}, {240, 140, 200}, {250, 215, 0},
                                                {110, 110, 110}, {40, 40, 40}};
    static const std::uint8_t colours4[4][3] = {
        {0, 0, 0}, {0, 160, 225}, {215, 0, 125}, {250, 215, 0}};
    const int inks = state.inkCount;
    const int width = 360, band = 48, height = band * inks + 16;
    std::string pixels(static_cast<std::size_t>(width * height * 3), static_cast<char>(255));
    auto put = [&](int x, int y, const std::uint8_t* rgb) {
        const std::size_t at = static_cast<std::size_t>((y * width + x) * 3);
        pixels[at] = static_cast<char>(rgb[0]);
        pixels[at + 1] = static_cast<char>(rgb[1]);
        pixels[at + 2] = static_cast<char>(rgb[2]);
    };
    for (int ink = 0; ink < inks; ++ink) {
        const std::uint8_t* rgb = inks == 8 ? colours8[ink] : colours4[ink];
        if (state.inkLevels[static_cast<std::size_t>(ink)] <= 0) continue;
        for (int step = 0; step < 4; ++step)
            for (int line = 0; line < 8; ++line) {
                const int x0 = 12 + step * 86 + line * 10;
                const int y0 = 8 + ink * band + step * 6;
                for (int y = y0; y < y0 + 24; ++y)
                    for (int x = x0; x < x0 + 3; ++x)
                        put(x, y, rgb);
            }
    }
    return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" + pixels;
}

std::string CHeadMaintenance::RenderSensorReport(const Head& state) {
    std::ostringstream out;
    out << "AUTOMATIC NOZZLE CHECK (SENSOR)  " << ModelDriverName(state.model) << "\n\n";
    std::string missing;
    for (int i = 0; i < state.inkCount; ++i) {
        // Without ink no nozzle of that colour fires.
        const bool fires = state.inkLevels[static_cast<std::size_t>(i)] > 0;
        char line[80];
        std::snprintf(line, sizeof line, "%-14s %3d of %d nozzles fire\n",
                      InkName(state.inkCount, i), fires ? kNozzlesPerInk : 0, kNozzlesPerInk);
        out << line;
        if (!fires)
            missing += std::string(missing.empty() ? "" : ", ") + InkName(state.inkCount, i);
    }
    out << "\nResult: " << (missing.empty() ? "all nozzles fire" : "nozzles missing: " + missing)
        << "\n";
    return out.str();
}

} // namespace vprinter
