#include "cli/CliFirmware.h"

#include "app/CPlotcareApp.h"
#include "cli/CliBusyProgress.h"
#include "cli/CliContext.h"
#include "cli/CliReadyProgress.h"
#include "cli/CliText.h"
#include "comm/CPrinterLink.h"
#include "firmware/CFirmwareUpdate.h"

#include <ostream>
#include <string>

namespace cli {

namespace {

using Result = CFirmwareUpdate::Outcome;

// The settings' text as one line; `fallback` when they give none.
std::string TextOr(int id, const char* fallback) {
    QString text = App().GetText(id);
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.isEmpty() ? fallback : text.toStdString();
}

struct CheckRow {
    int result;
    const char* word;
    const char* fallback;
};

const CheckRow kCheckRows[] = {
    {kUpgValid, "valid", "a valid firmware image"},
    {kUpgNoMemory, "too-large", "the firmware file is too large"},
    {kUpgCorrupt, "corrupt", "the firmware file cannot be read or is damaged"},
    {kUpgBadVersionMark, "bad-version-mark", "this file is not a firmware file for this printer"},
};

const CheckRow& CheckRowFor(int result) {
    for (const CheckRow& row : kCheckRows)
        if (row.result == result) return row;
    return kCheckRows[2];
}

// The file's verdict as an outcome (exit 5 unless it passes).
Outcome CheckOutcome(int result, const std::string& version) {
    const CheckRow& row = CheckRowFor(result);
    if (result == kUpgValid)
        return {kExitOk,
                row.word,
                std::string(row.fallback) + ", version " + version,
                {{"fileVersion", JsonString(version)}}};
    const CFirmwareUpdate::Message message = CFirmwareUpdate::MessageForCheck(result);
    return {kExitRefused, row.word, TextOr(message.text, row.fallback), {}};
}

const char* StatusWord(int status) {
    switch (status) {
    case kStatusFileNewer:
        return "file-newer";
    case kStatusPrinterNewer:
        return "printer-newer";
    case kStatusSameVersion:
        return "same";
    default:
        return "unknown";
    }
}

struct UpdateRow {
    Result result;
    int exitCode;
    const char* word;
    const char* fallback;
};

const UpdateRow kUpdateRows[] = {
    {Result::Updated, kExitOk, "updated", "the firmware has been updated"},
    {Result::VersionDiffers, kExitFailed, "version-differs",
     "the printer's version does not match the file"},
    {Result::StillNotReady, kExitCancelled, "not-back",
     "the printer is not ready after the update"},
    {Result::NotReady, kExitNotReady, "not-ready", "the printer is not ready"},
    {Result::CannotOpen, kExitRefused, "cannot-open", "the firmware file cannot be opened"},
    {Result::NoMemory, kExitRefused, "too-large",
     "there is not enough memory for the firmware file"},
    {Result::BadImage, kExitRefused, "corrupt", "the firmware file cannot be read or is damaged"},
    {Result::BadVersionMark, kExitRefused, "bad-version-mark",
     "this file is not a firmware file for this printer"},
    {Result::ImageChanged, kExitRefused, "file-changed",
     "the firmware file changed since it was checked"},
    {Result::NotSent, kExitFailed, "not-sent", "the firmware job could not be sent to the printer"},
    {Result::Cancelled, kExitCancelled, "cancelled",
     "the wait for the printer's restart was ended"},
    {Result::NoFile, kExitRefused, "no-file", "no firmware file"},
    {Result::NotOffered, kExitRefused, "not-offered",
     "the printer's firmware is newer than the file"},
};

// Shows what was sent on the progress stream.
std::string Bytes(std::size_t n) {
    return std::to_string(n) + " bytes";
}

} // namespace

int FwCheck(Context& c) {
    const std::string file = c.args[0];
    CFirmwareUpdate logic;
    const int result = logic.ChooseFile(file);
    Outcome outcome = CheckOutcome(result, logic.FileVersion());
    outcome.fields.insert(outcome.fields.begin(), {"file", JsonString(file)});
    if (c.args.size() < 2 || result != kUpgValid)
        return Report(c, c.args.size() < 2 ? "" : c.args[1], "fw-check", outcome);

    Context printerContext = c;
    printerContext.args = {c.args[1]};
    Session s;
    if (int r = Open(printerContext, s)) return r;
    CPrinterLink link(&s.lib);
    const std::string& printerVersion = logic.ReadPrinterVersion(link, s.printer.name);
    const VersionDecision decision = logic.Decision();
    outcome.message +=
        printerVersion.empty()
            ? "; the printer's version cannot be read: no update offered"
            : "; printer version " + printerVersion + ": " +
                  TextOr(decision.status, StatusWord(decision.status)) +
                  (decision.updateEnabled ? " (update offered)" : " (no update offered)");
    outcome.fields.emplace_back("printerVersion", JsonString(printerVersion));
    outcome.fields.emplace_back("comparison", JsonString(StatusWord(decision.status)));
    outcome.fields.emplace_back("updateOffered", decision.updateEnabled ? "true" : "false");
    return Report(c, s.printer.name, "fw-check", outcome);
}

int FwUpdate(Context& c) {
    Session s;
    if (int r = Open(c, s)) return r;
    const std::string file = c.args[1];
    CFirmwareUpdate logic;
    std::vector<std::pair<std::string, std::string>> fields{{"file", JsonString(file)}};
    const int check = logic.ChooseFile(file);
    if (check != kUpgValid) {
        Outcome outcome = CheckOutcome(check, "");
        outcome.fields.insert(outcome.fields.begin(), fields.begin(), fields.end());
        return Report(c, s.printer.name, "fw-update", outcome);
    }
    fields.emplace_back("fileVersion", JsonString(logic.FileVersion()));

    CPrinterLink link(&s.lib);
    const std::string before = logic.ReadPrinterVersion(link, s.printer.name);
    fields.emplace_back("printerVersion", JsonString(before));

    CliReadyProgress ready(c.err, c.options.terminal);
    CliReadyProgress afterTimeout(c.err, c.options.terminal);
    CliBusyProgress busy(c.err, c.options.terminal);
    CFirmwareUpdate::UpdateWaits waits;
    waits.ready = &ready;
    waits.busy = &busy;
    waits.cancellable = true; // Ctrl-C ends the restart wait; the image is sent by then
    waits.afterTimeout = &afterTimeout;
    waits.sending = [&](std::size_t bytes) {
        c.err << "plotcare-cli: sending the firmware image " << Escaped(logic.FileVersion())
              << " to \"" << Escaped(s.printer.name) << "\" (" << Bytes(bytes) << ")\n";
    };
    waits.sent = [&](std::size_t) {
        c.err << "plotcare-cli: sent; waiting for the printer to restart\n";
    };
    waits.restartTimedOut = [&] {
        c.err << "plotcare-cli: "
              << Escaped(
                     TextOr(CFirmwareUpdate::kTextNoRestart, "the printer did not restart in time"))
              << "\n";
    };
    const Result result = logic.Update(link, s.printer.name, true, waits);

    Outcome outcome{kExitFailed, "failed", "the update failed", {}};
    for (const UpdateRow& row : kUpdateRows) {
        if (row.result != result) continue;
        const int text = CFirmwareUpdate::MessageFor(result).text;
        outcome = {row.exitCode, row.word, text ? TextOr(text, row.fallback) : row.fallback, {}};
    }
    if (ready.Cancelled())
        outcome = {kExitCancelled, "cancelled", "the wait for the printer was cancelled", {}};
    if (result == Result::NotOffered && before.empty())
        outcome = {kExitNoAnswer,
                   "no-version",
                   TextOr(CFirmwareUpdate::kTextNoPrinterVersion,
                          "the printer's firmware version cannot be read"),
                   {}};
    outcome.fields = fields;
    if (result == Result::Updated || result == Result::VersionDiffers) {
        outcome.fields.emplace_back("newVersion", JsonString(logic.PrinterVersion()));
        if (result == Result::Updated)
            outcome.message += " (version " + logic.PrinterVersion() + ")";
        else
            outcome.message += " (the printer reports " +
                               (logic.PrinterVersion().empty() ? std::string("no version")
                                                               : logic.PrinterVersion()) +
                               ")";
    }
    if (logic.LastJobBytes())
        outcome.fields.emplace_back("jobBytes", std::to_string(logic.LastJobBytes()));
    outcome.fields.emplace_back("restartTimedOut", logic.RestartTimedOut() ? "true" : "false");
    return Report(c, s.printer.name, "fw-update", outcome);
}

} // namespace cli
