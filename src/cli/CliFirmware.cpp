#include "cli/CliFirmware.h"

#include "app/CPlotcareApp.h"
#include "cli/CliBusyProgress.h"
#include "cli/CliContext.h"
#include "cli/CliMessage.h"
#include "cli/CliReadyProgress.h"
#include "cli/CliText.h"
#include "comm/CPrinterLink.h"
#include "firmware/CFirmwareUpdate.h"

#include <ostream>
#include <string>

namespace cli {

namespace {

using Result = CFirmwareUpdate::Outcome;

struct CheckRow {
    int result;
    const char* word;
    int fallback; // message when the Settings folder has no text for the page's
};

const CheckRow kCheckRows[] = {
    {kUpgValid, "valid", 110700},
    {kUpgNoMemory, "too-large", 110701},
    {kUpgCorrupt, "corrupt", 110702},
    {kUpgBadVersionMark, "bad-version-mark", 110703},
};

const CheckRow& CheckRowFor(int result) {
    for (const CheckRow& row : kCheckRows)
        if (row.result == result) return row;
    return kCheckRows[2];
}

// The file's verdict as an outcome (exit 5 unless it passes).
Outcome CheckOutcome(int result, const std::string& version) {
    const CheckRow& row = CheckRowFor(result);
    if (result == kUpgValid) {
        Outcome valid = Outcome::Of(kExitOk, row.word, DualText::Of(row.fallback, {version}));
        valid.fields = {{"fileVersion", JsonString(version)}};
        return valid;
    }
    const CFirmwareUpdate::Message message = CFirmwareUpdate::MessageForCheck(result);
    return Outcome::Of(kExitRefused, row.word, DualText::PageText(message.text, row.fallback));
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

// Message `id` whose arguments are themselves sentences: each output takes
// its own language throughout.
DualText Compose(int id, const DualText& first, const std::string& second,
                 const DualText& third = {}) {
    return {Message(id, {first.shown, second, third.shown}),
            NeutralMessage(id, {first.neutral, second, third.neutral})};
}

struct UpdateRow {
    Result result;
    int exitCode;
    const char* word;
    int fallback; // message when the Settings folder has no text for the page's
};

const UpdateRow kUpdateRows[] = {
    {Result::Updated, kExitOk, "updated", 110710},
    {Result::VersionDiffers, kExitFailed, "version-differs", 110711},
    {Result::StillNotReady, kExitCancelled, "not-back", 110712},
    {Result::NotReady, kExitNotReady, "not-ready", 110713},
    {Result::CannotOpen, kExitRefused, "cannot-open", 110714},
    {Result::NoMemory, kExitRefused, "too-large", 110715},
    {Result::BadImage, kExitRefused, "corrupt", 110716},
    {Result::BadVersionMark, kExitRefused, "bad-version-mark", 110717},
    {Result::ImageChanged, kExitRefused, "file-changed", 110718},
    {Result::NotSent, kExitFailed, "not-sent", 110719},
    {Result::Cancelled, kExitCancelled, "cancelled", 110720},
    {Result::NoFile, kExitRefused, "no-file", 110721},
    {Result::NotOffered, kExitRefused, "not-offered", 110722},
};

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
    DualText comparison = DualText::PageText(decision.status, 0);
    if (comparison.shown.empty()) comparison.shown = StatusWord(decision.status);
    if (comparison.neutral.empty()) comparison.neutral = StatusWord(decision.status);
    outcome.Say(printerVersion.empty() ? Compose(110705, outcome.Said(), "")
                                       : Compose(decision.updateEnabled ? 110706 : 110707,
                                                 outcome.Said(), printerVersion, comparison));
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
        c.err << "plotcare-cli: "
              << Message(110730, {Escaped(logic.FileVersion()), Escaped(s.printer.name),
                                  std::to_string(bytes)})
              << "\n";
    };
    waits.sent = [&](std::size_t) { c.err << "plotcare-cli: " << Message(110731) << "\n"; };
    waits.restartTimedOut = [&] {
        c.err << "plotcare-cli: "
              << Escaped(DualText::PageText(CFirmwareUpdate::kTextNoRestart, 110732).shown) << "\n";
    };
    const Result result = logic.Update(link, s.printer.name, true, waits);

    Outcome outcome = Outcome::Of(kExitFailed, "failed", DualText::Of(110733));
    for (const UpdateRow& row : kUpdateRows) {
        if (row.result != result) continue;
        const int text = CFirmwareUpdate::MessageFor(result).text;
        outcome =
            Outcome::Of(row.exitCode, row.word,
                        text ? DualText::PageText(text, row.fallback) : DualText::Of(row.fallback));
    }
    if (ready.Cancelled()) outcome = Outcome::Of(kExitCancelled, "cancelled", DualText::Of(110734));
    if (result == Result::NotOffered && before.empty())
        outcome = Outcome::Of(kExitNoAnswer, "no-version",
                              DualText::PageText(CFirmwareUpdate::kTextNoPrinterVersion, 110735));
    outcome.fields = fields;
    if (result == Result::Updated || result == Result::VersionDiffers) {
        outcome.fields.emplace_back("newVersion", JsonString(logic.PrinterVersion()));
        if (result == Result::Updated)
            outcome.Say(Compose(110736, outcome.Said(), logic.PrinterVersion()));
        else if (logic.PrinterVersion().empty())
            outcome.Say(Compose(110738, outcome.Said(), ""));
        else
            outcome.Say(Compose(110737, outcome.Said(), logic.PrinterVersion()));
    }
    if (logic.LastJobBytes())
        outcome.fields.emplace_back("jobBytes", std::to_string(logic.LastJobBytes()));
    outcome.fields.emplace_back("restartTimedOut", logic.RestartTimedOut() ? "true" : "false");
    return Report(c, s.printer.name, "fw-update", outcome);
}

} // namespace cli
