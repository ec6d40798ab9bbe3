#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One installed printer as the spooler lists it.
struct SpoolerPrinter {
    std::string name;    // the spooler (queue) name every page uses
    std::string port;    // where the printer is attached: the queue's device URI
    std::string driver;  // the driver name: the queue's make and model
};

enum class SpoolerJobState { Pending, Held, Processing, Stopped, Canceled, Aborted, Completed, Unknown };

// One job in a printer's queue.
struct SpoolerJob {
    int id = 0;
    std::string document;  // the document name (job title)
    std::string user;
    SpoolerJobState state = SpoolerJobState::Unknown;
};

// The print spooler, as the program uses it: printer enumeration, raw
// documents, the jobs of a queue and the queue's PPD file. Handles of open
// printers are numbers > 0; 0 means the printer could not be opened. Every
// call reports failure instead of throwing.
class Spooler {
public:
    using Handle = int;

    virtual ~Spooler();

    // The installed printers in the spooler's order. False when the spooler
    // could not be asked (printers then stays empty).
    virtual bool EnumPrinters(std::vector<SpoolerPrinter>& printers) = 0;

    // Opens a printer by name; 0 when there is no such printer.
    virtual Handle OpenPrinter(const std::string& name) = 0;
    // Closes an open printer; a document still open is abandoned.
    virtual void ClosePrinter(Handle printer) = 0;

    // Starts a raw document (the bytes reach the printer unchanged) with the
    // given document name. Returns the job id (> 0), or 0 on failure.
    virtual int StartRawDocument(Handle printer, const std::string& documentName) = 0;
    // Job options as name and value, handed to the queue's filters.
    using JobOptions = std::vector<std::pair<std::string, std::string>>;
    // Starts a document of a MIME type ("application/pdf") that the queue's
    // driver converts for the printer, with the given job options. Returns
    // the job id (> 0), or 0 on failure.
    virtual int StartDocument(Handle printer, const std::string& documentName, const std::string& format,
                              const JobOptions& options) = 0;
    // Writes into the open document. Returns the number of bytes accepted
    // (possibly fewer than given), or -1 on failure.
    virtual std::int64_t WriteDocument(Handle printer, const std::uint8_t* data, std::size_t length) = 0;
    // Ends the open document and hands it to the printer.
    virtual bool EndDocument(Handle printer) = 0;
    // Abandons the open document: its job is cancelled and nothing of it is
    // printed. False when there is no open document or the spooler did not
    // confirm the cancel.
    virtual bool CancelDocument(Handle printer) = 0;

    // The state of a job by its id (as StartRawDocument gave it), whether
    // finished or not; Unknown when the spooler cannot say.
    virtual SpoolerJobState JobState(const std::string& printer, int job) = 0;
    // Cancels a job that was handed over (one held or stopped after it could
    // not be sent, so that it is not sent again later). False when the
    // spooler did not confirm it.
    virtual bool CancelJob(const std::string& printer, int job) = 0;

    // Up to `count` of the printer's jobs that are not finished, starting at
    // position `first` of the queue. False on failure.
    virtual bool EnumJobs(Handle printer, std::size_t first, std::size_t count, std::vector<SpoolerJob>& jobs) = 0;

    // A local copy of the printer's PPD file, valid as long as this spooler
    // lives; empty when the printer does not exist or has none (a raw queue).
    virtual std::string PpdPath(const std::string& printer) = 0;

    // The spooler every part of the program uses: the CUPS server that
    // CUPS_SERVER names unless a test set another. SetCurrent(nullptr) goes
    // back to it; the caller keeps ownership.
    static Spooler& Current();
    static void SetCurrent(Spooler* spooler);
};
