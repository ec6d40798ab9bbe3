#include "CVirtualPrinter.h"

#include <algorithm>

namespace vprinter {

CVirtualPrinter::CVirtualPrinter(const Options& options, Clock clock)
    : m_core(options, std::move(clock)) {}

void CVirtualPrinter::ExecuteJob(const std::uint8_t* data, std::size_t length) {
    m_core.Advance();
    m_core.CountJob();
    m_core.AddLog("job " + std::to_string(length) + " bytes");
    const ParsedJob job = ParseJob(data, length);
    JobSession session;
    for (const JobItem& item : job.items) {
        switch (item.kind) {
        case JobItem::Kind::EnterRemote:
            session.remote = true;
            m_core.AddLog("enter-remote");
            break;
        case JobItem::Kind::ExitRemote:
            session.remote = false;
            m_core.AddLog("exit-remote");
            break;
        case JobItem::Kind::Reset:
            // The printer starts afresh: what the job chose so far is gone.
            session.thickness = session.platen = -1;
            session.sheet.reset();
            session.badSheetHeader.clear();
            break;
        case JobItem::Kind::FormFeed:
            break;
        case JobItem::Kind::Command:
            RunCommand(session, item);
            break;
        case JobItem::Kind::EscBar:
            m_core.SetEscBar(item.params.empty() ? -1 : item.params[0]);
            m_core.AddLog("escbar " + std::to_string(m_core.EscBar()));
            break;
        case JobItem::Kind::Firmware:
            m_firmware.Load(item, data);
            break;
        case JobItem::Kind::SheetHeader:
            // It sets the next page data of the job; an unreadable one
            // leaves that to the printer's own settings.
            if (item.header.status == SheetHeaderStatus::Ok) {
                session.sheet = item.header.settings;
                session.badSheetHeader.clear();
                m_core.AddLog("sheet header");
            } else {
                session.sheet.reset();
                session.badSheetHeader = SheetHeaderProblem(item.header.status);
                m_core.AddLog("bad sheet header: " + session.badSheetHeader);
            }
            break;
        case JobItem::Kind::Pdf:
            m_pageData.Print(item, data, session.sheet, session.badSheetHeader);
            session.sheet.reset();
            session.badSheetHeader.clear();
            break;
        }
    }
    if (job.skippedBytes) m_core.AddLog("skipped " + std::to_string(job.skippedBytes) + " bytes");
    m_core.Advance();
    m_core.Persist();
}

void CVirtualPrinter::RunCommand(JobSession& session, const JobItem& item) {
    const std::string& n = item.name;
    const std::vector<std::uint8_t>& p = item.params;
    m_core.AddLog(n + (p.empty() ? "" : " " + SpacedHex(p)));
    bool known = true;
    if (n == "SV")
        m_core.KeepSettings();
    else if (n == "LD")
        m_core.RecallSettings();
    else if (n == "VI")
        known = p.size() == 2; // the version is printed on the nozzle check sheet anyway
    else if (n == "NC")
        known = m_maintenance.NozzleCheck(session, p);
    else if (n == "CH")
        known = m_maintenance.Cleaning(session, p);
    else if (n == "PH")
        known = m_alignment.PaperThickness(session, p);
    else if (n == "SN")
        known = m_alignment.PlatenGap(session, p);
    else if (n == "DA")
        known = m_alignment.Value(p);
    else if (n == "DT")
        known = m_alignment.Pattern(session, p);
    else if (n == "EX")
        known = m_slots.Command(p);
    else if (n == "SS")
        known = m_reports.Print(session, p);
    else
        known = false;
    // Anything else is not a command this printer knows; it goes on with the next.
    if (!known) m_core.AddLog("ignored " + n);
}

CVirtualPrinter::Answer CVirtualPrinter::AnswerLocal(const std::string& name,
                                                     const std::vector<std::uint8_t>& params) {
    m_core.Advance();
    return m_replies.AnswerLocal(name, params);
}

CVirtualPrinter::Answer CVirtualPrinter::AnswerSnmp(const std::uint8_t* data, std::size_t length) {
    m_core.Advance();
    return m_replies.AnswerSnmp(data, length);
}

std::string CVirtualPrinter::QueryReply(const std::string& name,
                                        const std::vector<std::uint8_t>& params) {
    m_core.Advance();
    return m_replies.QueryReply(name, params);
}

std::vector<std::uint8_t> CVirtualPrinter::StatusReply() {
    m_core.Advance();
    return m_replies.StatusReply();
}

std::int64_t CVirtualPrinter::NextEventMs() const {
    const std::int64_t work = m_core.Engine().NextEndMs(m_core.Now());
    const std::int64_t restart = m_core.RestartRemainingMs();
    if (work < 0) return restart;
    if (restart < 0) return work;
    return std::min(work, restart);
}

std::vector<std::string> CVirtualPrinter::Control(const std::string& line) {
    m_core.Advance();
    return m_control.Control(line);
}

} // namespace vprinter
