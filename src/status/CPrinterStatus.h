#pragma once

#include "status/JobInfoRecord.h"
#include "status/JobReport.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class BusyIndicator;
class CPrinterLink;
class ReadyWaitProgress;

// The printer status page's four actions without their window: Display Job
// reads the last ten jobs of the printer's job history over one channel;
// Print Job, Print Custom Config. and Print Status make the printer print a
// sheet. Each action ends in an outcome; the page turns it into its window
// and message, plotcare-cli into its exit code and output.
class CPrinterStatus {
public:
    // The sheets, by the parameter byte of their command.
    enum class Sheet : std::uint8_t { Status = 0x01, Jobs = 0x02, CustomConfig = 0x04 };

    enum class Outcome {
        Read,        // all ten queries done: the report is complete
        TimedOut,    // the busy time-out ended the queries: the report holds what came
        Cancelled,   // the operator cancelled between queries: nothing is shown
        NoChannel,   // the channel did not open
        QueryFailed, // a query failed: what came before is thrown away
        NotReady,    // the printer did not report ready (or the wait was ended)
        Sent,        // a sheet's job went out
        NotSent,     // the spooler did not take the sheet's job
    };

    struct Message {
        int text; // -1: none
        bool warning;
    };

    static constexpr int kTextNotReady = 901;
    static constexpr int kTextNotRead = 60900;
    static constexpr int kTextPrinting = 60901;
    static constexpr int kBusyCaption = 60300;
    static constexpr int kBusyTimeoutMs = 1000000;
    static constexpr int kJobQueries = 10;
    static constexpr std::size_t kJobRoom = 128;
    static constexpr int kSheetJobLength = 30;
    static constexpr int kPauseAfterSheetMs = 3000;

    // Every message of the page, in the order review mode shows them.
    static constexpr Message kReviewMessages[] = {{kTextNotRead, true}, {kTextPrinting, false}};

    // Enter remote mode, "SS" 02 00 00 p, leave remote mode, end the job.
    static int BuildSheetJob(std::uint8_t* out, std::size_t room, Sheet sheet);
    // The job information query for the k-th newest job: "JI" 02 00 01 k.
    static int BuildJobQuery(std::uint8_t* out, std::size_t room, std::uint8_t k);

    // The message an outcome shows (text -1: none).
    static Message MessageFor(Outcome outcome);
    // Whether Display Job's outcome shows the job text window: a read, a
    // time-out, and in review mode anything but a cancel.
    static bool ShowsReport(Outcome outcome, bool review);

    // `checks` false (review mode): no readiness wait.
    CPrinterStatus(CPrinterLink& link, std::string printer, bool checks);

    // Waits for readiness (through `progress`, may be null), then asks the
    // ten job queries on one channel with `busy` up (Cancel offered, the
    // time-out of the page), polling it between queries.
    Outcome DisplayJob(ReadyWaitProgress* progress, BusyIndicator& busy);

    // The jobs the last Display Job collected, newest first, and their
    // report: each job's five lines and CR LF after them.
    const std::vector<JobInfoRecord>& Jobs() const { return m_jobs; }
    std::string Report(const JobReport::TextLookup& text = JobReport::AppText) const;

    // Called with true once a print action starts its blocking part (the
    // job and the pause after it), with false when that part is over.
    using BlockingFn = std::function<void(bool blocking)>;

    // Waits for readiness, sends the sheet's job and pauses 3000 ms
    // whatever the send gave.
    Outcome PrintSheet(Sheet sheet, ReadyWaitProgress* progress, const BlockingFn& blocking = {});

    int LastJobLength() const { return m_lastJobLength; }

private:
    bool Ready(ReadyWaitProgress* progress);

    CPrinterLink& m_link;
    std::string m_printer;
    bool m_checks;
    std::vector<JobInfoRecord> m_jobs;
    int m_lastJobLength = 0;
};
