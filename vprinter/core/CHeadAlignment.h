#pragma once

// Print-head alignment in both printing directions. Each direction has four
// dot-size patterns (#1 to #4); each pattern has a value from 1 to 9 per
// column (8 columns bidirectional, 7 unidirectional), 5 meaning no
// correction. "DA" sets a value in use; "DT" prints a pattern for the
// operator to read (manual alignment) or lets the printer print and measure
// patterns with its sensor and keep what it found (automatic adjustment).
// "PH" and "SN" 01 give the paper thickness and platen gap a job prints with.
// "SV" keeps the values in use, "LD" goes back to the kept ones (CPrinterCore).

#include "CPrinterCore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vprinter {

class CHeadAlignment {
public:
    // How long each takes on the real printer.
    static constexpr std::int64_t kPatternPrintMs = 40000;   // one manual pattern
    static constexpr std::int64_t kAutoBiPatternMs = 240000; // one pattern, bidirectional
    static constexpr std::int64_t kAutoBiAllMs = 900000;     // all four
    static constexpr std::int64_t kAutoUniPatternMs = 180000;
    static constexpr std::int64_t kAutoUniAllMs = 660000;

    explicit CHeadAlignment(CPrinterCore& core) : m_core(core) {}

    // False when the parameters are not ones this printer knows.
    bool PaperThickness(JobSession& session, const std::vector<std::uint8_t>& params);
    bool PlatenGap(JobSession& session, const std::vector<std::uint8_t>& params);
    bool Value(const std::vector<std::uint8_t>& params);
    bool Pattern(JobSession& session, const std::vector<std::uint8_t>& params);

    // "bi.07", "uni.31": the key of a "DA" column code, as the state keeps it.
    static std::string Key(bool bidirectional, int code);
    // The "DA" column code of pattern row 1..4, column 0-based.
    static int Code(bool bidirectional, int row, int column);
    static int Columns(bool bidirectional) { return bidirectional ? 8 : 7; }
    // The platen gap the printer prints with: the job's, or its own choice
    // from the paper thickness.
    static int EffectivePlaten(const JobSession& session);
    // What the sensor finds for one column; from 1 to 9.
    static int MeasuredValue(bool bidirectional, int row, int column, int platen, int thickness);

private:
    std::string RenderPattern(bool bidirectional, int row, const JobSession& session) const;
    void Adjust(JobSession& session, bool bidirectional, int pattern);

    CPrinterCore& m_core;
};

} // namespace vprinter
