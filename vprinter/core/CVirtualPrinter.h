#pragma once

// The printer without its sockets: reads raw jobs and hands each command to
// the printer function it belongs to, answers its back channels, takes
// requests on its control port. Durations run on the given millisecond
// clock, multiplied by the time scale.
//
// Where each function lives:
//   CPrinterCore       settings in use and kept ("SV"/"LD"), status, work in hand, job records,
//   output CPrintEngine       the engine's timeline: one action after another CHeadMaintenance
//   nozzle check print, sensor nozzle check, head cleaning CHeadAlignment     paper thickness and
//   platen gap of a job, alignment values,
//                      manual pattern prints, automatic adjustment
//   CCustomPaperSlots  custom paper slot write and call
//   CReportSheets      status sheet, job information, custom paper configuration
//   CPageDataPrinter   PDF page data (sample sheets)
//   CFirmwareLoader    firmware images and restarts
//   CQueryResponder    queries, status record and device id on the local channel and SNMP
//   CControlInterface  the control port

#include "CControlInterface.h"
#include "CCustomPaperSlots.h"
#include "CFirmwareLoader.h"
#include "CHeadAlignment.h"
#include "CHeadMaintenance.h"
#include "CPageDataPrinter.h"
#include "CPrinterCore.h"
#include "CQueryResponder.h"
#include "CReportSheets.h"
#include "JobParser.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace vprinter {

class CVirtualPrinter {
public:
    using Clock = CPrinterCore::Clock;
    using Options = PrinterOptions;
    using Answer = CQueryResponder::Answer;

    explicit CVirtualPrinter(const Options& options, Clock clock = {});

    // One raw job, as received on the job port.
    void ExecuteJob(const std::uint8_t* data, std::size_t length);
    // A raw job cut by reset-mid-job: the printer lost power while it came
    // in. A job runs only once it has come whole, so none of it runs (a
    // remote-mode job never entered remote mode); it is only logged.
    void JobReset(std::uint64_t bytes) { m_core.AddLog("job reset after " + std::to_string(bytes) + " bytes"); }

    // One command read from the local channel: a query, or the library's
    // "ST" (status) and "DI" (device id) requests.
    Answer AnswerLocal(const std::string& name, const std::vector<std::uint8_t>& params);
    // One SNMP datagram.
    Answer AnswerSnmp(const std::uint8_t* data, std::size_t length);

    // The reply text of a query (without any transport framing); empty when
    // the printer does not answer it.
    std::string QueryReply(const std::string& name, const std::vector<std::uint8_t>& params);

    std::vector<std::uint8_t> StatusReply();
    std::string DeviceId() const { return m_replies.DeviceId(); }
    StatusInfo Status() const { return m_core.Status(); }
    int StateCode() const { return m_core.StateCode(); }

    bool IsOffline() const { return m_core.IsOffline(); }
    // Until a restart ends: its milliseconds left; -1 when no restart runs.
    std::int64_t RestartRemainingMs() const { return m_core.RestartRemainingMs(); }

    // Ends the work whose time is up: its sheets appear, its values are kept.
    void Tick() { m_core.Advance(); }
    // Milliseconds until the next work or restart ends; -1 when nothing will.
    std::int64_t NextEventMs() const;

    // One control line; the answer's first line starts "OK" or "ERR".
    std::vector<std::string> Control(const std::string& line);
    bool QuitRequested() const { return m_control.QuitRequested(); }

    const PrinterState& State() const { return m_core.Working(); }
    const Faults& CurrentFaults() const { return m_core.CurrentFaults(); }
    const std::deque<std::string>& Log() const { return m_core.Log(); }
    std::int64_t BusyRemainingMs() const { return m_core.Engine().RemainingMs(m_core.Now()); }

private:
    void RunCommand(JobSession& session, const JobItem& item);

    CPrinterCore m_core;
    CHeadMaintenance m_maintenance{m_core};
    CHeadAlignment m_alignment{m_core};
    CCustomPaperSlots m_slots{m_core};
    CReportSheets m_reports{m_core};
    CPageDataPrinter m_pageData{m_core};
    CFirmwareLoader m_firmware{m_core};
    CQueryResponder m_replies{m_core};
    CControlInterface m_control{m_core, m_replies, m_firmware};
};

} // namespace vprinter
