#include "cli/CliCommands.h"

#include "app/CPlotcareApp.h"
#include "cli/CliAutoAdjust.h"
#include "cli/CliCustomFile.h"
#include "cli/CliContext.h"
#include "cli/CliCustomSlots.h"
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

const Command kCommands[] = {
    {"printers", "printers [--all]", "installed printers plotcare supports, with driver and port", 0, 0, {},
     Printers},
    {"device-id", "device-id PRINTER", "the printer's IEEE 1284 device id and whether it matches its driver", 1, 1,
     {}, DeviceId},
    {"status", "status PRINTER|--all",
     "the printer's state, the free capacity of its maintenance tank and its ink levels by colour;\n"
     "                             --all: every supported printer, asked at once, in the spooler's order\n"
     "                             (exit 0 when every one answered, 4 when one did not, 2 when none is\n"
     "                             installed)",
     0, 1, {}, Status},
    {"version", "version PRINTER", "the printer's firmware version", 1, 1, {}, Version},
    {"wait-ready", "wait-ready PRINTER", "waits up to 10 s for the printer to report ready (Ctrl-C stops)", 1, 1,
     {}, WaitReady},
    {"nozzle-check", "nozzle-check PRINTER", "prints the nozzle check pattern once the printer is ready", 1, 1, {},
     NozzleCheck},
    {"head-clean", "head-clean PRINTER", "cleans the print head unless an ink or the maintenance tank is low", 1,
     1, {}, HeadClean},
    {"auto-align", "auto-align PRINTER ...",
     "sensor head alignment, waits until done: --direction bi|uni [--patterns 1,2,3,4] [--media ID]\n"
     "                             [--thickness N] [--platen 1-4|auto]",
     1, 1, {"--direction", "--patterns", "--media", "--thickness", "--platen"}, AutoAlign},
    {"auto-nozzle", "auto-nozzle PRINTER", "sensor nozzle check, waits until done (Ctrl-C stops waiting)", 1, 1, {},
     AutoNozzle},
    {"align", "align PRINTER ...",
     "manual head alignment: --direction bi|uni [--media ID] [--thickness N] [--platen 1-4|auto]\n"
     "                             print|save ITEM... (ITEM: R, R=V,V,... or R.C=V; rows 1-4, values 1-9);\n"
     "                             restore: back to the values the printer keeps",
     2, -1, {"--direction", "--media", "--thickness", "--platen"}, Align},
    {"slots", "slots PRINTER [--json]", "the ten custom paper slots: number, name, registered", 1, 1, {}, Slots},
    {"slot", "slot PRINTER N [--json]", "all settings of custom paper slot N (1-10)", 2, 2, {}, Slot},
    {"call", "call PRINTER N|standard", "makes slot N (or the standard setting) the active paper setting", 2, 2, {},
     Call},
    {"register", "register PRINTER N ...",
     "writes slot N: --from FILE.json (the layout \"slot --json\" prints) or FILE.ZMD:ENTRY\n"
     "                             (a custom file entry, by number or name) [--name NAME]",
     2, 2,
     {"--from", "--name"}, Register},
    {"fw-check", "fw-check FILE [PRINTER]",
     "checks a firmware image (exit 5 when it fails); with a printer, compares their versions", 1, 2, {},
     FwCheck},
    {"fw-update", "fw-update PRINTER FILE",
     "updates the printer's firmware from the image and waits for its restart (Ctrl-C stops waiting)", 2, 2, {},
     FwUpdate},
    {"zmd", "zmd list|show|save FILE ...",
     "custom files: list FILE; show FILE ENTRY; save FILE --from FILE.json --name NAME [--overwrite];\n"
     "                             the model: [--printer PRINTER | --model MODEL] (default Corvan Max 7100)",
     2, 3, {"--from", "--name", "--printer", "--model"}, Zmd, {"--overwrite"}},
    {"sample", "sample PRINTER ...",
     "sample sheets of a setting: --from slot:N|FILE.ZMD:ENTRY|FILE.json, then one of\n"
     "                             --media ID,ID,... | --feed FROM..TO [--points N] | --density D |\n"
     "                             --modes M,M,...; [--image FILE.BMP] (default: the standard image)",
     1, 1, {"--from", "--media", "--feed", "--points", "--density", "--modes", "--image"}, Sample},
    {"job-info", "job-info PRINTER", "the printer's last ten jobs (--json: their decoded fields)", 1, 1, {},
     JobInfo},
    {"print-status", "print-status PRINTER", "the printer prints its status sheet", 1, 1, {}, PrintStatus},
    {"print-jobs", "print-jobs PRINTER", "the printer prints its job information", 1, 1, {}, PrintJobs},
    {"print-custom", "print-custom PRINTER", "the printer prints its custom paper configuration", 1, 1, {},
     PrintCustom},
};

void Usage(std::ostream& s) {
    s << "usage: plotcare-cli [options] COMMAND [ARGS]\n\ncommands:\n";
    // A long row runs on rather than losing its end.
    for (const Command& c : kCommands) {
        std::string usage = c.usage;
        if (usage.size() < 26) usage.resize(26, ' ');
        s << "  " << usage << " " << c.help << "\n";
    }
    s << "\noptions:\n"
         "  --json          machine-readable output\n"
         "  --all           do not require a supported driver; status --all: every supported printer\n"
         "  --library PATH  load the bidirectional library from PATH\n"
         "  --settings DIR  the folder that holds \"Settings\" (default: the program's)\n"
         "  -h, --help      this text\n"
         "\nexit codes:\n"
         "  0  success\n"
         "  1  usage\n"
         "  2  printer not supported\n"
         "  3  printer not ready\n"
         "  4  no answer (no channel, no status, no reply)\n"
         "  5  refused by a check before anything was sent\n"
         "  6  the printer reported an error, or the job could not be sent\n"
         "  7  cancelled or timed out\n";
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
        c.err << "plotcare-cli: the print spooler cannot be asked for its printers\n";
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
        if (printers.empty()) c.err << "plotcare-cli: no supported printer is installed\n";
    }
    return kExitOk;
}

int DeviceId(Context& c) {
    Session s;
    if (int r = Open(c, s)) return r;
    CPrinterLink link(&s.lib);
    const std::string id = link.DeviceId(s.printer.name);
    if (id.empty()) {
        c.err << "plotcare-cli: \"" << Escaped(s.printer.name) << "\" gave no device id\n";
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
        c.out << (matches ? "matches" : "does not match") << " the driver \"" << Escaped(s.printer.driver) << "\"\n";
    }
    return kExitOk;
}

int Status(Context& c) {
    // Without a printer, --all means every supported one.
    if (c.args.empty()) {
        if (c.options.anyDriver) return StatusAll(c);
        c.err << "usage: plotcare-cli status PRINTER|--all [--json]\n";
        return kExitUsage;
    }
    Session s;
    if (int r = Open(c, s)) return r;
    CPrinterLink link(&s.lib);
    const int handle = link.OpenChannel(s.printer.name);
    if (handle < 1) {
        c.err << "plotcare-cli: no channel to \"" << Escaped(s.printer.name) << "\" opens\n";
        return kExitNoAnswer;
    }
    CStatusReply status;
    const int n = link.QueryStatus(handle, status);
    link.CloseChannel(handle);
    if (n < 1 || !status.HasRecord()) {
        c.err << "plotcare-cli: \"" << Escaped(s.printer.name) << "\" gave no status record\n";
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
        c.err << "plotcare-cli: \"" << Escaped(s.printer.name) << "\" did not answer the version query\n";
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
        c.out << "ready\n";
        return kExitOk;
    case CPrinterLink::ReadyOutcome::NotReady:
        c.err << "plotcare-cli: \"" << name << "\" is not ready\n";
        return kExitNotReady;
    case CPrinterLink::ReadyOutcome::Cancelled:
        c.err << "plotcare-cli: the wait for \"" << name << "\" was cancelled\n";
        return kExitCancelled;
    case CPrinterLink::ReadyOutcome::NoChannel:
        c.err << "plotcare-cli: no channel to \"" << name << "\" opens\n";
        return kExitNoAnswer;
    default:
        c.err << "plotcare-cli: \"" << name << "\" does not answer\n";
        return kExitNoAnswer;
    }
}

} // namespace

int Run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    Options options;
    options.terminal = &err == &std::cerr && isatty(STDERR_FILENO) == 1;
    // The command is the first word that is neither an option nor the value
    // of one; its own options are known once it is.
    const Command* command = nullptr;
    for (std::size_t i = 0; i < argv.size() && !command; ++i) {
        const std::string& a = argv[i];
        if (a == "--library" || a == "--settings") {
            ++i;
        } else if (a.empty() || a[0] != '-') {
            for (const Command& candidate : kCommands)
                if (a == candidate.name) command = &candidate;
            if (!command) {
                err << "plotcare-cli: unknown command \"" << a << "\"\n";
                Usage(err);
                return kExitUsage;
            }
        }
    }
    std::vector<std::string> words;
    std::map<std::string, std::string> values;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        const bool commandOption =
            command && std::find(command->options.begin(), command->options.end(), a) != command->options.end();
        const bool commandFlag =
            command && std::find(command->flags.begin(), command->flags.end(), a) != command->flags.end();
        if (a == "-h" || a == "--help") {
            Usage(out);
            return kExitOk;
        } else if (a == "--json") {
            options.json = true;
        } else if (a == "--all") {
            options.anyDriver = true;
        } else if (commandFlag) {
            values[a];
        } else if (a == "--library" || a == "--settings" || commandOption) {
            if (i + 1 >= argv.size()) {
                err << "plotcare-cli: " << a << " needs a value\n";
                return kExitUsage;
            }
            if (commandOption)
                values[a] = argv[++i];
            else
                (a == "--library" ? options.library : options.settingsDir) = argv[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            err << "plotcare-cli: unknown option " << a << "\n";
            Usage(err);
            return kExitUsage;
        } else {
            words.push_back(a);
        }
    }
    if (!command) {
        Usage(err);
        return kExitUsage;
    }
    const int count = static_cast<int>(words.size()) - 1;
    if (count < command->minArguments || (command->maxArguments >= 0 && count > command->maxArguments)) {
        err << "usage: plotcare-cli " << command->usage << "\n";
        return kExitUsage;
    }
    CPlotcareApp app(QString(), QString::fromStdString(options.settingsDir));
    CPlotcareApp* previous = CPlotcareApp::Current();
    CPlotcareApp::SetCurrent(&app);
    Context c{options, std::vector<std::string>(words.begin() + 1, words.end()), std::move(values), out, err};
    // A reply slow to come or a job the printer is slow to take shows, and
    // Ctrl-C ends the wait.
    CliWaitProgress waits(err, options.terminal);
    CommWaitProgress::Scope waitScope(&waits);
    int result = command->run(c);
    if (waits.Cancelled() && result != kExitOk) {
        err << "plotcare-cli: the wait was ended by Ctrl-C\n";
        result = kExitCancelled;
    }
    CPlotcareApp::SetCurrent(previous);
    return result;
}

} // namespace cli
