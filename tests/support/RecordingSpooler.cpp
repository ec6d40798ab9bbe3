#include "RecordingSpooler.h"

#include <algorithm>

RecordingSpooler::RecordingSpooler() { Spooler::SetCurrent(this); }

RecordingSpooler::~RecordingSpooler() {
    if (&Spooler::Current() == this) Spooler::SetCurrent(nullptr);
}

void RecordingSpooler::AddPrinter(const std::string& name, const std::string& port, const std::string& driver) {
    m_printers.push_back({name, port, driver});
}

bool RecordingSpooler::EnumPrinters(std::vector<SpoolerPrinter>& printers) {
    m_calls.push_back("EnumPrinters");
    printers.clear();
    if (Failing(Step::EnumPrinters)) return false;
    printers = m_printers;
    return true;
}

Spooler::Handle RecordingSpooler::OpenPrinter(const std::string& name) {
    m_calls.push_back("Open " + name);
    if (Failing(Step::Open)) return 0;
    const bool known = std::any_of(m_printers.begin(), m_printers.end(), [&](const SpoolerPrinter& p) { return p.name == name; });
    if (!known) return 0;
    const Handle handle = m_nextHandle++;
    m_open[handle] = OpenState{name, std::nullopt};
    return handle;
}

void RecordingSpooler::ClosePrinter(Handle printer) {
    m_calls.push_back("Close");
    m_open.erase(printer);
}

int RecordingSpooler::StartRawDocument(Handle printer, const std::string& documentName) {
    m_calls.push_back("Start " + documentName);
    const auto it = m_open.find(printer);
    if (it == m_open.end() || it->second.document || Failing(Step::StartDocument)) return 0;
    m_documents.push_back({it->second.printer, documentName, {}, false, false, "raw", {}});
    it->second.document = m_documents.size() - 1;
    return m_nextJob++;
}

int RecordingSpooler::StartDocument(Handle printer, const std::string& documentName, const std::string& format,
                                    const JobOptions& options) {
    m_calls.push_back("Start " + documentName + " " + format);
    const auto it = m_open.find(printer);
    if (it == m_open.end() || it->second.document || Failing(Step::StartDocument)) return 0;
    m_documents.push_back({it->second.printer, documentName, {}, false, false, format, options});
    it->second.document = m_documents.size() - 1;
    return m_nextJob++;
}

std::int64_t RecordingSpooler::WriteDocument(Handle printer, const std::uint8_t* data, std::size_t length) {
    m_calls.push_back("Write " + std::to_string(length));
    const auto it = m_open.find(printer);
    if (it == m_open.end() || !it->second.document || Failing(Step::Write)) return -1;
    const std::size_t accepted = m_acceptLimit ? std::min(length, *m_acceptLimit) : length;
    auto& bytes = m_documents[*it->second.document].bytes;
    if (accepted > 0) bytes.insert(bytes.end(), data, data + accepted);
    return static_cast<std::int64_t>(accepted);
}

bool RecordingSpooler::EndDocument(Handle printer) {
    m_calls.push_back("End");
    const auto it = m_open.find(printer);
    if (it == m_open.end() || !it->second.document) return false;
    m_documents[*it->second.document].ended = true;
    it->second.document.reset();
    return !Failing(Step::EndDocument);
}

bool RecordingSpooler::CancelDocument(Handle printer) {
    m_calls.push_back("Cancel");
    const auto it = m_open.find(printer);
    if (it == m_open.end() || !it->second.document) return false;
    m_documents[*it->second.document].cancelled = true;
    it->second.document.reset();
    return !Failing(Step::CancelDocument);
}

SpoolerJobState RecordingSpooler::JobState(const std::string&, int job) {
    const int asked = m_stateAsked[job]++;
    return m_jobStates ? m_jobStates(job, asked) : SpoolerJobState::Completed;
}

bool RecordingSpooler::CancelJob(const std::string&, int job) {
    m_calls.push_back("CancelJob " + std::to_string(job));
    return true;
}

bool RecordingSpooler::EnumJobs(Handle printer, std::size_t first, std::size_t count, std::vector<SpoolerJob>& jobs) {
    m_calls.push_back("EnumJobs " + std::to_string(first) + " " + std::to_string(count));
    jobs.clear();
    if (m_onEnumJobs) m_onEnumJobs(*this);
    const auto it = m_open.find(printer);
    if (it == m_open.end() || Failing(Step::EnumJobs)) return false;
    const auto& queue = m_jobs[it->second.printer];
    for (std::size_t i = first; i < queue.size() && jobs.size() < count; ++i) jobs.push_back(queue[i]);
    return true;
}

std::string RecordingSpooler::PpdPath(const std::string& printer) {
    m_calls.push_back("Ppd " + printer);
    const auto it = m_ppds.find(printer);
    return it == m_ppds.end() ? std::string() : it->second;
}
