#include "cli/CliPrinterStatus.h"

#include "app/CPlotcareApp.h"
#include "cli/CliBusyProgress.h"
#include "cli/CliContext.h"
#include "cli/CliReadyProgress.h"
#include "cli/CliText.h"
#include "comm/CPrinterLink.h"
#include "status/CPrinterStatus.h"
#include "status/JobReport.h"

#include <ostream>
#include <string>

namespace cli {

namespace {

using Result = CPrinterStatus::Outcome;
using Sheet = CPrinterStatus::Sheet;

// The page's message as one line; message `fallback` when the settings give
// none.
DualText MessageText(Result result, int fallback) {
    return DualText::PageText(CPrinterStatus::MessageFor(result).text, fallback);
}

std::string JsonJob(const JobInfoRecord& job) {
    // The texts a program reads are the same in every language.
    const auto text = [](int id) { return JsonString(App().GetBaseText(id).toStdString()); };
    return "{\"number\":" + std::to_string(job.number) + ",\"state\":" + std::to_string(job.state) +
           ",\"stateText\":" + text(JobReport::StateTextId(job.state)) +
           ",\"result\":" + std::to_string(job.result) +
           ",\"resultText\":" + text(JobReport::ResultTextId(job.result)) +
           ",\"user\":" + JsonString(job.user) + ",\"name\":" + JsonString(job.name) +
           ",\"used\":" + JsonString(JobReport::Thousandths(job.usedThousandths)) +
           ",\"pages\":" + std::to_string(job.pages) +
           ",\"printedPages\":" + std::to_string(job.printedPages) +
           ",\"received\":" + JsonString(JobReport::ReceivedText(job)) +
           ",\"printSeconds\":" + std::to_string(job.printSeconds) + "}";
}

// The report for a terminal: the printer's texts cannot act on it, and
// lines end the Unix way.
std::string TerminalReport(const std::vector<JobInfoRecord>& jobs) {
    std::string out;
    for (JobInfoRecord job : jobs) {
        job.user = Escaped(job.user);
        job.name = Escaped(job.name);
        out += JobReport::Format(job, JobReport::AppText) + "\n";
    }
    std::string unix;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (!(out[i] == '\r' && i + 1 < out.size() && out[i + 1] == '\n')) unix += out[i];
    return unix;
}

int RunSheet(Context& c, Sheet sheet, const char* name) {
    ActionSession session;
    if (int r = session.Open(c)) return r;
    CPrinterLink link(&session.Bidi());
    CPrinterStatus status(link, session.Name(), true);
    CliReadyProgress progress(c.err, c.options.terminal);
    const Result result = status.PrintSheet(sheet, &progress);

    Outcome outcome = Outcome::Of(kExitCancelled, "cancelled", DualText::Of(110600));
    if (!progress.Cancelled()) {
        switch (result) {
        case Result::Sent:
            outcome = Outcome::Of(kExitOk, "sent", MessageText(result, 110601));
            break;
        case Result::NotReady:
            outcome = Outcome::Of(kExitNotReady, "not-ready", MessageText(result, 110602));
            break;
        default:
            outcome = Outcome::Of(kExitFailed, "not-sent", DualText::Of(110603));
            break;
        }
    }
    if (status.LastJobLength() > 0)
        outcome.fields.emplace_back("jobBytes", std::to_string(status.LastJobLength()));
    return Report(c, session.Name(), name, outcome);
}

} // namespace

int JobInfo(Context& c) {
    ActionSession session;
    if (int r = session.Open(c)) return r;
    CPrinterLink link(&session.Bidi());
    CPrinterStatus status(link, session.Name(), true);
    CliReadyProgress ready(c.err, c.options.terminal);
    CliBusyProgress busy(c.err, c.options.terminal);
    const Result result = status.DisplayJob(&ready, busy);

    Outcome outcome;
    const std::string jobs = std::to_string(status.Jobs().size());
    if (ready.Cancelled()) {
        outcome = Outcome::Of(kExitCancelled, "cancelled", DualText::Of(110600));
    } else {
        switch (result) {
        case Result::Read:
            outcome = Outcome::Of(kExitOk, "read", DualText::Of(110604, {jobs}));
            break;
        case Result::TimedOut:
            outcome = Outcome::Of(kExitCancelled, "timed-out", DualText::Of(110605, {jobs}));
            break;
        case Result::Cancelled:
            outcome = Outcome::Of(kExitCancelled, "cancelled", DualText::Of(110606));
            break;
        case Result::NotReady:
            outcome = Outcome::Of(kExitNotReady, "not-ready", MessageText(result, 110602));
            break;
        case Result::NoChannel:
            outcome = Outcome::Of(kExitNoAnswer, "no-channel", MessageText(result, 110607));
            break;
        default:
            outcome = Outcome::Of(kExitNoAnswer, "query-failed", MessageText(result, 110607));
            break;
        }
    }

    const bool shown = CPrinterStatus::ShowsReport(result, false) && !ready.Cancelled();
    if (c.options.json) {
        std::string jobs = "[";
        if (shown)
            for (const JobInfoRecord& job : status.Jobs())
                jobs += (jobs.size() > 1 ? "," : "") + JsonJob(job);
        outcome.fields.emplace_back("jobs", jobs + "]");
    } else if (shown) {
        c.out << TerminalReport(status.Jobs());
        // The report is the output; a complete one needs no sentence after it.
        if (outcome.exitCode == kExitOk) return kExitOk;
    }
    return Report(c, session.Name(), "job-info", outcome);
}

int PrintStatus(Context& c) {
    return RunSheet(c, Sheet::Status, "print-status");
}

int PrintJobs(Context& c) {
    return RunSheet(c, Sheet::Jobs, "print-jobs");
}

int PrintCustom(Context& c) {
    return RunSheet(c, Sheet::CustomConfig, "print-custom");
}

} // namespace cli
