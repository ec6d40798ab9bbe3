#include "comm/RawJob.h"

#include "comm/CommWaitProgress.h"
#include "platform/Clock.h"
#include "platform/Spooler.h"

int SendRawJob(const std::string& printer, const std::uint8_t* data, std::size_t length) {
    Spooler& spooler = Spooler::Current();
    const Spooler::Handle handle = spooler.OpenPrinter(printer);
    if (handle == 0) return -1;

    int result = -1;
    const int job = spooler.StartRawDocument(handle, kRawJobDocumentName);
    if (job > 0) {
        const std::int64_t written = spooler.WriteDocument(handle, data, length);
        if (written >= 0 && static_cast<std::uint64_t>(written) == length) {
            // A job the spooler would not end did not reach the printer either.
            result = spooler.EndDocument(handle) ? 0 : -1;
            if (result == 0) result = AwaitJobVerdict(printer, job);
        } else {
            // A command job cut short must not reach the printer: the printer
            // would run its first commands and perhaps stay in remote mode.
            spooler.CancelDocument(handle);
        }
    }
    spooler.ClosePrinter(handle);
    return result;
}

int AwaitJobVerdict(const std::string& printer, int job) {
    Spooler& spooler = Spooler::Current();
    Clock& clock = Clock::Current();
    CommWait wait("the printer to take the job", kJobVerdictTimeoutMs);
    const std::int64_t start = clock.TickMs();
    for (;;) {
        switch (spooler.JobState(printer, job)) {
        case SpoolerJobState::Completed:
        case SpoolerJobState::Unknown:
            return 0;
        case SpoolerJobState::Canceled:
        case SpoolerJobState::Aborted:
            return -1;
        case SpoolerJobState::Held:
        case SpoolerJobState::Stopped:
            // Held or stopped after the printer broke the connection: sent
            // again later, it would run although it was reported as not sent.
            spooler.CancelJob(printer, job);
            return -1;
        case SpoolerJobState::Pending:
        case SpoolerJobState::Processing:
            break;
        }
        if (clock.TickMs() - start >= kJobVerdictTimeoutMs) return 0;
        if (clock.Wait(kJobVerdictPollMs, [&] { return wait.Cancelled(); }) || wait.Cancelled()) {
            spooler.CancelJob(printer, job);
            return -1;
        }
    }
}
