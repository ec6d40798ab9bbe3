#pragma once

#include "firmware/FirmwareImage.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class BusyIndicator;
class CPrinterLink;
class ReadyWaitProgress;

// The firmware update page without its window: the chosen image file and
// its version, the printer's version, the decision whether to offer the
// update, and the update itself (readiness, the image checked again on the
// very bytes that go out, the job, the printer's restart and its new
// version). Each update ends in an outcome; the page turns it into a
// message box, plotcare-cli into its exit code.
class CFirmwareUpdate {
public:
    enum class Outcome {
        Updated,        // the printer came back with the file's version
        VersionDiffers, // it came back with another version
        StillNotReady,  // it did not come back in time and is still not ready
        NotReady,       // the printer was not ready before anything was sent
        CannotOpen,     // the image file could not be opened or read at the update
        NoMemory,       // no room for the image
        BadImage,       // the bytes read at the update fail their checks
        BadVersionMark, // ... their version mark
        ImageChanged,   // they pass, but are not the bytes checked when chosen
        NotSent,        // the spooler did not take the whole job
        Cancelled,      // the restart wait was ended (plotcare-cli's Ctrl-C)
        NoFile,         // no image chosen
        NotOffered,     // the versions known give no update (printer's newer or unknown)
    };

    enum class Icon { Warning, Error, Information };
    struct Message {
        int text;
        Icon icon;
    };

    static constexpr int kTextNotReady = 901;
    static constexpr int kTextNoMemory = 902;
    static constexpr int kTextBusyCaption = 70000;
    static constexpr int kTextUnknownVersion = 70009;
    static constexpr int kTextUpdating = 70110;
    static constexpr int kTextNoPrinterVersion = 70900;
    static constexpr int kTextBadVersionMark = 70901;
    static constexpr int kTextBadFile = 70902;
    static constexpr int kTextUpdated = 70903;
    static constexpr int kTextNoRestart = 70904;
    static constexpr int kTextVersionDiffers = 70905;
    static constexpr int kTextStillNotReady = 70906;

    // Every message of the page, in the order review mode shows them.
    static constexpr Message kReviewMessages[] = {
        {kTextNoPrinterVersion, Icon::Warning}, {kTextBadFile, Icon::Error},
        {kTextBadVersionMark, Icon::Error},     {kTextNoRestart, Icon::Warning},
        {kTextStillNotReady, Icon::Warning},    {kTextUpdated, Icon::Information},
        {kTextVersionDiffers, Icon::Warning},
    };

    // The busy wait while the printer reads its version when the page is shown.
    static constexpr int kVersionBusyTimeoutMs = 60000;
    // After the job: the printer takes the image and restarts. For the first
    // 70 s nobody asks; the whole wait ends 150 s after the job.
    static constexpr int kRestartTimeoutMs = 150000;
    static constexpr int kRestartGraceMs = 70000;
    static constexpr int kOpenRetryMs = 5000;
    static constexpr int kStatusSpacingMs = 2000;

    // The message of an image check's result (0 has none: text 0).
    static Message MessageForCheck(int checkResult);
    // The message of an update's outcome (Cancelled, NoFile and NotOffered have
    // none: text 0).
    static Message MessageFor(Outcome outcome);

    // Browse: checks the file; when it passes it becomes the chosen image
    // (its path, version and the digest of the bytes checked). Otherwise
    // the earlier choice stays. Returns the check's result.
    int ChooseFile(const std::string& path);
    // The folder remembered for the next Browse: the chosen file's folder,
    // "/" for a file in the root folder.
    static std::string RememberedFolder(const std::string& path);
    bool HasFile() const { return !m_path.empty(); }
    const std::string& FilePath() const { return m_path; }
    const std::string& FileVersion() const { return m_fileVersion; }

    // Reads the printer's version into the page state ("" when it gives none).
    const std::string& ReadPrinterVersion(CPrinterLink& link, const std::string& printer);
    const std::string& PrinterVersion() const { return m_printerVersion; }
    void SetPrinterVersion(std::string version) { m_printerVersion = std::move(version); }

    // The status text and "Update" for the versions known now.
    VersionDecision Decision() const { return CompareVersions(m_printerVersion, m_fileVersion); }

    struct UpdateWaits {
        // The readiness wait before anything is sent (null: plain waits).
        ReadyWaitProgress* ready = nullptr;
        // Shows the restart wait (required).
        BusyIndicator* busy = nullptr;
        // Whether the restart wait may be ended by the operator.
        bool cancellable = false;
        // The readiness wait after the restart wait timed out; null: one
        // that shows nothing and waits on the event queue.
        ReadyWaitProgress* afterTimeout = nullptr;
        // Called when the restart wait has timed out, before that readiness
        // wait (the page shows its message then).
        std::function<void()> restartTimedOut;
        // Called with the job's size just before it goes to the spooler, and
        // once it went out.
        std::function<void(std::uint64_t jobBytes)> sending;
        std::function<void(std::uint64_t jobBytes)> sent;
    };

    // `checks` false (review mode): no readiness wait before the job.
    Outcome Update(CPrinterLink& link, const std::string& printer, bool checks,
                   const UpdateWaits& waits);

    // The bytes of the last job sent (0 when none went out).
    std::uint64_t LastJobBytes() const { return m_lastJobBytes; }
    // Whether the last update's restart wait timed out.
    bool RestartTimedOut() const { return m_restartTimedOut; }

private:
    enum class Restart { Back, TimedOut, Cancelled };
    Restart WaitForRestart(CPrinterLink& link, const std::string& printer, BusyIndicator& busy,
                           bool cancellable);

    std::string m_path;
    std::string m_fileVersion;
    UpgScan m_checked; // what Browse checked
    std::string m_printerVersion;
    std::uint64_t m_lastJobBytes = 0;
    bool m_restartTimedOut = false;
};
