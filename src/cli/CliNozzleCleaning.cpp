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
    const char* fallback;
};

const OutcomeRow kRows[] = {
    {Result::Sent, kExitOk, "sent", "the job was sent to the printer"},
    {Result::NotReady, kExitNotReady, "not-ready", "the printer is not ready"},
    {Result::NoStatus, kExitNoAnswer, "no-status", "the printer gave no status record"},
    {Result::InkLow, kExitRefused, "ink-low", "an ink is low: no head cleaning"},
    {Result::Field0DLow, kExitRefused, "maintenance-tank-low",
     "the maintenance tank (status field 0D) is low: no head cleaning"},
    {Result::NotSent, kExitFailed, "not-sent", "the job could not be sent to the printer"},
};

// The page's message as one line.
std::string OneLine(QString text) {
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.toStdString();
}

int Run(Context& c, Action action, const char* name) {
    ActionSession session;
    if (int r = session.Open(c)) return r;
    CPrinterLink link(&session.Bidi());
    CNozzleCleaning logic(link, session.Name(), true);
    CliReadyProgress progress(c.err, c.options.terminal);
    const Result result = action == Action::NozzleCheck ? logic.NozzleCheck(&progress)
                                                        : logic.HeadCleaning(&progress);

    Outcome outcome{kExitCancelled, "cancelled", "the wait for the printer was cancelled", {}};
    if (!progress.Cancelled()) {
        for (const OutcomeRow& row : kRows) {
            if (row.result != result) continue;
            const std::string text =
                OneLine(App().GetText(CNozzleCleaning::MessageFor(action, result).text));
            outcome = {row.exitCode, row.word, text.empty() ? row.fallback : text, {}};
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
