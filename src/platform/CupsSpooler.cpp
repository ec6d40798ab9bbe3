#include "platform/CupsSpooler.h"

#include <cups/cups.h>
#include <cups/ppd.h>

#include <unistd.h>

#include <climits>

namespace {

// A new connection to the server libcups is pointed at (CUPS_SERVER,
// cupsSetServer or client.conf), or nullptr.
http_t* Connect() {
    return httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr);
}

SpoolerJobState StateOf(ipp_jstate_t state) {
    switch (state) {
    case IPP_JSTATE_PENDING: return SpoolerJobState::Pending;
    case IPP_JSTATE_HELD: return SpoolerJobState::Held;
    case IPP_JSTATE_PROCESSING: return SpoolerJobState::Processing;
    case IPP_JSTATE_STOPPED: return SpoolerJobState::Stopped;
    case IPP_JSTATE_CANCELED: return SpoolerJobState::Canceled;
    case IPP_JSTATE_ABORTED: return SpoolerJobState::Aborted;
    case IPP_JSTATE_COMPLETED: return SpoolerJobState::Completed;
    }
    return SpoolerJobState::Unknown;
}

std::string Text(const char* s) { return s ? s : ""; }

} // namespace

CupsSpooler::CupsSpooler() = default;

CupsSpooler::~CupsSpooler() {
    while (!m_printers.empty()) ClosePrinter(m_printers.begin()->first);
    for (const auto& [name, ppd] : m_ppds) unlink(ppd.path.c_str());
}

CupsSpooler::OpenPrinterState* CupsSpooler::Find(Handle printer) {
    const auto it = m_printers.find(printer);
    return it == m_printers.end() ? nullptr : &it->second;
}

bool CupsSpooler::EnumPrinters(std::vector<SpoolerPrinter>& printers) {
    printers.clear();
    http_t* http = Connect();
    if (!http) return false;

    // Asked directly rather than through the destination list, so that the
    // user's lpoptions instances do not show up as printers.
    static const char* const kAttributes[] = {"printer-name", "device-uri", "printer-make-and-model", "printer-type"};
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(sizeof kAttributes / sizeof kAttributes[0]), nullptr, kAttributes);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ipp_t* response = cupsDoRequest(http, request, "/");
    const bool ok = response && cupsLastError() < IPP_STATUS_REDIRECTION_OTHER_SITE;
    // A server without printers answers "not found"; that is an empty list.
    const bool none = cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND;

    if (ok) {
        // The response holds one group of printer attributes per printer.
        SpoolerPrinter current;
        bool isClass = false;
        bool inPrinter = false;
        auto flush = [&] {
            if (inPrinter && !current.name.empty() && !isClass) printers.push_back(current);
            current = SpoolerPrinter();
            isClass = false;
            inPrinter = false;
        };
        for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
            const char* name = ippGetName(a);
            if (!name) {
                flush();
                continue;
            }
            if (ippGetGroupTag(a) != IPP_TAG_PRINTER) continue;
            inPrinter = true;
            const std::string attr = name;
            if (attr == "printer-name" && ippGetValueTag(a) == IPP_TAG_NAME) current.name = Text(ippGetString(a, 0, nullptr));
            else if (attr == "device-uri" && ippGetValueTag(a) == IPP_TAG_URI) current.port = Text(ippGetString(a, 0, nullptr));
            else if (attr == "printer-make-and-model" && ippGetValueTag(a) == IPP_TAG_TEXT) current.driver = Text(ippGetString(a, 0, nullptr));
            else if (attr == "printer-type" && ippGetValueTag(a) == IPP_TAG_ENUM) isClass = (ippGetInteger(a, 0) & CUPS_PRINTER_CLASS) != 0;
        }
        flush();
    }
    ippDelete(response);
    httpClose(http);
    return ok || none;
}

Spooler::Handle CupsSpooler::OpenPrinter(const std::string& name) {
    // An empty name would make libcups pick the default printer.
    if (name.empty()) return 0;
    http_t* http = Connect();
    if (!http) return 0;
    cups_dest_t* dest = cupsGetNamedDest(http, name.c_str(), nullptr);
    if (!dest) {
        httpClose(http);
        return 0;
    }
    // The spooler's spelling of the name (lookups ignore case).
    std::string queue = dest->name;
    cupsFreeDests(1, dest);

    if (m_nextHandle == INT_MAX) m_nextHandle = 1;
    const Handle handle = m_nextHandle++;
    m_printers[handle] = OpenPrinterState{queue, http, 0, false};
    return handle;
}

void CupsSpooler::ClosePrinter(Handle printer) {
    OpenPrinterState* state = Find(printer);
    if (!state) return;
    const std::string name = state->name;
    const int job = state->job;
    httpClose(state->http);
    m_printers.erase(printer);

    // A document left open is cancelled, so that no half-written job prints
    // or waits for more data on the server.
    if (job > 0) {
        if (http_t* http = Connect()) {
            cupsCancelJob2(http, name.c_str(), job, 0);
            httpClose(http);
        }
    }
}

int CupsSpooler::StartRawDocument(Handle printer, const std::string& documentName) {
    return StartDocument(printer, documentName, CUPS_FORMAT_RAW, {});
}

int CupsSpooler::StartDocument(Handle printer, const std::string& documentName, const std::string& format,
                               const JobOptions& options) {
    OpenPrinterState* state = Find(printer);
    if (!state || state->job > 0 || format.empty()) return 0;
    cups_option_t* list = nullptr;
    int count = 0;
    for (const auto& [name, value] : options) {
        if (!name.empty()) count = cupsAddOption(name.c_str(), value.c_str(), count, &list);
    }
    const int job = cupsCreateJob(state->http, state->name.c_str(), documentName.c_str(), count, list);
    cupsFreeOptions(count, list);
    if (job <= 0) return 0;
    if (cupsStartDocument(state->http, state->name.c_str(), job, documentName.c_str(), format.c_str(), 1) !=
        HTTP_STATUS_CONTINUE) {
        cupsCancelJob2(state->http, state->name.c_str(), job, 0);
        return 0;
    }
    state->job = job;
    state->writeFailed = false;
    return job;
}

std::int64_t CupsSpooler::WriteDocument(Handle printer, const std::uint8_t* data, std::size_t length) {
    OpenPrinterState* state = Find(printer);
    if (!state || state->job <= 0 || state->writeFailed) return -1;
    // An empty write would end the chunked document data early.
    if (length == 0) return 0;
    if (!data) return -1;
    if (cupsWriteRequestData(state->http, reinterpret_cast<const char*>(data), length) != HTTP_STATUS_CONTINUE) {
        state->writeFailed = true;
        return -1;
    }
    return static_cast<std::int64_t>(length);
}

bool CupsSpooler::EndDocument(Handle printer) {
    OpenPrinterState* state = Find(printer);
    if (!state || state->job <= 0) return false;
    const ipp_status_t status = cupsFinishDocument(state->http, state->name.c_str());
    state->job = 0;
    return status < IPP_STATUS_REDIRECTION_OTHER_SITE && !state->writeFailed;
}

bool CupsSpooler::CancelDocument(Handle printer) {
    OpenPrinterState* state = Find(printer);
    if (!state || state->job <= 0) return false;
    const int job = state->job;
    state->job = 0;
    state->writeFailed = false;
    // The connection is in the middle of the document's data: dropping it
    // keeps the server from ever seeing the document end. The job is then
    // cancelled over a new connection, which the printer keeps.
    httpClose(state->http);
    state->http = Connect();
    if (!state->http) {
        m_printers.erase(printer);
        return false;
    }
    return cupsCancelJob2(state->http, state->name.c_str(), job, 0) == IPP_STATUS_OK;
}

SpoolerJobState CupsSpooler::JobState(const std::string& printer, int job) {
    if (printer.empty() || job <= 0) return SpoolerJobState::Unknown;
    http_t* http = Connect();
    if (!http) return SpoolerJobState::Unknown;
    char uri[1024];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                     "/jobs/%d", job);
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    static const char* const kAttributes[] = {"job-state", "job-printer-uri"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                  kAttributes);
    ipp_t* response = cupsDoRequest(http, request, "/");
    SpoolerJobState state = SpoolerJobState::Unknown;
    if (response && ippGetStatusCode(response) < IPP_STATUS_REDIRECTION_OTHER_SITE) {
        // Only a job of that printer counts.
        ipp_attribute_t* on = ippFindAttribute(response, "job-printer-uri", IPP_TAG_URI);
        const char* onUri = on ? ippGetString(on, 0, nullptr) : nullptr;
        const std::string tail = "/printers/" + printer;
        const std::string onText = Text(onUri);
        const bool ours = onText.size() >= tail.size() &&
                          onText.compare(onText.size() - tail.size(), tail.size(), tail) == 0;
        if (ipp_attribute_t* a = ippFindAttribute(response, "job-state", IPP_TAG_ENUM); a && ours)
            state = StateOf(static_cast<ipp_jstate_t>(ippGetInteger(a, 0)));
    }
    ippDelete(response);
    httpClose(http);
    return state;
}

bool CupsSpooler::CancelJob(const std::string& printer, int job) {
    if (printer.empty() || job <= 0) return false;
    http_t* http = Connect();
    if (!http) return false;
    const bool ok = cupsCancelJob2(http, printer.c_str(), job, 0) == IPP_STATUS_OK;
    httpClose(http);
    return ok;
}

bool CupsSpooler::EnumJobs(Handle printer, std::size_t first, std::size_t count, std::vector<SpoolerJob>& jobs) {
    jobs.clear();
    OpenPrinterState* state = Find(printer);
    if (!state || state->job > 0) return false;
    cups_job_t* list = nullptr;
    const int n = cupsGetJobs2(state->http, &list, state->name.c_str(), 0, CUPS_WHICHJOBS_ACTIVE);
    if (n < 0) return false;
    for (std::size_t i = first; i < static_cast<std::size_t>(n) && jobs.size() < count; ++i) {
        SpoolerJob job;
        job.id = list[i].id;
        job.document = Text(list[i].title);
        job.user = Text(list[i].user);
        job.state = StateOf(list[i].state);
        jobs.push_back(std::move(job));
    }
    cupsFreeJobs(n, list);
    return true;
}

std::string CupsSpooler::PpdPath(const std::string& printer) {
    if (printer.empty()) return {};
    http_t* http = Connect();
    if (!http) return {};
    // The PPD API is the only way to a queue's driver keywords; libcups marks
    // it deprecated in favour of IPP attributes, which do not carry them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    // Keep one local copy per printer and fetch it again only when the
    // server's file changed. libcups truncates a file it is handed before it
    // asks the server, so a "not modified" answer would leave the cached copy
    // empty: the request always goes to a new temporary file instead.
    CachedPpd& cached = m_ppds[printer];
    char buffer[1024] = "";
    time_t modified = cached.path.empty() ? 0 : cached.modified;
    const http_status_t status = cupsGetPPD3(http, printer.c_str(), &modified, buffer, sizeof buffer);
#pragma GCC diagnostic pop
    httpClose(http);
    if (status == HTTP_STATUS_NOT_MODIFIED && !cached.path.empty()) {
        if (buffer[0] && cached.path != buffer) unlink(buffer);
        return cached.path;
    }
    if (status == HTTP_STATUS_OK) {
        if (!cached.path.empty() && cached.path != buffer) unlink(cached.path.c_str());
        cached.path = buffer;
        cached.modified = modified;
        return cached.path;
    }
    if (buffer[0]) unlink(buffer);
    if (!cached.path.empty()) unlink(cached.path.c_str());
    m_ppds.erase(printer);
    return {};
}
