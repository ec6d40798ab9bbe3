#pragma once

// The printer's behaviour without its sockets: executes raw jobs, answers
// queries and status requests, keeps its state in the state folder, prints
// into the output folder, and takes commands from the control interface.
// Durations run on the given millisecond clock, multiplied by the time scale.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "JobParser.h"
#include "PrinterReplies.h"
#include "PrinterState.h"

namespace vprinter {

struct Faults {
    bool noReply = false;         // queries get no answer
    int lateReplyMs = 0;          // queries are answered this late
    bool garbledReply = false;    // query answers arrive corrupted
    bool truncatedStatus = false; // the status record is cut short
    bool offline = false;         // nothing answers, no job is taken
    bool neverReady = false;      // the status never says ready
    bool wrongDeviceId = false;   // DES: names another printer
    int inkLow = -1;              // this ink reports 20 %
    bool field0DLow = false;      // status field 0D reports 10
    bool errorState = false;      // status state 0
};

class CVirtualPrinter {
public:
    using Clock = std::function<std::int64_t()>; // milliseconds, monotonic

    struct Options {
        std::string stateDir;
        std::string outputDir;
        double timeScale = 1.0;
        bool setModel = false;
        Model model = Model::CorvanMax7100;
        // Off: neither the state file nor printed sheets are written (fuzzing).
        bool writeFiles = true;
    };

    // Bytes to send back, and how long to hold them first (real ms).
    struct Answer {
        bool send = false;
        std::vector<std::uint8_t> bytes;
        int delayMs = 0;
    };

    explicit CVirtualPrinter(const Options& options, Clock clock = {});

    // One raw job, as received on the job port.
    void ExecuteJob(const std::uint8_t* data, std::size_t length);

    // One command read from the local channel: a query, or the library's
    // "ST" (status) and "DI" (device id) requests.
    Answer AnswerLocal(const std::string& name, const std::vector<std::uint8_t>& params);
    // One SNMP datagram.
    Answer AnswerSnmp(const std::uint8_t* data, std::size_t length);

    // The reply text of a query (without any transport framing); empty when
    // the printer does not answer it.
    std::string QueryReply(const std::string& name, const std::vector<std::uint8_t>& params);

    std::vector<std::uint8_t> StatusReply();
    std::string DeviceId() const;
    StatusInfo Status() const;
    int StateCode() const;

    bool IsOffline() const;
    // Until a restart ends: its milliseconds left; -1 when no restart runs.
    std::int64_t RestartRemainingMs() const;

    // One control line; the answer's first line starts "OK" or "ERR".
    std::vector<std::string> Control(const std::string& line);
    bool QuitRequested() const { return m_quit; }

    const PrinterState& State() const { return m_state; }
    const Faults& CurrentFaults() const { return m_faults; }
    const std::deque<std::string>& Log() const { return m_log; }
    std::int64_t BusyRemainingMs() const;

private:
    struct Session; // per-job working values

    void RunCommand(Session& session, const JobItem& item, const std::uint8_t* job);
    void RunFirmware(const JobItem& item, const std::uint8_t* job);
    void RunPdf(const JobItem& item, const std::uint8_t* job);
    void Occupy(std::int64_t unscaledMs);
    std::string PrintFile(const std::string& kind, const std::string& extension, const std::string& content);
    void WriteOutput(const std::string& name, const std::string& content) const;
    void AddJobRecord(const std::string& source, const std::string& name, int lengthMm, int pages, int durationS);
    void Persist();
    void AddLog(const std::string& line);
    std::string GetValue(const std::string& key, bool& ok) const;
    bool SetValue(const std::string& key, const std::string& value);
    std::vector<std::string> Dump() const;
    std::int64_t Now() const;
    void Garble(std::string& text) const;

    // Renderings of what is printed.
    std::string RenderNozzleCheck() const;
    std::string RenderNozzleImage() const; // binary PPM
    std::string RenderStatusSheet() const;
    std::string RenderJobSheet() const;
    std::string RenderCustomConfig() const;
    std::string RenderAlignment(bool bidirectional, int row) const;

    Options m_options;
    Clock m_clock;
    PrinterState m_state;
    PrinterState m_saved; // as of the last "SV": what "LD" goes back to
    Faults m_faults;
    std::int64_t m_busyUntil = 0;
    std::int64_t m_offlineUntil = 0;
    std::string m_pendingFirmware;
    std::deque<std::string> m_log;
    int m_jobsReceived = 0;
    int m_escBar = -1;
    bool m_quit = false;
};

} // namespace vprinter
