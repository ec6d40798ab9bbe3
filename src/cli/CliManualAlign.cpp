#include "cli/CliManualAlign.h"

#include "app/CPlotcareApp.h"
#include "cli/CliContext.h"
#include "cli/CliMediaOptions.h"
#include "cli/CliMessage.h"
#include "cli/CliSentence.h"
#include "cli/CliReadyProgress.h"
#include "cli/CliText.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CMediaTable.h"
#include "maintenance/SelectedMediaDriver.h"

#include <ostream>

namespace cli {

namespace {

using MA = CManualAlignment;

// plotcare-cli's own texts of align.
enum Text : int {
    kUsage = 115300,
    kItems,
    kSent,
    kNoThickness,
    kNotReady,
    kSnRefused,
    kPlatenUnknown,
    kNotSent,
    kWaitCancelled,
    kRestored,
    kRow,
    kColumnNeedsValue,
    kColumns,
    kValues,
    kRowValues,
    kRestoreNoItems,
    kAction,
    kDirection,
    kNoRow,
    kThicknessTaken,
    kMediaNotOffered,
    kMediaUnavailable,
    kMediaThickness,
    kPlatenNotOffered,
};

int Usage(Context& c, const std::string& what) {
    // The syntax lines stay as they are, under the first one's.
    const std::string usage = Message(kUsage, {""});
    const std::string pad(usage.size(), ' ');
    c.err << "plotcare-cli: " << Escaped(what) << "\n"
          << usage
          << "plotcare-cli align PRINTER --direction bi|uni [--media ID] [--thickness N] "
             "[--platen VALUE|auto]\n"
          << pad << "                   print|save ITEM...\n"
          << pad << "plotcare-cli align PRINTER restore\n"
          << Message(kItems) << "\n";
    return kExitUsage;
}

struct OutcomeRow {
    MA::Outcome result;
    int exitCode;
    const char* word;
    // Said when the settings give no text for the page's message.
    int fallback;
};

const OutcomeRow kRows[] = {
    {MA::Outcome::Sent, kExitOk, "sent", kSent},
    {MA::Outcome::NoThickness, kExitRefused, "empty-thickness", kNoThickness},
    {MA::Outcome::NotReady, kExitNotReady, "not-ready", kNotReady},
    {MA::Outcome::SnRefused, kExitRefused, "sn-level", kSnRefused},
    // The page says "not ready" here; the command says what went wrong.
    {MA::Outcome::PlatenUnknown, kExitNoAnswer, "platen-not-obtained", kPlatenUnknown},
    {MA::Outcome::NotSent, kExitFailed, "not-sent", kNotSent},
};

// JSON takes the English texts.
Outcome Describe(MA::Action action, MA::Outcome result, bool readyWaitCancelled, bool json) {
    if (readyWaitCancelled)
        return {kExitCancelled, "cancelled", Say(kWaitCancelled).In(json), {}};
    for (const OutcomeRow& row : kRows) {
        if (row.result != result) continue;
        const std::string fallback = Say(row.fallback).In(json);
        if (result == MA::Outcome::PlatenUnknown) return {row.exitCode, row.word, fallback, {}};
        // The page's message, on one line.
        const int id = MA::MessageFor(action, result).text;
        const std::string text = (json ? App().GetBaseText(id) : App().GetText(id))
                                     .replace(QLatin1Char('\n'), QLatin1Char(' '))
                                     .toStdString();
        return {row.exitCode, row.word, text.empty() ? fallback : text, {}};
    }
    return {kExitFailed, "not-sent", Say(kNotSent).In(json), {}};
}

std::string JsonRowsAndValues(const MA& alignment, std::string& values) {
    std::string rows = "[";
    values = "{";
    for (int r = 0; r < MA::kRows; ++r) {
        if (!alignment.RowChecked(r)) continue;
        const std::string row = std::to_string(r + 1);
        if (rows.size() > 1) {
            rows += ",";
            values += ",";
        }
        rows += row;
        values += "\"" + row + "\":[";
        for (int col = 0; col < alignment.Columns(); ++col)
            values += (col ? "," : "") + std::to_string(alignment.Value(r, col));
        values += "]";
    }
    values += "}";
    return rows + "]";
}

int Restore(Context& c) {
    SpoolerPrinter printer;
    if (int r = FindPrinter(c, printer)) return r;
    const bool sent = MA::SendLeaveJob(printer.name);
    return Report(
        c, printer.name, "align-restore",
        sent ? Outcome{kExitOk, "sent", Say(kRestored).In(c.options.json), {}}
             : Outcome{kExitFailed, "not-sent", Say(kNotSent).In(c.options.json), {}});
}

} // namespace

bool ParseAlignItems(const std::vector<std::string>& items, int columns, AlignItems& out,
                     std::string& error) {
    out = AlignItems{};
    for (auto& row : out.values)
        row.fill(MA::kDefaultValue);
    auto value = [](const std::string& text, int& v) {
        return ParseInt(text, v) && v >= MA::kValueMin && v <= MA::kValueMax;
    };
    for (const std::string& item : items) {
        const std::size_t eq = item.find('=');
        const std::string left = item.substr(0, eq);
        const std::size_t dot = left.find('.');
        int row = 0;
        if (!ParseInt(left.substr(0, dot), row) || row < 1 || row > MA::kRows) {
            error = Say(kRow, {item}).Text();
            return false;
        }
        MA::Row& values = out.values[static_cast<std::size_t>(row - 1)];
        out.rows[static_cast<std::size_t>(row - 1)] = true;
        if (eq == std::string::npos) {
            if (dot != std::string::npos) {
                error = Say(kColumnNeedsValue, {item}).Text();
                return false;
            }
            continue;
        }
        const std::string right = item.substr(eq + 1);
        if (dot != std::string::npos) {
            int column = 0, v = 0;
            if (!ParseInt(left.substr(dot + 1), column) || column < 1 || column > columns) {
                error = Say(kColumns, {item, std::to_string(columns)}).Text();
                return false;
            }
            if (!value(right, v)) {
                error = Say(kValues, {item}).Text();
                return false;
            }
            values[static_cast<std::size_t>(column - 1)] = v;
            continue;
        }
        // A whole row: "4,5,6,..." or the digits alone, "456...".
        std::vector<std::string> parts;
        if (right.find(',') == std::string::npos) {
            for (char ch : right)
                parts.emplace_back(1, ch);
        } else {
            std::size_t from = 0;
            for (std::size_t comma; (comma = right.find(',', from)) != std::string::npos;
                 from = comma + 1)
                parts.push_back(right.substr(from, comma - from));
            parts.push_back(right.substr(from));
        }
        if (static_cast<int>(parts.size()) != columns) {
            error = Say(kRowValues, {item, std::to_string(columns)}).Text();
            return false;
        }
        for (int col = 0; col < columns; ++col) {
            int v = 0;
            if (!value(parts[static_cast<std::size_t>(col)], v)) {
                error = Say(kValues, {item}).Text();
                return false;
            }
            values[static_cast<std::size_t>(col)] = v;
        }
    }
    return true;
}

int Align(Context& c) {
    // The command line first: nothing is opened for a wrong one.
    const std::string action = c.args.size() > 1 ? c.args[1] : std::string();
    if (action == "restore") {
        if (c.args.size() > 2) return Usage(c, Message(kRestoreNoItems));
        return Restore(c);
    }
    if (action != "print" && action != "save")
        return Usage(c, Message(kAction));
    const std::string direction = c.Value("--direction");
    if (direction != "bi" && direction != "uni") return Usage(c, Message(kDirection));
    const MA::Kind& kind = MA::KindOf(direction == "bi" ? MA::Direction::Bidirectional
                                                        : MA::Direction::Unidirectional);
    const std::vector<std::string> itemArgs(c.args.begin() + 2, c.args.end());
    if (itemArgs.empty()) return Usage(c, Message(kNoRow, {action}));
    AlignItems items;
    std::string error;
    if (!ParseAlignItems(itemArgs, kind.columns, items, error)) return Usage(c, error);
    MediaOptions given;
    if (const std::string wrong = ReadMediaOptions(c, given); !wrong.empty()) return Usage(c, wrong);
    const int mediaId = given.mediaId;
    const int platen = given.platen;

    ActionSession session;
    if (int r = session.Open(c)) return r;
    const std::string& printer = session.Name();
    const std::string commandName = "align-" + action;
    const MA::Action what = action == "print" ? MA::Action::Print : MA::Action::Save;
    const CMediaTable& table = *session.Shared().mediaTable;
    const auto driverAccess = SelectedMediaDriver();
    MediaDriver& driver = *driverAccess;
    MA alignment(kind);
    alignment.FillMedia(driver, table);

    // As an operator would fill the page: thickness, media, platen gap, rows.
    if (c.Has("--thickness")) {
        const std::string typed = c.Value("--thickness");
        const std::string cleaned = alignment.Media().SetThicknessText(typed);
        if (cleaned != typed)
            c.err << "plotcare-cli: " << Message(kThicknessTaken, {Escaped(typed), cleaned}) << "\n";
    }
    if (c.Has("--media")) {
        const int index = alignment.MediaIndexOfId(static_cast<std::uint32_t>(mediaId));
        if (index < 1)
            return Usage(c, Message(kMediaNotOffered, {printer, std::to_string(mediaId),
                                                       OfferedMediaIds(alignment.Media())}));
        if (!alignment.SelectMedia(index, driver))
            return Report(c, printer, commandName,
                          {kExitRefused,
                           "media-unavailable",
                           Say(kMediaUnavailable, {std::to_string(mediaId)}).In(c.options.json),
                           {}});
        const std::string given = c.Value("--thickness");
        if (c.Has("--thickness") && alignment.Media().ThicknessText() != given &&
            !alignment.Media().ThicknessText().empty())
            c.err << "plotcare-cli: "
                  << Message(kMediaThickness, {alignment.Media().ThicknessText()}) << "\n";
    }
    if (platen >= 0 && !alignment.Media().PlatenItems().empty()) {
        const int index = alignment.Media().PlatenIndexOfValue(platen);
        if (index < 0)
            return Usage(c, Message(kPlatenNotOffered, {c.Value("--platen"),
                                                        alignment.Media().ThicknessText(),
                                                        OfferedPlatenValues(alignment.Media())}));
        alignment.Media().SelectPlaten(index);
    }
    for (int r = 0; r < MA::kRows; ++r) {
        alignment.SetRowChecked(r, items.rows[static_cast<std::size_t>(r)]);
        for (int col = 0; col < kind.columns; ++col)
            alignment.SetValue(
                r, col, items.values[static_cast<std::size_t>(r)][static_cast<std::size_t>(col)]);
    }
    // The values the job carries (the grid goes back to 5 once it is sent).
    std::string values;
    const std::string rows = JsonRowsAndValues(alignment, values);

    CPrinterLink link(&session.Bidi());
    CliReadyProgress ready(c.err, c.options.terminal);
    const MA::Target target{link,   printer, true,
                            &ready, table,   [&driver] { return driver.DriverKind(); }};
    const MA::Outcome result = alignment.Run(what, target);
    Outcome outcome = Describe(what, result, ready.Cancelled(), c.options.json);
    outcome.fields = {
        {"direction", JsonString(direction)},
        {"rows", rows},
        {"values", values},
        {"media", std::to_string(alignment.Media().SelectedMediaId())},
        {"thickness", std::to_string(alignment.Media().Thickness())},
        {"platen", std::to_string(alignment.LastPlatenValue())},
        {"jobBytes", std::to_string(result == MA::Outcome::Sent || result == MA::Outcome::NotSent
                                        ? alignment.LastJobLength()
                                        : 0)}};
    return Report(c, printer, commandName, outcome);
}

} // namespace cli
