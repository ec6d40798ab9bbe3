#pragma once

// Test double of the spooler: printers and queued jobs are whatever the test
// adds, raw documents are recorded instead of printed, and any step can be
// told to fail or a write to accept fewer bytes. Installs itself as the
// current spooler for its lifetime.
//
//   RecordingSpooler spooler;
//   spooler.AddPrinter("QZ", "socket://10.0.0.5:9100", "ORVEX QZ-7100");
//   spooler.Fail(RecordingSpooler::Step::Write);      // or AcceptAtMost(10)
//   ... code under test ...
//   spooler.Documents()[0].bytes, spooler.Calls(), spooler.OpenHandles()

#include "platform/Spooler.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class RecordingSpooler : public Spooler {
public:
    enum class Step { EnumPrinters, Open, StartDocument, Write, EndDocument, CancelDocument, EnumJobs };

    struct Document {
        std::string printer;
        std::string name;
        std::vector<std::uint8_t> bytes;
        bool ended = false;      // EndDocument was called for it
        bool cancelled = false;  // CancelDocument was called for it
        std::string format = "raw";  // the MIME type given to StartDocument
        JobOptions options;
    };

    RecordingSpooler();
    ~RecordingSpooler() override;
    RecordingSpooler(const RecordingSpooler&) = delete;
    RecordingSpooler& operator=(const RecordingSpooler&) = delete;

    // --- set-up ---
    void AddPrinter(const std::string& name, const std::string& port = {}, const std::string& driver = {});
    void SetJobs(const std::string& printer, std::vector<SpoolerJob> jobs) { m_jobs[printer] = std::move(jobs); }
    void SetPpd(const std::string& printer, const std::string& path) { m_ppds[printer] = path; }
    void Fail(Step step) { m_failing.insert(step); }
    void Succeed(Step step) { m_failing.erase(step); }
    // What JobState says of every job: Completed unless set (a function of
    // the job id and the times it was asked).
    void SetJobStates(std::function<SpoolerJobState(int job, int asked)> states) { m_jobStates = std::move(states); }
    // Each write accepts at most `bytes` (and records only those).
    void AcceptAtMost(std::size_t bytes) { m_acceptLimit = bytes; }
    // Called at each EnumJobs, before it answers (for example to change the
    // queue as time passes).
    void OnEnumJobs(std::function<void(RecordingSpooler&)> hook) { m_onEnumJobs = std::move(hook); }

    // --- what happened ---
    const std::vector<Document>& Documents() const { return m_documents; }
    // One entry per call: "EnumPrinters", "Open NAME", "Start NAME"
    // (raw) or "Start NAME FORMAT",
    // "Write N", "End", "Cancel", "Close", "EnumJobs FIRST COUNT", "Ppd NAME",
    // "CancelJob ID" (JobState is not recorded: it is asked repeatedly).
    const std::vector<std::string>& Calls() const { return m_calls; }
    // Printers opened and not closed yet.
    std::size_t OpenHandles() const { return m_open.size(); }
    void Clear() { m_documents.clear(); m_calls.clear(); }

    // --- Spooler ---
    bool EnumPrinters(std::vector<SpoolerPrinter>& printers) override;
    Handle OpenPrinter(const std::string& name) override;
    void ClosePrinter(Handle printer) override;
    int StartRawDocument(Handle printer, const std::string& documentName) override;
    int StartDocument(Handle printer, const std::string& documentName, const std::string& format,
                      const JobOptions& options) override;
    std::int64_t WriteDocument(Handle printer, const std::uint8_t* data, std::size_t length) override;
    bool EndDocument(Handle printer) override;
    bool CancelDocument(Handle printer) override;
    SpoolerJobState JobState(const std::string& printer, int job) override;
    bool CancelJob(const std::string& printer, int job) override;
    bool EnumJobs(Handle printer, std::size_t first, std::size_t count, std::vector<SpoolerJob>& jobs) override;
    std::string PpdPath(const std::string& printer) override;

private:
    struct OpenState {
        std::string printer;
        std::optional<std::size_t> document;  // index into m_documents
    };

    bool Failing(Step step) const { return m_failing.count(step) != 0; }

    std::vector<SpoolerPrinter> m_printers;
    std::map<std::string, std::vector<SpoolerJob>> m_jobs;
    std::map<std::string, std::string> m_ppds;
    std::set<Step> m_failing;
    std::optional<std::size_t> m_acceptLimit;
    std::function<void(RecordingSpooler&)> m_onEnumJobs;
    std::function<SpoolerJobState(int, int)> m_jobStates;
    std::map<int, int> m_stateAsked;

    std::vector<Document> m_documents;
    std::vector<std::string> m_calls;
    std::map<Handle, OpenState> m_open;
    Handle m_nextHandle = 1;
    int m_nextJob = 1;
};
