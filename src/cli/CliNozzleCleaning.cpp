#include "cli/CliNozzleCleaning.h"

#include "app/CPlotcareApp.h"
#include "cli/CliContext.h"
#include "cli/CliReadyProgress.h"
#include "comm/CPrinterLink.h"
#include "maintenance/CNozzleCleaning.h"

#include <string>

namespace cli {

namespace {

using Action = CNozzleCleaning::Action;
using Result = CNozzleCleaning::Outcome;

struct OutcomeRow {
    Result result;
    int exitCode;
    const char* word;
    // Said when the settings give no text for the page's message.
    int fallback;
};

const OutcomeRow kRows[] = {
    {Result::Sent, kExitOk, "sent", 110800},
    {Result::NotReady, kExitNotReady, "not-ready", 110801},
    {Result::NoStatus, kExitNoAnswer, "no-status", 110802},
    {Result::InkLow, kExitRefused, "ink-low", 110803},
    {Result::Field0DLow, kExitRefused, "maintenance-tank-low", 110804},
    {Result::NotSent, kExitFailed, "not-sent", 110805},
};

int Run(Context& c, Action action, const char* name) {
    ActionSession session;
    if (int r = session.Open(c)) return r;
    CPrinterLink link(&session.Bidi());
    CNozzleCleaning logic(link, session.Name(), true);
    CliReadyProgress progress(c.err, c.options.terminal);
    const Result result = action == Action::NozzleCheck ? logic.NozzleCheck(&progress)
                                                        : logic.HeadCleaning(&progress);

    Outcome outcome = Outcome::Of(kExitCancelled, "cancelled", DualText::Of(110806));
    if (!progress.Cancelled()) {
        for (const OutcomeRow& row : kRows) {
            if (row.result != result) continue;
            outcome = Outcome::Of(
                row.exitCode, row.word,
                DualText::PageText(CNozzleCleaning::MessageFor(action, result).text, row.fallback));
        }
    }
    if (logic.LastJobLength() > 0)
        outcome.fields.emplace_back("jobBytes", std::to_string(logic.LastJobLength()));
    return Report(c, session.Name(), name, outcome);
}

} // namespace

int NozzleCheck(Context& c) {
    return Run(c, Action::NozzleCheck, "nozzle-check");
}

int HeadClean(Context& c) {
    return Run(c, Action::HeadCleaning, "head-clean");
}

} // namespace cli
