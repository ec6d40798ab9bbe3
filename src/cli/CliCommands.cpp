#include "cli/CliCommands.h"

#include "app/CPlotcareApp.h"
#include "cli/CliAutoAdjust.h"
#include "cli/CliCustomFile.h"
#include "cli/CliContext.h"
#include "cli/CliCustomSlots.h"
#include "cli/CliMessage.h"
#include "cli/CliFirmware.h"
#include "cli/CliManualAlign.h"
#include "cli/CliNozzleCleaning.h"
#include "cli/CliPrinterStatus.h"
#include "cli/CliSample.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CMediaTable.h"
#include "cli/CliReadyProgress.h"
#include "cli/CliStatusAll.h"
#include "cli/CliText.h"
#include "cli/CliWaitProgress.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "comm/RemotePackets.h"
#include "platform/Spooler.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <map>
#include <functional>
#include <iostream>
#include <optional>
#include <ostream>
#include <sstream>
#include <unistd.h>

namespace cli {

namespace {

int Printers(Context& c);
int DeviceId(Context& c);
int Status(Context& c);
int Version(Context& c);
int WaitReady(Context& c);

// The help's prose is a text of the Settings folder; the syntax words stay
// as they are in every language.
const Command kCommands[] = {
    {"printers", "printers [--all]", {{110100}}, 0, 0, {}, Printers},
    {"device-id", "device-id PRINTER", {{110101}}, 1, 1, {}, DeviceId},
    {"status", "status PRINTER|--all", {{110102}, {110103, {"--all"}}, {110104}}, 0, 1, {}, Status},
    {"version", "version PRINTER", {{110105}}, 1, 1, {}, Version},
    {"wait-ready", "wait-ready PRINTER", {{110106}}, 1, 1, {}, WaitReady},
    {"nozzle-check", "nozzle-check PRINTER", {{110107}}, 1, 1, {}, NozzleCheck},
    {"head-clean", "head-clean PRINTER", {{110108}}, 1, 1, {}, HeadClean},
    {"auto-align", "auto-align PRINTER ...",
     {{110109, {"--direction bi|uni [--patterns 1,2,3,4] [--media ID]"}},
      {0, {"[--thickness N] [--platen 1-4|auto]"}}},
     1, 1, {"--direction", "--patterns", "--media", "--thickness", "--platen"}, AutoAlign},
    {"auto-nozzle", "auto-nozzle PRINTER", {{110110}}, 1, 1, {}, AutoNozzle},
    {"align", "align PRINTER ...",
     {{110111, {"--direction bi|uni [--media ID] [--thickness N] [--platen 1-4|auto]"}},
      {110112, {"print|save ITEM...", "ITEM", "R, R=V,V,...", "R.C=V"}},
      {110113, {"restore"}}},
     2, -1, {"--direction", "--media", "--thickness", "--platen"}, Align},
    {"slots", "slots PRINTER [--json]", {{110114}}, 1, 1, {}, Slots},
    {"slot", "slot PRINTER N [--json]", {{110115, {"N"}}}, 2, 2, {}, Slot},
    {"call", "call PRINTER N|standard", {{110116, {"N"}}}, 2, 2, {}, Call},
    {"register", "register PRINTER N ...",
     {{110117, {"N", "--from FILE.json", "slot --json", "FILE.ZMD:ENTRY"}}, {110118, {"[--name NAME]"}}}, 2, 2,
     {"--from", "--name"}, Register},
    {"fw-check", "fw-check FILE [PRINTER]", {{110119}}, 1, 2, {}, FwCheck},
    {"fw-update", "fw-update PRINTER FILE", {{110120}}, 2, 2, {}, FwUpdate},
    {"zmd", "zmd list|show|save FILE ...",
     {{110121, {"list FILE", "show FILE ENTRY", "save FILE --from FILE.json --name NAME [--overwrite]"}},
      {110122, {"[--printer PRINTER | --model MODEL]", "Corvan Max 7100"}}},
     2, 3, {"--from", "--name", "--printer", "--model"}, Zmd, {"--overwrite"}},
    {"sample", "sample PRINTER ...",
     {{110123, {"--from slot:N|FILE.ZMD:ENTRY|FILE.json"}},
      {0, {"--media ID,ID,... | --feed FROM..TO [--points N] | --density D |"}},
      {110124, {"--modes M,M,...; [--image FILE.BMP]"}}},
     1, 1, {"--from", "--media", "--feed", "--points", "--density", "--modes", "--image"}, Sample},
    {"job-info", "job-info PRINTER", {{110125, {"--json"}}}, 1, 1, {}, JobInfo},
    {"print-status", "print-status PRINTER", {{110126}}, 1, 1, {}, PrintStatus},
    {"print-jobs", "print-jobs PRINTER", {{110127}}, 1, 1, {}, PrintJobs},
    {"print-custom", "print-custom PRINTER", {{110128}}, 1, 1, {}, PrintCustom},
};

// The help column starts here; a help of several lines goes on under it.
constexpr std::size_t kHelpColumn = 29;

std::string HelpText(const std::vector<HelpPart>& parts) {
    std::string text;
    for (const HelpPart& part : parts) {
        const auto word = [&](std::size_t i) { return i < part.syntax.size() ? part.syntax[i] : std::string(); };
        if (!text.empty()) text += "\n";
        text += part.text ? Message(part.text, {word(0), word(1), word(2), word(3), word(4)}) : word(0);
    }
    std::string indented;
    for (char ch : text)
        indented += ch == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, ch);
    return indented;
}

// "usage: plotcare-cli ..." with "usage" in the chosen language.
std::string UsageLine(const std::string& syntax) {
    return Message(110000) + ": plotcare-cli " + syntax + "\n";
}

void Usage(std::ostream& s) {
    s << UsageLine("[options] COMMAND [ARGS]") << "\n" << Message(110001) << "\n";
    // A long row runs on rather than losing its end.
    for (const Command& c : kCommands) {
        std::string usage = c.usage;
        if (usage.size() < kHelpColumn - 3) usage.resize(kHelpColumn - 3, ' ');
        s << "  " << usage << " " << HelpText(c.help) << "\n";
    }
    s << "\n" << Message(110002) << "\n";
    struct Row {
        const char* option;
        int text;
        const char* syntax;
    };
    const Row options[] = {{"--json", 110003, ""},
                           {"--all", 110004, "status --all"},
                           {"--library PATH", 110005, "PATH"},
                           {"--settings DIR", 110006, "Settings"},
                           {"-h, --help", 110007, ""}};
    for (const Row& row : options) {
        std::string option = row.option;
        option.resize(14, ' ');
        s << "  " << option << "  " << Message(row.text, {row.syntax}) << "\n";
    }
    s << "\n" << Message(110008) << "\n";
    const std::pair<int, int> codes[] = {{kExitOk, 110010},         {kExitUsage, 110011},
                                         {kExitNotSupported, 110012}, {kExitNotReady, 110013},
                                         {kExitNoAnswer, 110014},    {kExitRefused, 110015},
                                         {kExitFailed, 110016},      {kExitCancelled, 110017}};
    for (const auto& [code, text] : codes) s << "  " << code << "  " << Message(text) << "\n";
}

std::vector<SpoolerPrinter> SupportedPrinters(const Options& o, bool& asked) {
    std::vector<SpoolerPrinter> all, out;
    asked = Spooler::Current().EnumPrinters(all);
    for (auto& p : all)
        if (o.anyDriver || App().IsListedPrinter(QString::fromStdString(p.driver))) out.push_back(std::move(p));
    return out;
}

int Printers(Context& c) {
    bool asked = false;
    const auto printers = SupportedPrinters(c.options, asked);
    if (!asked) {
        c.err << "plotcare-cli: " << Message(110020) << "\n";
        return kExitNoAnswer;
    }
    if (c.options.json) {
        c.out << "[";
        for (std::size_t i = 0; i < printers.size(); ++i)
            c.out << (i ? "," : "") << "{\"name\":" << JsonString(printers[i].name)
                  << ",\"driver\":" << JsonString(printers[i].driver) << ",\"port\":" << JsonString(printers[i].port)
                  << "}";
        c.out << "]\n";
    } else {
        for (const auto& p : printers)
            c.out << Escaped(p.name) << "\t" << Escaped(p.driver) << "\t" << Escaped(p.port) << "\n";
        if (printers.empty()) c.err << "plotcare-cli: " << Message(110021) << "\n";
    }
    return kExitOk;
}

int DeviceId(Context& c) {
    Session s;
    if (int r = Open(c, s)) return r;
    CPrinterLink link(&s.lib);
    const std::string id = link.DeviceId(s.printer.name);
    if (id.empty()) {
        c.err << "plotcare-cli: " << Message(110022, {Escaped(s.printer.name)}) << "\n";
        return kExitNoAnswer;
    }
    const bool matches = link.DeviceIdMatches(s.printer.name, s.printer.driver) == 1;
    if (c.options.json) {
        c.out << "{\"printer\":" << JsonString(s.printer.name) << ",\"deviceId\":" << JsonString(id)
              << ",\"driver\":" << JsonString(s.printer.driver) << ",\"matches\":" << (matches ? "true" : "false")
              << "}\n";
    } else {
        // The id is the printer's text: nothing in it may act on the terminal.
        c.out << Escaped(id) << "\n";
        c.out << Message(matches ? 110023 : 110024, {Escaped(s.printer.driver)}) << "\n";
    }
    return kExitOk;
}

int Status(Context& c) {
    // Without a printer, --all means every supported one.
    if (c.args.empty()) {
        if (c.options.anyDriver) return StatusAll(c);
        c.err << UsageLine("status PRINTER|--all [--json]");
        return kExitUsage;
    }
    Session s;
    if (int r = Open(c, s)) return r;
    CPrinterLink link(&s.lib);
    const int handle = link.OpenChannel(s.printer.name);
    if (handle < 1) {
        c.err << "plotcare-cli: " << Message(110025, {Escaped(s.printer.name)}) << "\n";
        return kExitNoAnswer;
    }
    CStatusReply status;
    const int n = link.QueryStatus(handle, status);
    link.CloseChannel(handle);
    if (n < 1 || !status.HasRecord()) {
        c.err << "plotcare-cli: " << Message(110026, {Escaped(s.printer.name)}) << "\n";
        return kExitNoAnswer;
    }
    if (c.options.json)
        c.out << "{" << StatusJsonMembers(s.printer.name, link.ChannelType(), status) << "}\n";
    else
        WriteStatusText(c.out, s.printer.name, link.ChannelType(), status);
    return kExitOk;
}

int Version(Context& c) {
    Session s;
    if (int r = Open(c, s)) return r;
    CPrinterLink link(&s.lib);
    std::uint8_t query[16];
    const int length = BuildQueryVI(query, sizeof query);
    std::uint8_t reply[CPrinterLink::kReplySize] = {};
    const int r = link.SendReceive(s.printer.name, query, length, reply, sizeof reply, CPrinterLink::kReplyTimeoutMs);
    std::string version;
    if (r < 1 || !ReplyValue(reply, sizeof reply, kReplyPrefixVI, version)) {
        c.err << "plotcare-cli: " << Message(110027, {Escaped(s.printer.name)}) << "\n";
        return kExitNoAnswer;
    }
    if (c.options.json)
        c.out << "{\"printer\":" << JsonString(s.printer.name) << ",\"version\":" << JsonString(version) << "}\n";
    else
        c.out << Escaped(version) << "\n";
    return kExitOk;
}

int WaitReady(Context& c) {
    Session s;
    if (int r = Open(c, s)) return r;
    CPrinterLink link(&s.lib);
    CliReadyProgress progress(c.err, c.options.terminal);
    const std::string name = Escaped(s.printer.name);
    switch (link.WaitForReady(s.printer.name, &progress)) {
    case CPrinterLink::ReadyOutcome::Ready:
        c.out << Message(110028) << "\n";
        return kExitOk;
    case CPrinterLink::ReadyOutcome::NotReady:
        c.err << "plotcare-cli: " << Message(110029, {name}) << "\n";
        return kExitNotReady;
    case CPrinterLink::ReadyOutcome::Cancelled:
        c.err << "plotcare-cli: " << Message(110030, {name}) << "\n";
        return kExitCancelled;
    case CPrinterLink::ReadyOutcome::NoChannel:
        c.err << "plotcare-cli: " << Message(110025, {name}) << "\n";
        return kExitNoAnswer;
    default:
        c.err << "plotcare-cli: " << Message(110031, {name}) << "\n";
        return kExitNoAnswer;
    }
}

} // namespace

namespace {

// The command line taken apart; `problem` says what is wrong with it first.
struct CommandLine {
    enum class Problem { None, Help, UnknownCommand, NeedsValue, UnknownOption, NoCommand, Arguments };
    Options options;
    const Command* command = nullptr;
    std::vector<std::string> words;
    std::map<std::string, std::string> values;
    Problem problem = Problem::None;
    std::string culprit; // the word the problem is with
};

CommandLine Parse(const std::vector<std::string>& argv) {
    using Problem = CommandLine::Problem;
    CommandLine line;
    // The command is the first word that is neither an option nor the value
    // of one; its own options are known once it is.
    for (std::size_t i = 0; i < argv.size() && !line.command; ++i) {
        const std::string& a = argv[i];
        if (a == "--library" || a == "--settings") {
            // Known before the command's error, so that it is said in the
            // language of the Settings folder asked for.
            if (a == "--settings" && i + 1 < argv.size()) line.options.settingsDir = argv[i + 1];
            ++i;
        } else if (a.empty() || a[0] != '-') {
            for (const Command& candidate : kCommands)
                if (a == candidate.name) line.command = &candidate;
            if (!line.command) {
                line.problem = Problem::UnknownCommand;
                line.culprit = a;
                return line;
            }
        }
    }
    const Command* command = line.command;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        const bool commandOption =
            command && std::find(command->options.begin(), command->options.end(), a) != command->options.end();
        const bool commandFlag =
            command && std::find(command->flags.begin(), command->flags.end(), a) != command->flags.end();
        if (a == "-h" || a == "--help") {
            line.problem = Problem::Help;
            return line;
        } else if (a == "--json") {
            line.options.json = true;
        } else if (a == "--all") {
            line.options.anyDriver = true;
        } else if (commandFlag) {
            line.values[a];
        } else if (a == "--library" || a == "--settings" || commandOption) {
            if (i + 1 >= argv.size()) {
                line.problem = Problem::NeedsValue;
                line.culprit = a;
                return line;
            }
            if (commandOption)
                line.values[a] = argv[++i];
            else
                (a == "--library" ? line.options.library : line.options.settingsDir) = argv[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            line.problem = Problem::UnknownOption;
            line.culprit = a;
            return line;
        } else {
            line.words.push_back(a);
        }
    }
    if (!command) {
        line.problem = Problem::NoCommand;
        return line;
    }
    const int count = static_cast<int>(line.words.size()) - 1;
    if (count < command->minArguments || (command->maxArguments >= 0 && count > command->maxArguments))
        line.problem = Problem::Arguments;
    return line;
}

// The application object of one run: the current one while it lasts.
class RunApp {
public:
    explicit RunApp(const std::string& settingsDir)
        : m_app(QString(), QString::fromStdString(settingsDir)), m_previous(CPlotcareApp::Current()) {
        CPlotcareApp::SetCurrent(&m_app);
    }
    ~RunApp() { CPlotcareApp::SetCurrent(m_previous); }
    RunApp(const RunApp&) = delete;
    RunApp& operator=(const RunApp&) = delete;

private:
    CPlotcareApp m_app;
    CPlotcareApp* m_previous;
};

} // namespace

int Run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    using Problem = CommandLine::Problem;
    CommandLine line = Parse(argv);
    line.options.terminal = &err == &std::cerr && isatty(STDERR_FILENO) == 1;
    // Even a wrong command line is answered in the chosen language.
    RunApp app(line.options.settingsDir);
    switch (line.problem) {
    case Problem::None:
        break;
    case Problem::Help:
        Usage(out);
        return kExitOk;
    case Problem::UnknownCommand:
        err << "plotcare-cli: " << Message(110032, {Escaped(line.culprit)}) << "\n";
        Usage(err);
        return kExitUsage;
    case Problem::NeedsValue:
        err << "plotcare-cli: " << Message(110033, {line.culprit}) << "\n";
        return kExitUsage;
    case Problem::UnknownOption:
        err << "plotcare-cli: " << Message(110034, {Escaped(line.culprit)}) << "\n";
        Usage(err);
        return kExitUsage;
    case Problem::NoCommand:
        Usage(err);
        return kExitUsage;
    case Problem::Arguments:
        err << UsageLine(line.command->usage);
        return kExitUsage;
    }
    Context c{line.options, std::vector<std::string>(line.words.begin() + 1, line.words.end()),
              std::move(line.values), out, err};
    // A reply slow to come or a job the printer is slow to take shows, and
    // Ctrl-C ends the wait.
    CliWaitProgress waits(err, line.options.terminal);
    CommWaitProgress::Scope waitScope(&waits);
    int result = line.command->run(c);
    if (waits.Cancelled() && result != kExitOk) {
        err << "plotcare-cli: " << Message(110035) << "\n";
        result = kExitCancelled;
    }
    return result;
}

} // namespace cli
