#include "firmware/CFirmwareUpdate.h"

#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "comm/ReadyWaitProgress.h"
#include "firmware/FirmwareJob.h"
#include "maintenance/BusyIndicator.h"
#include "platform/Clock.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

// Shows nothing and never ends the wait early; only makes the link wait on
// the event queue, so the windows stay alive.
class QuietReadyWait final : public ReadyWaitProgress {
public:
    void ReadyWaitBegin(const std::string&, int) override {}
    bool ReadyWaitPoll(std::int64_t) override { return false; }
    void ReadyWaitEnd(bool) override {}
};

// Closes a channel however the wait ends.
class ChannelScope {
public:
    explicit ChannelScope(CPrinterLink& link) : m_link(link) {}
    ~ChannelScope() { Close(); }
    ChannelScope(const ChannelScope&) = delete;
    ChannelScope& operator=(const ChannelScope&) = delete;
    int handle = 0;
    void Close() {
        if (handle > 0) m_link.CloseChannel(handle);
        handle = 0;
    }

private:
    CPrinterLink& m_link;
};

} // namespace

CFirmwareUpdate::Message CFirmwareUpdate::MessageForCheck(int checkResult) {
    switch (checkResult) {
    case kUpgValid:
        return {0, Icon::Information};
    case kUpgBadVersionMark:
        return {kTextBadVersionMark, Icon::Error};
    default:
        return {kTextBadFile, Icon::Error};
    }
}

CFirmwareUpdate::Message CFirmwareUpdate::MessageFor(Outcome outcome) {
    switch (outcome) {
    case Outcome::Updated:
        return {kTextUpdated, Icon::Information};
    case Outcome::VersionDiffers:
        return {kTextVersionDiffers, Icon::Warning};
    case Outcome::StillNotReady:
        return {kTextStillNotReady, Icon::Warning};
    case Outcome::NotReady:
    case Outcome::CannotOpen:
    case Outcome::NotSent:
        return {kTextNotReady, Icon::Warning};
    case Outcome::NoMemory:
        return {kTextNoMemory, Icon::Error};
    case Outcome::BadVersionMark:
        return {kTextBadVersionMark, Icon::Error};
    case Outcome::BadImage:
    case Outcome::ImageChanged:
        return {kTextBadFile, Icon::Error};
    case Outcome::Cancelled:
    case Outcome::NoFile:
    case Outcome::NotOffered:
        break;
    }
    return {0, Icon::Information};
}

int CFirmwareUpdate::ChooseFile(const std::string& path) {
    UpgScan scan = ScanUpgFile(path);
    if (scan.result != kUpgValid) return scan.result;
    m_path = path;
    m_fileVersion = scan.version;
    m_checked = std::move(scan);
    return kUpgValid;
}

std::string CFirmwareUpdate::RememberedFolder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

const std::string& CFirmwareUpdate::ReadPrinterVersion(CPrinterLink& link,
                                                       const std::string& printer) {
    m_printerVersion = QueryFirmwareVersion(link, printer);
    return m_printerVersion;
}

CFirmwareUpdate::Outcome CFirmwareUpdate::Update(CPrinterLink& link, const std::string& printer,
                                                 bool checks, const UpdateWaits& waits) {
    m_lastJobBytes = 0;
    m_restartTimedOut = false;
    if (!HasFile() || !waits.busy) return Outcome::NoFile;
    // Never an image older than the printer's firmware, nor one for a
    // printer whose version is unknown (the page's "Update" is disabled then).
    if (!Decision().updateEnabled) return Outcome::NotOffered;
    if (checks && link.WaitUntilReady(printer, waits.ready) != 1) return Outcome::NotReady;

    // The file is checked again before a job is made: a file replaced or
    // still being written since it was chosen is refused with its message.
    const UpgScan now = ScanUpgFile(m_path);
    switch (now.result) {
    case kUpgValid:
        break;
    case kUpgNoMemory:
        return Outcome::NoMemory;
    case kUpgBadVersionMark:
        return Outcome::BadVersionMark;
    default:
        return now.readable ? Outcome::BadImage : Outcome::CannotOpen;
    }
    if (!now.SameBytes(m_checked)) return Outcome::ImageChanged;

    // And once more on the very bytes that go out, in case it changes while
    // it is sent: a job whose bytes were not the ones checked is dropped
    // before it reaches the printer.
    switch (SendFirmwareJob(printer, m_path, m_printerVersion, m_checked, m_lastJobBytes,
                            waits.sending)) {
    case FirmwareSend::Sent:
        break;
    case FirmwareSend::CannotOpen:
        return Outcome::CannotOpen;
    case FirmwareSend::NoMemory:
        return Outcome::NoMemory;
    case FirmwareSend::BadImage:
        return Outcome::BadImage;
    case FirmwareSend::BadVersionMark:
        return Outcome::BadVersionMark;
    case FirmwareSend::Changed:
        return Outcome::ImageChanged;
    case FirmwareSend::NotSent:
        return Outcome::NotSent;
    }
    if (waits.sent) waits.sent(m_lastJobBytes);

    switch (WaitForRestart(link, printer, *waits.busy, waits.cancellable)) {
    case Restart::Cancelled:
        return Outcome::Cancelled;
    case Restart::TimedOut: {
        m_restartTimedOut = true;
        if (waits.restartTimedOut) waits.restartTimedOut();
        QuietReadyWait quiet;
        if (link.WaitUntilReady(printer, waits.afterTimeout ? waits.afterTimeout : &quiet) != 1)
            return Outcome::StillNotReady;
        break;
    }
    case Restart::Back:
        break;
    }

    ReadPrinterVersion(link, printer);
    return m_printerVersion == m_fileVersion ? Outcome::Updated : Outcome::VersionDiffers;
}

CFirmwareUpdate::Restart CFirmwareUpdate::WaitForRestart(CPrinterLink& link,
                                                         const std::string& printer,
                                                         BusyIndicator& busy, bool cancellable) {
    Clock& clock = Clock::Current();
    busy.Begin(kTextUpdating, kRestartTimeoutMs, cancellable);
    const auto stopped = [&busy] { return busy.State() != BusyIndicator::kRunning; };
    // The printer is busy taking the image: give it its time on the event
    // queue before asking anything.
    clock.Wait(kRestartGraceMs, stopped);

    ChannelScope channel(link);
    bool back = false;
    std::int64_t lastQuery = 0;
    bool queried = false;
    while (busy.Poll() == BusyIndicator::kRunning) {
        if (channel.handle < 1) {
            channel.handle = link.OpenChannel(printer);
            if (channel.handle < 1) {
                channel.handle = 0;
                clock.Wait(kOpenRetryMs, stopped);
            }
            continue;
        }
        const std::int64_t now = clock.TickMs();
        if (queried && now - lastQuery < kStatusSpacingMs) {
            clock.Wait(static_cast<int>(kStatusSpacingMs - (now - lastQuery)), stopped);
            continue;
        }
        CStatusReply status;
        const int read = link.QueryStatus(channel.handle, status);
        lastQuery = clock.TickMs();
        queried = true;
        if (read > 0 && status.IsReady()) {
            back = true;
            break;
        }
        // A channel that failed stays dead across the printer's restart (a
        // local connection is dropped): open a new one.
        if (read < 0) channel.Close();
    }
    channel.Close();
    const int state = busy.State();
    busy.End();
    if (back) return Restart::Back;
    return state == BusyIndicator::kCancelled ? Restart::Cancelled : Restart::TimedOut;
}
