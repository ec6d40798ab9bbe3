#pragma once

#include <cstdint>
#include <string>

class BusyIndicator;
class CPrinterLink;

// Watches the printer after a long job went out (automatic adjustment,
// sensor nozzle check) until it has been idle for a while, the operator
// cancels, or the indicator's time-out runs out. The printer counts as done
// when, no earlier than 30 s after the job, three polls at least one second
// apart each found it ready three times in a row, 100 ms apart. Between
// polls the thread blocks on the event queue, so the windows stay alive,
// Cancel is seen at once and no core is kept busy.
class CPrinterWatch {
public:
    enum class Result { Finished, Cancelled, TimedOut, Failed };

    static constexpr int kFirstPollMs = 30000;
    static constexpr int kPollSpacingMs = 1000;
    static constexpr int kConfirmPauseMs = 100;
    static constexpr int kConfirmReads = 2;
    static constexpr int kReadyPollsNeeded = 3;

    CPrinterWatch(CPrinterLink& link, BusyIndicator& busy);

    // `startMs` is the clock's tick when the job went out.
    Result Run(const std::string& printer, std::int64_t startMs);

    // Status reads made by the last Run, for tests and the benchmark.
    int StatusReads() const { return m_reads; }

private:
    CPrinterLink& m_link;
    BusyIndicator& m_busy;
    int m_reads = 0;
};
