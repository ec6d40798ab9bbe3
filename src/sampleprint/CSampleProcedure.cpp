#include "sampleprint/CSampleProcedure.h"

#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "platform/Clock.h"
#include "platform/Spooler.h"
#include "sampleprint/CDriverSettingsAccess.h"
#include "sampleprint/SampleSheetParts.h"

#include <sys/stat.h>
#include <utility>

namespace {

// The series rule's grouping jobs.
constexpr int kEscBarOpen = 1;
constexpr int kEscBarClose = 0;
constexpr int kEscBarEnd = 2;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

} // namespace

int CSampleProcedure::MessageText(Outcome outcome) {
    switch (outcome) {
    case Outcome::NotReady:
        return kTextNotReady;
    case Outcome::NoImage:
        return kTextNoImage;
    case Outcome::ImageMissing:
        return kTextImageMissing;
    case Outcome::ImageUnreadable:
        return kTextImageUnreadable;
    case Outcome::ImageWrongSize:
        return kTextImageWrongSize;
    case Outcome::DriverFailed:
        return kTextDriverFailed;
    case Outcome::Nothing:
    case Outcome::Printed:
    case Outcome::Cancelled:
        break;
    }
    return 0;
}

int CSampleProcedure::SheetsPerGroup(int item30Second) {
    return item30Second > kItem30GroupLength ? item30Second / kItem30GroupLength : 1;
}

CSampleProcedure::Outcome CSampleProcedure::CheckImage(const std::string& path) {
    if (path.empty()) return Outcome::NoImage;
    if (!Exists(path)) return Outcome::ImageMissing;
    switch (CheckSampleImage(path)) {
    case 0:
        return Outcome::Printed;
    case -1:
        return Outcome::ImageWrongSize;
    default:
        return Outcome::ImageUnreadable;
    }
}

CSampleProcedure::CSampleProcedure(Setup setup) : m_setup(std::move(setup)) {}

bool CSampleProcedure::Stopped() const {
    return m_setup.stop && m_setup.stop();
}

void CSampleProcedure::Tell(Event::Kind kind, int number, int count, const SampleSheet* sheet,
                            int value) const {
    if (m_setup.progress) m_setup.progress(Event{kind, number, count, sheet, value});
}

void CSampleProcedure::SendEscBar(int value, int number, int count, const SampleSheet* sheet) {
    std::uint8_t job[kEscBarRoom];
    const int length = value == kEscBarEnd ? BuildEscBarPacket(job, sizeof job)
                                           : BuildEscBarPacket(job, sizeof job, value);
    // The printer only groups the sheets; a lost job costs no sheet.
    SendRawJob(m_setup.printerName, job, static_cast<std::size_t>(length));
    Tell(Event::Kind::EscBar, number, count, sheet, value);
}

int CSampleProcedure::PrintOne(const SampleSheet& sheet, int kind, int flag) {
    CDriverSettingsAccess access(m_setup.library, m_setup.printerName, m_setup.portName,
                                 m_setup.devMode);
    if (access.SetItem20() < 0) return -1;
    if (kind < 0) {
        // A single sheet reads the driver as it was, before any change.
        kind = access.DriverKind();
        if (kind < 0) return kind;
        if (kind == 1) {
            flag = access.Item205Bit3();
            if (flag < 0) return flag;
        }
    }
    if (int r = access.SetMediaValue(sheet.mediaValue, sheet.mode); r < 0) return r;
    if (int r = access.SelectKindMode(kind); r < 0) return r;
    if (kind == 1) {
        if (int r = access.SetItem205Flags(flag); r < 0) return r;
    } else {
        if (int r = access.ClearItem204Bit1(); r < 0) return r;
    }
    const int first = access.Item30First();
    const int second = access.SampleItem30Second();
    if (first < 0) return first;
    if (second < 0) return second;
    if (int r = access.SetItem30(first, second); r < 0) return r;

    SamplePaperRecord paper;
    if (int r = access.GetPaperRecord(paper); r < 0) return r;
    ApplyPaperBytes(paper, sheet.paperBytes);
    if (int r = access.SetPaperRecord(paper); r < 0) return r;

    const SampleSheetRequest request{m_setup.driverName, m_setup.printerName, m_imagePath,
                                     sheet.labels, sheet.highlightIndex};
    const int printed = m_setup.printSheet ? m_setup.printSheet(m_setup.library, request)
                                           : PrintSampleSheet(m_setup.library, request);
    return printed < 0 ? printed : 0;
}

CSampleProcedure::Outcome CSampleProcedure::Run(const SamplePlan& plan, const ImageChoice& image) {
    m_imagePath.clear();
    m_sheetsPrinted = 0;
    if (!plan.hasRecord) return Outcome::Nothing;

    if (m_setup.readyCheck && m_setup.readyCheck() == 0) return Outcome::NotReady;

    if (image.radio == ImageChoice::kStandard)
        m_imagePath = m_setup.standardImagePath.empty() ? StandardSampleImagePath()
                                                        : m_setup.standardImagePath;
    else if (image.radio == ImageChoice::kUserDefined)
        m_imagePath = image.userPath;
    if (Outcome refused = CheckImage(m_imagePath); refused != Outcome::Printed) return refused;

    // Remembered only once the image was accepted; a choice that cannot be
    // stored still prints.
    if (m_setup.rememberImageChoice)
        WriteImageChoice(m_setup.modelName, plan.dialog, plan.record, image);

    const int count = static_cast<int>(plan.sheets.size());
    if (!plan.series) {
        for (int n = 1; n <= count; ++n) {
            const SampleSheet& sheet = plan.sheets[static_cast<std::size_t>(n - 1)];
            Tell(Event::Kind::Sheet, n, count, &sheet, 0);
            if (const int r = PrintOne(sheet, -1, -1); r < 0) {
                Tell(Event::Kind::Failed, n, count, &sheet, r);
                return Outcome::DriverFailed;
            }
            ++m_sheetsPrinted;
            Tell(Event::Kind::Printed, n, count, &sheet, 0);
        }
        return Outcome::Printed;
    }
    if (count == 0) return Outcome::Printed;

    // The driver as it was before the series: its kind, and for kind 1 the
    // cut flag the last sheet gives back; otherwise how many sheets the
    // printer groups.
    int kind = -1;
    int flagOriginal = 0;
    int perGroup = 1;
    {
        CDriverSettingsAccess access(m_setup.library, m_setup.printerName, m_setup.portName,
                                     m_setup.devMode);
        if (access.SetItem20() < 0) return Outcome::DriverFailed;
        kind = access.DriverKind();
        if (kind < 0) return Outcome::DriverFailed;
        if (kind == 1) {
            flagOriginal = access.Item205Bit3();
            if (flagOriginal < 0) return Outcome::DriverFailed;
        } else {
            const int second = access.Item30Second();
            if (second < 0) return Outcome::DriverFailed;
            perGroup = SheetsPerGroup(second);
        }
    }

    // Kind 1: the sheets of a series stay uncut until the last one.
    int flag = count > 1 ? 0 : (flagOriginal == 1 ? 1 : 0);
    Outcome outcome = Outcome::Printed;
    for (int n = 1; n <= count; ++n) {
        if (Stopped()) {
            outcome = Outcome::Cancelled;
            break;
        }
        const SampleSheet& sheet = plan.sheets[static_cast<std::size_t>(n - 1)];
        const SampleSheet* previous =
            n > 1 ? &plan.sheets[static_cast<std::size_t>(n - 2)] : nullptr;
        if (count > 1) {
            if (kind == 1) {
                if (n == count) flag = flagOriginal == 1 ? 1 : 0;
            } else if (perGroup > 1) {
                int value = -1;
                bool wait = false;
                if (n % perGroup == 1) {
                    if (n < count) {
                        value = kEscBarOpen;
                        wait = previous != nullptr;
                    }
                } else if (n % perGroup == 0 || n == count) {
                    value = kEscBarClose;
                    wait = true;
                }
                if (wait) {
                    Tell(Event::Kind::QueueWait, n, count, previous, 0);
                    WaitForQueuedJob(m_setup.printerName, previous->Title(), m_setup.stop);
                    if (Stopped()) {
                        outcome = Outcome::Cancelled;
                        break;
                    }
                }
                if (value >= 0) SendEscBar(value, n, count, &sheet);
            }
        }
        Tell(Event::Kind::Sheet, n, count, &sheet, 0);
        if (const int r = PrintOne(sheet, kind, flag); r < 0) {
            Tell(Event::Kind::Failed, n, count, &sheet, r);
            outcome = Outcome::DriverFailed;
            break;
        }
        ++m_sheetsPrinted;
        Tell(Event::Kind::Printed, n, count, &sheet, 0);
    }
    // Also after an error: the printer must not stay in a group.
    if (kind != 1) SendEscBar(kEscBarEnd, count, count, nullptr);
    return outcome;
}

QueuedJobWait WaitForQueuedJob(const std::string& printerName, const std::string& documentName,
                               const std::function<bool()>& stop) {
    constexpr std::size_t kJobsListed = 16;
    constexpr std::int64_t kEmptyQueueMs = 60000;
    constexpr int kPassMs = 500;

    Spooler& spooler = Spooler::Current();
    const Spooler::Handle printer = spooler.OpenPrinter(printerName);
    if (printer == 0) return QueuedJobWait::NoPrinter;
    Clock& clock = Clock::Current();

    // The empty-queue timer runs from entry and again whenever the queue
    // empties; a queue with jobs in it stops it.
    bool emptyTimerRunning = true;
    std::int64_t emptySince = clock.TickMs();
    QueuedJobWait result = QueuedJobWait::Stopped;
    for (;;) {
        if (stop && stop()) break;
        std::vector<SpoolerJob> jobs;
        if (!spooler.EnumJobs(printer, 0, kJobsListed, jobs)) {
            result = QueuedJobWait::ListFailed;
            break;
        }
        if (!jobs.empty()) {
            emptyTimerRunning = false;
            bool found = false;
            for (const SpoolerJob& job : jobs)
                found = found || job.document == documentName;
            if (found) {
                result = QueuedJobWait::Found;
                break;
            }
        } else {
            if (!emptyTimerRunning) {
                emptyTimerRunning = true;
                emptySince = clock.TickMs();
            }
            if (clock.TickMs() - emptySince > kEmptyQueueMs) {
                result = QueuedJobWait::QueueStayedEmpty;
                break;
            }
        }
        // Through the clock: the windows stay painted and nothing spins.
        clock.Wait(kPassMs, stop);
    }
    spooler.ClosePrinter(printer);
    return result;
}
