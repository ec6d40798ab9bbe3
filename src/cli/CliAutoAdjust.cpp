#include "cli/CliAutoAdjust.h"

#include "app/CPlotcareApp.h"
#include "cli/CliBusyProgress.h"
#include "cli/CliContext.h"
#include "cli/CliMediaOptions.h"
#include "cli/CliMessage.h"
#include "cli/CliReadyProgress.h"
#include "cli/CliText.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CMediaTable.h"
#include "maintenance/BusyIndicator.h"
#include "maintenance/CAutoAdjustment.h"
#include "maintenance/SelectedMediaDriver.h"

#include <ostream>
#include <sstream>

namespace cli {

namespace {

using Adj = CAutoAdjustment;

// Reading the driver's media list takes a moment but needs no line of its
// own on a terminal.
class Silent final : public BusyIndicator {
public:
    bool Begin(int, int, bool) override { return true; }
    int Poll() override { return kRunning; }
    int State() const override { return kRunning; }
    void End() override {}
};

// "1,2,4" -> patterns; false for anything else.
bool ParsePatterns(const std::string& text, Adj::Patterns& patterns) {
    patterns = {};
    std::stringstream s(text);
    std::string item;
    bool any = false;
    while (std::getline(s, item, ',')) {
        int n = 0;
        if (!ParseInt(item, n) || n < 1 || n > Adj::kPatternCount) return false;
        patterns[static_cast<std::size_t>(n - 1)] = true;
        any = true;
    }
    return any && !text.empty() && text.back() != ',';
}

std::string JsonPatterns(const Adj::Patterns& patterns) {
    std::string out = "[";
    for (int i = 0; i < Adj::kPatternCount; ++i)
        if (patterns[static_cast<std::size_t>(i)])
            out += (out.size() > 1 ? "," : "") + std::to_string(i + 1);
    return out + "]";
}

// Exit code and word of an outcome; the sentence is the page's message.
Outcome Describe(Adj::Outcome outcome, bool readyWaitCancelled) {
    // The page's message on one line.
    const auto text = [](Adj::Outcome o) { return DualText::PageText(Adj::MessageFor(o).text, 0); };
    if (readyWaitCancelled) return Outcome::Of(kExitCancelled, "cancelled", DualText::Of(110900));
    switch (outcome) {
    case Adj::Outcome::NotAllowed:
        return Outcome::Of(kExitRefused, "not-allowed", DualText::Of(110901));
    case Adj::Outcome::NotReady:
        return Outcome::Of(kExitNotReady, "not-ready", text(outcome));
    case Adj::Outcome::EmptyThickness:
        return Outcome::Of(kExitRefused, "empty-thickness", text(outcome));
    case Adj::Outcome::NotAlignable:
        return Outcome::Of(kExitRefused, "sn-level", text(outcome));
    case Adj::Outcome::PlatenNotObtained:
        return Outcome::Of(kExitNoAnswer, "platen-not-obtained", DualText::Of(110902));
    case Adj::Outcome::Finished:
        return Outcome::Of(kExitOk, "finished", text(outcome));
    case Adj::Outcome::Cancelled:
        return Outcome::Of(kExitCancelled, "cancelled", text(outcome));
    case Adj::Outcome::TimedOut:
        return Outcome::Of(kExitCancelled, "timed-out", text(outcome));
    case Adj::Outcome::Failed: break;
    }
    return Outcome::Of(kExitFailed, "failed", text(Adj::Outcome::Failed));
}

int Usage(Context& c, const std::string& what) {
    c.err << "plotcare-cli: " << what << "\n"
          << Message(110000)
          << ": plotcare-cli auto-align PRINTER --direction bi|uni [--patterns 1,2,3,4] "
          << "[--media ID] [--thickness N] [--platen VALUE|auto]\n";
    return kExitUsage;
}

} // namespace

int AutoAlign(Context& c) {
    // The command line first: nothing is opened for a wrong one.
    const std::string direction = c.Value("--direction");
    if (direction != "bi" && direction != "uni")
        return Usage(c, Message(110903, {"--direction", "bi", "uni"}));
    const Adj::Direction dir =
        direction == "bi" ? Adj::Direction::Bidirectional : Adj::Direction::Unidirectional;
    Adj::Patterns patterns{true, true, true, true};
    if (c.Has("--patterns") && !ParsePatterns(c.Value("--patterns"), patterns))
        return Usage(c, Message(110904, {"--patterns"}));
    MediaOptions given;
    if (const std::string wrong = ReadMediaOptions(c, given); !wrong.empty()) return Usage(c, wrong);
    const int mediaId = given.mediaId;
    const int platen = given.platen;

    ActionSession session;
    if (int r = session.Open(c)) return r;
    const std::string& printer = session.Name();
    Adj adj(*session.Shared().mediaTable);
    const auto driver = SelectedMediaDriver();
    Silent quiet;
    adj.Activate(printer, *driver, quiet);

    // As an operator would fill the page: thickness, media, platen gap, patterns.
    if (c.Has("--thickness")) {
        const std::string typed = c.Value("--thickness");
        const std::string cleaned = adj.TypeThickness(typed);
        if (cleaned != typed)
            c.err << "plotcare-cli: " << Message(110905, {Escaped(typed), cleaned}) << "\n";
    }
    if (c.Has("--media")) {
        const int index = adj.MediaIndexOfId(static_cast<std::uint32_t>(mediaId));
        if (index < 0)
            return Usage(c, Message(110906, {Escaped(printer), std::to_string(mediaId),
                                             OfferedMediaIds(adj.Choice())}));
        if (!adj.SelectMedia(index, *driver))
            return Report(c, printer, "auto-align",
                          Outcome::Of(kExitRefused, "media-unavailable",
                                      DualText::Of(110907, {std::to_string(mediaId)})));
        const std::string given = c.Value("--thickness");
        if (c.Has("--thickness") && adj.Choice().ThicknessText() != given &&
            !adj.Choice().ThicknessText().empty())
            c.err << "plotcare-cli: " << Message(110908, {adj.Choice().ThicknessText()}) << "\n";
    }
    if (platen >= 0 && !adj.Choice().PlatenItems().empty()) {
        const int index = adj.Choice().PlatenIndexOfValue(platen);
        if (index < 0)
            return Usage(c, Message(110909, {c.Value("--platen"), adj.Choice().ThicknessText(),
                                             OfferedPlatenValues(adj.Choice())}));
        adj.SelectPlaten(index);
    }
    for (int p = 1; p <= Adj::kPatternCount; ++p)
        adj.SetPattern(dir, p, patterns[static_cast<std::size_t>(p - 1)]);

    CPrinterLink link(&session.Bidi());
    CliReadyProgress ready(c.err, c.options.terminal);
    CliBusyProgress busy(c.err, c.options.terminal);
    const Adj::Outcome result = adj.StartAlignment(dir, link, printer, *driver, &ready, true, busy);
    Outcome outcome = Describe(result, ready.Cancelled());
    outcome.fields = {{"direction", JsonString(direction)},
                      {"patterns", JsonPatterns(patterns)},
                      {"media", std::to_string(adj.Choice().SelectedMediaId())},
                      {"thickness", std::to_string(adj.Choice().Thickness())},
                      {"platen", std::to_string(adj.LastPlatenValue())},
                      {"timeoutMs", std::to_string(adj.LastTimeoutMs())}};
    return Report(c, printer, "auto-align", outcome);
}

int AutoNozzle(Context& c) {
    ActionSession session;
    if (int r = session.Open(c)) return r;
    const std::string& printer = session.Name();
    Adj adj(*session.Shared().mediaTable);
    CPrinterLink link(&session.Bidi());
    CliReadyProgress ready(c.err, c.options.terminal);
    CliBusyProgress busy(c.err, c.options.terminal);
    const Adj::Outcome result = adj.StartNozzleCheck(link, printer, &ready, true, busy);
    Outcome outcome = Describe(result, ready.Cancelled());
    outcome.fields = {{"timeoutMs", std::to_string(adj.LastTimeoutMs())}};
    return Report(c, printer, "auto-nozzle", outcome);
}

} // namespace cli
