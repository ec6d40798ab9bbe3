#pragma once

#include "platform/Spooler.h"

#include <ctime>
#include <map>
#include <string>

typedef struct _http_s http_t;

// The spooler over libcups: the CUPS server that CUPS_SERVER (or the client
// configuration) names, asked afresh at each OpenPrinter and EnumPrinters, so
// that a change of server takes effect at once. Each open printer has its own
// connection.
class CupsSpooler final : public Spooler {
public:
    CupsSpooler();
    ~CupsSpooler() override;
    CupsSpooler(const CupsSpooler&) = delete;
    CupsSpooler& operator=(const CupsSpooler&) = delete;

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
    struct OpenPrinterState {
        std::string name;
        http_t* http = nullptr;
        int job = 0;              // the job of the open document, 0 when none
        bool writeFailed = false;
    };
    struct CachedPpd {
        std::string path;
        time_t modified = 0;
    };

    OpenPrinterState* Find(Handle printer);

    std::map<Handle, OpenPrinterState> m_printers;
    Handle m_nextHandle = 1;
    std::map<std::string, CachedPpd> m_ppds;
};
