#include "CPrinterCore.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sys/stat.h>

namespace vprinter {

namespace {

constexpr std::size_t kLogLimit = 2000;
constexpr std::size_t kSheetRecordLimit = 1000;
constexpr std::size_t kJobHistoryLimit = 50;
// The paper a sheet of the printer's own (a pattern, a report) takes.
constexpr int kOwnSheetLengthMm = 297;

// Job record states, as the job information texts name them.
constexpr int kJobWaiting = 1;
constexpr int kJobPrinting = 2;
constexpr int kJobCompleted = 3;
constexpr int kJobCancelled = 4;
constexpr int kJobError = 5;
constexpr int kEndNormal = 1;
constexpr int kEndCancelled = 2;
constexpr int kEndError = 3;
constexpr int kEndNotYet = 0;

std::int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

CPrinterCore::CPrinterCore(const PrinterOptions& options, Clock clock)
    : m_options(options), m_clock(clock ? std::move(clock) : Clock(SteadyMs)) {
    if (m_options.outputDir.empty()) m_options.outputDir = m_options.stateDir + "/output";
    if (!(m_options.timeScale >= 0)) m_options.timeScale = 1.0;
    ::mkdir(m_options.stateDir.c_str(), 0755);
    ::mkdir(m_options.outputDir.c_str(), 0755);
    LoadPrinterState(m_options.stateDir, m_state);
    if (m_options.setModel) m_state.model = m_options.model;
    m_saved = m_state;
    Persist();
}

std::int64_t CPrinterCore::Scaled(std::int64_t ms) const {
    return static_cast<std::int64_t>(std::llround(static_cast<double>(ms) * m_options.timeScale));
}

void CPrinterCore::KeepSettings() {
    m_saved.slots = m_state.slots;
    m_saved.alignment = m_state.alignment;
    m_saved.activeSetting = m_state.activeSetting;
}

void CPrinterCore::RecallSettings() {
    m_state.slots = m_saved.slots;
    m_state.alignment = m_saved.alignment;
    m_state.activeSetting = m_saved.activeSetting;
}

void CPrinterCore::FaultsChanged() {
    if (m_faults.neverReady)
        m_engine.Hold(Now());
    else
        m_engine.Release(Now());
    Advance();
}

bool CPrinterCore::StartWork(JobSession& session, const std::string& name,
                             const std::string& printed, std::int64_t unscaledMs,
                             std::function<void()> done, std::function<void()> failed, int pages) {
    if (!printed.empty()) RecordJob(session, "Remote", printed, kOwnSheetLengthMm, 1, unscaledMs);
    // The job's record ends with the last of its work, printed or not.
    const int record = session.record;
    if (pages < 0) pages = printed.empty() ? 0 : 1;
    if (!m_engine.Add(Now(), Scaled(unscaledMs),
                      EngineAction{name, record, pages, std::move(done), failed})) {
        if (failed) failed();
        AddLog("refused " + name + ": too much work in hand");
        return false;
    }
    if (record) m_openJobs.insert(record);
    // A printer in error does no work: what it was given fails at once.
    Advance();
    return true;
}

void CPrinterCore::Occupy(std::int64_t ms) {
    m_engine.Add(Now(), std::max<std::int64_t>(0, ms), EngineAction{"busy", 0, 0, {}, {}});
}

void CPrinterCore::Advance() {
    bool changed = false;
    if (m_faults.errorState && !m_engine.Empty()) {
        Fail(m_engine.TakeAll(), "printer error", false);
        changed = true;
    }
    for (EngineAction& action : m_engine.TakeEnded(Now())) {
        Done(action);
        changed = true;
    }
    if (UpdateJobRecords() || changed) Persist();
}

void CPrinterCore::FinishAll() {
    Advance(); // what an error stopped stays stopped
    for (EngineAction& action : m_engine.TakeAll()) Done(action);
    UpdateJobRecords();
    Persist();
}

void CPrinterCore::Done(EngineAction& action) {
    if (action.done) action.done();
    if (action.job && action.pages > 0)
        if (JobRecord* job = FindJob(action.job)) job->printedPages = std::min(job->printedPages + action.pages, 65535);
    AddLog("done " + action.name);
}

void CPrinterCore::DropAll(const std::string& why) {
    Fail(m_engine.TakeAll(), why, true);
    UpdateJobRecords();
}

void CPrinterCore::Fail(std::vector<EngineAction> actions, const std::string& why, bool cancelled) {
    for (const EngineAction& action : actions) {
        if (action.name == "busy") continue;
        if (action.failed) action.failed();
        AddLog("failed " + action.name + ": " + why);
        if (action.job) m_stoppedJobs.emplace(action.job, cancelled);
    }
}

JobRecord* CPrinterCore::FindJob(int number) {
    for (JobRecord& job : m_state.jobs)
        if (job.number == number) return &job;
    return nullptr;
}

bool CPrinterCore::UpdateJobRecords() {
    bool changed = false;
    for (auto it = m_openJobs.begin(); it != m_openJobs.end();) {
        const int number = *it;
        JobRecord* job = FindJob(number);
        const bool open = m_engine.HasJob(number);
        int state = kJobWaiting, end = kEndNotYet;
        const auto stopped = m_stoppedJobs.find(number);
        if (!open && stopped != m_stoppedJobs.end()) {
            state = stopped->second ? kJobCancelled : kJobError;
            end = stopped->second ? kEndCancelled : kEndError;
        } else if (!open) {
            state = kJobCompleted;
            end = kEndNormal;
        } else if (m_engine.JobStarted(number, Now())) {
            state = kJobPrinting;
        }
        if (job && (job->state != state || job->secondState != end)) {
            job->state = state;
            job->secondState = end;
            changed = true;
        }
        if (!open) {
            m_stoppedJobs.erase(number);
            it = m_openJobs.erase(it);
        } else {
            ++it;
        }
    }
    return changed;
}

int CPrinterCore::RecordJob(JobSession& session, const std::string& source, const std::string& name,
                            int lengthMm, int pages, std::int64_t unscaledMs) {
    if (session.record) {
        if (JobRecord* job = FindJob(session.record)) {
            job->pages += pages;
            job->lengthMm += lengthMm;
            job->durationS += static_cast<int>(unscaledMs / 1000);
            return session.record;
        }
    }
    JobRecord job;
    job.number = m_state.nextJobNumber;
    m_state.nextJobNumber = m_state.nextJobNumber >= 255 ? 1 : m_state.nextJobNumber + 1;
    job.state = kJobWaiting;
    job.secondState = kEndNotYet;
    job.source = source.substr(0, 16);
    job.name = name.substr(0, 32);
    job.lengthMm = lengthMm;
    job.pages = pages;
    job.time = static_cast<std::int64_t>(std::time(nullptr));
    job.durationS = static_cast<int>(unscaledMs / 1000);
    m_state.jobs.push_back(job);
    while (m_state.jobs.size() > kJobHistoryLimit)
        m_state.jobs.erase(m_state.jobs.begin());
    session.record = job.number;
    return job.number;
}

void CPrinterCore::Restart(std::int64_t ms) {
    m_offlineUntil = Now() + ms;
}

bool CPrinterCore::IsOffline() const {
    return m_faults.offline || Now() < m_offlineUntil;
}

std::int64_t CPrinterCore::RestartRemainingMs() const {
    const std::int64_t left = m_offlineUntil - Now();
    return left > 0 ? left : -1;
}

int CPrinterCore::StateCode() const {
    if (m_faults.errorState) return kStateError;
    if (m_faults.neverReady || m_engine.BusyAt(Now()) || Now() < m_offlineUntil) return kStateBusy;
    return kStateReady;
}

StatusInfo CPrinterCore::Status() const {
    StatusInfo info;
    info.state = StateCode();
    info.maintenanceCapacity = m_faults.field0DLow ? 10 : m_state.maintenanceCapacity;
    info.inkCount = m_state.inkCount;
    for (int i = 0; i < 8; ++i)
        info.inkLevels[i] = m_state.inkLevels[static_cast<std::size_t>(i)];
    if (m_faults.inkLow >= 0 && m_faults.inkLow < 8) info.inkLevels[m_faults.inkLow] = 20;
    return info;
}

std::string CPrinterCore::PrintSheet(const std::string& kind, const std::string& extension,
                                     const std::string& content) {
    ++m_state.sheetsPrinted;
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%s.%s", m_state.sheetsPrinted, kind.c_str(),
                  extension.c_str());
    WriteOutput(name, content);
    AddLog(std::string("printed ") + name);
    return name;
}

std::string CPrinterCore::HoldOutput(const std::string& content) {
    const std::string held = ".held-" + std::to_string(m_nextHeld++);
    WriteOutput(held, content);
    return held;
}

std::string CPrinterCore::PrintHeld(const std::string& kind, const std::string& extension,
                                    const std::string& held) {
    ++m_state.sheetsPrinted;
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%s.%s", m_state.sheetsPrinted, kind.c_str(),
                  extension.c_str());
    if (m_options.writeFiles)
        std::rename((m_options.outputDir + "/" + held).c_str(),
                    (m_options.outputDir + "/" + name).c_str());
    AddLog(std::string("printed ") + name);
    return name;
}

void CPrinterCore::DropHeld(const std::string& held) {
    if (m_options.writeFiles) std::remove((m_options.outputDir + "/" + held).c_str());
}

void CPrinterCore::WriteBeside(const std::string& sheet, const std::string& extension,
                               const std::string& content) {
    const auto dot = sheet.rfind('.');
    WriteOutput(sheet.substr(0, dot) + "." + extension, content);
}

void CPrinterCore::WriteOutput(const std::string& name, const std::string& content) const {
    if (!m_options.writeFiles) return;
    // Written under another name first, so a viewer never sees half a sheet.
    const std::string path = m_options.outputDir + "/" + name;
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << content;
    }
    std::rename(temp.c_str(), path.c_str());
}

void CPrinterCore::AddLog(const std::string& line) {
    m_log.push_back(line);
    while (m_log.size() > kLogLimit)
        m_log.pop_front();
}

void CPrinterCore::AddSheetRecord(SheetRecord record) {
    m_sheetRecords.push_back(std::move(record));
    while (m_sheetRecords.size() > kSheetRecordLimit)
        m_sheetRecords.pop_front();
}

void CPrinterCore::Persist() {
    if (!m_options.writeFiles) return;
    PrinterState disk = m_state;
    disk.slots = m_saved.slots;
    disk.alignment = m_saved.alignment;
    disk.activeSetting = m_saved.activeSetting;
    SavePrinterState(m_options.stateDir, disk);
}

} // namespace vprinter
