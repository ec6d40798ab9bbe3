#pragma once

// What every printer function works on: the settings in use and the ones
// kept by "SV", the faults, the print engine with its work in hand, the job
// records, the log and the output folder.

#include "CPrintEngine.h"
#include "Faults.h"
#include "JobSession.h"
#include "PrinterReplies.h"
#include "PrinterState.h"
#include "SheetHeader.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>

namespace vprinter {

struct PrinterOptions {
    std::string stateDir;
    std::string outputDir;
    double timeScale = 1.0;
    bool setModel = false;
    Model model = Model::CorvanMax7100;
    // Off: neither the state file nor printed sheets are written (fuzzing).
    bool writeFiles = true;
};

// A printed sheet of page data and the settings it was printed with.
struct SheetRecord {
    std::string sheet;       // its file in the output folder
    std::string source;      // "job", "printer", or "bad-header:<problem>"
    SheetSettings settings;  // as printed; `given` says which the job set
};

class CPrinterCore {
public:
    using Clock = std::function<std::int64_t()>; // milliseconds, monotonic

    CPrinterCore(const PrinterOptions& options, Clock clock);

    std::int64_t Now() const { return m_clock(); }
    // A duration of the real printer at this printer's time scale.
    std::int64_t Scaled(std::int64_t ms) const;
    PrinterOptions& Options() { return m_options; }
    const PrinterOptions& Options() const { return m_options; }

    // The settings in use, and the ones kept by "SV" (and across restarts).
    PrinterState& Working() { return m_state; }
    const PrinterState& Working() const { return m_state; }
    PrinterState& Kept() { return m_saved; }
    const PrinterState& Kept() const { return m_saved; }
    // "SV": the custom paper slots, alignment values and active setting in
    // use are kept. "LD" (and switching on): they go back to the kept ones.
    void KeepSettings();
    void RecallSettings();

    Faults& CurrentFaults() { return m_faults; }
    const Faults& CurrentFaults() const { return m_faults; }
    // After a fault changed: a hung engine stands still, an error fails the
    // work in hand.
    void FaultsChanged();

    // Queues work for the engine: `unscaledMs` as the real printer takes,
    // `done` when it has ended well. When `printed` names what it prints, it
    // counts as a sheet in the job's record (made on the job's first sheet).
    // `pages` is what it prints into its job's record once it ended well (-1:
    // one when `printed` names a sheet, else none). False when the engine
    // refuses more.
    bool StartWork(JobSession& session, const std::string& name, const std::string& printed,
                   std::int64_t unscaledMs, std::function<void()> done,
                   std::function<void()> failed = {}, int pages = -1);
    // Busy with nothing in particular for `ms` (real milliseconds).
    void Occupy(std::int64_t ms);
    // Ends the work whose time is up; under an error the work in hand fails.
    void Advance();
    // The work in hand ends at once, each action as if its time were up.
    void FinishAll();
    // Switched off: the work in hand is lost.
    void DropAll(const std::string& why);
    const CPrintEngine& Engine() const { return m_engine; }

    // Switched off and on again: offline for `ms`.
    void Restart(std::int64_t ms);
    void EndRestart() { m_offlineUntil = 0; }
    bool IsOffline() const;
    // Until a restart ends: its milliseconds left; -1 when no restart runs.
    std::int64_t RestartRemainingMs() const;

    int StateCode() const;
    StatusInfo Status() const;

    // A record for the job history; the remote job's record counts every
    // sheet it prints. Returns the record's number.
    int RecordJob(JobSession& session, const std::string& source, const std::string& name,
                  int lengthMm, int pages, std::int64_t unscaledMs);

    // Writes a printed sheet as "NNNN-kind.ext" into the output folder and
    // returns its name; WriteBeside writes another form of the same sheet.
    std::string PrintSheet(const std::string& kind, const std::string& extension,
                           const std::string& content);
    // Large content waits for its sheet in a hidden file of the output folder
    // rather than in memory: HoldOutput returns its name, PrintHeld makes it
    // the next sheet, DropHeld removes it.
    std::string HoldOutput(const std::string& content);
    std::string PrintHeld(const std::string& kind, const std::string& extension,
                          const std::string& held);
    void DropHeld(const std::string& held);
    void WriteBeside(const std::string& sheet, const std::string& extension,
                     const std::string& content);

    void AddLog(const std::string& line);
    const std::deque<std::string>& Log() const { return m_log; }
    void ClearLog() { m_log.clear(); }

    // The sheets of page data printed since the start (the newest
    // kSheetRecordLimit), oldest first.
    void AddSheetRecord(SheetRecord record);
    const std::deque<SheetRecord>& SheetRecords() const { return m_sheetRecords; }
    void ClearSheetRecords() { m_sheetRecords.clear(); }

    void CountJob() { ++m_jobsReceived; }
    int JobsReceived() const { return m_jobsReceived; }
    int EscBar() const { return m_escBar; }
    void SetEscBar(int value) { m_escBar = value; }

    // Writes the state file: what is kept, plus what the printer counts.
    void Persist();

private:
    void WriteOutput(const std::string& name, const std::string& content) const;
    void Fail(std::vector<EngineAction> actions, const std::string& why, bool cancelled);
    // An action ended well: what it leaves behind, and its pages in its record.
    void Done(EngineAction& action);
    bool UpdateJobRecords();
    JobRecord* FindJob(int number);

    PrinterOptions m_options;
    Clock m_clock;
    PrinterState m_state;
    PrinterState m_saved;
    Faults m_faults;
    CPrintEngine m_engine;
    std::set<int> m_openJobs; // records of jobs with work in hand
    std::map<int, bool>
        m_stoppedJobs; // of these, the ones stopped: true cancelled, false by an error
    std::int64_t m_offlineUntil = 0;
    std::deque<std::string> m_log;
    std::deque<SheetRecord> m_sheetRecords;
    int m_jobsReceived = 0;
    int m_escBar = -1;
    int m_nextHeld = 1;
};

} // namespace vprinter
