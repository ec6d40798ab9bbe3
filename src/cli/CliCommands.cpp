#include "cli/CliCommands.h"

#include "app/CPlotcareApp.h"
#include "cli/CliReadyProgress.h"
#include "cli/CliText.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "comm/RemotePackets.h"
#include "platform/Spooler.h"

#include <QString>

#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>
#include <ostream>
#include <sstream>
#include <unistd.h>

namespace cli {

namespace {

struct Context {
    Options options;
    std::vector<std::string> args; // the command's own arguments
    std::ostream& out;
    std::ostream& err;
};

using Handler = int (*)(Context&);

struct Command {
    const char* name;
    const char* usage;
    const char* help;
    int arguments; // exactly this many
    Handler run;
};

int Printers(Context& c);
int DeviceId(Context& c);
int Status(Context& c);
int Version(Context& c);
int WaitReady(Context& c);

const Command kCommands[] = {
    {"printers", "printers [--all]", "installed printers plotcare supports, with driver and port", 0, Printers},
    {"device-id", "device-id PRINTER", "the printer's IEEE 1284 device id and whether it matches its driver", 1,
     DeviceId},
    {"status", "status PRINTER [--json]",
     "the printer's state, the free capacity of its maintenance tank and its ink levels by colour", 1, Status},
    {"version", "version PRINTER", "the printer's firmware version", 1, Version},
    {"wait-ready", "wait-ready PRINTER", "waits up to 10 s for the printer to report ready (Ctrl-C stops)", 1,
     WaitReady},
};

void Usage(std::ostream& s) {
    s << "usage: plotcare-cli [options] COMMAND [ARGS]\n\ncommands:\n";
    for (const Command& c : kCommands) {
        char line[160];
        std::snprintf(line, sizeof line, "  %-26s %s\n", c.usage, c.help);
        s << line;
    }
    s << "\noptions:\n"
         "  --json          machine-readable output\n"
         "  --all           do not require a supported driver\n"
         "  --library PATH  load the bidirectional library from PATH\n"
         "  --settings DIR  the folder that holds \"Settings\" (default: the program's)\n"
         "  -h, --help      this text\n"
         "\nexit codes: 0 success, 1 usage, 2 printer not supported, 3 printer not ready,\n"
         "            4 no answer (no channel, no status, no reply), 7 cancelled (Ctrl-C during wait-ready)\n";
}

// The application object of this run (reads "Printer.ini" and the texts).
CPlotcareApp* g_app = nullptr;

CPlotcareApp& App(const Options&) { return *g_app; }

std::vector<SpoolerPrinter> SupportedPrinters(const Options& o, bool& asked) {
    std::vector<SpoolerPrinter> all, out;
    asked = Spooler::Current().EnumPrinters(all);
    for (auto& p : all)
        if (o.anyDriver || App(o).IsListedPrinter(QString::fromStdString(p.driver))) out.push_back(std::move(p));
    return out;
}

// The printer named on the command line among the supported ones; a
// message and kExitNotSupported otherwise.
int FindPrinter(Context& c, SpoolerPrinter& found) {
    std::vector<SpoolerPrinter> all;
    if (!Spooler::Current().EnumPrinters(all)) {
        c.err << "plotcare-cli: the print spooler cannot be asked for its printers\n";
        return kExitNotSupported;
    }
    for (auto& p : all) {
        if (p.name != c.args[0]) continue;
        if (!c.options.anyDriver && !App(c.options).IsListedPrinter(QString::fromStdString(p.driver))) {
            c.err << "plotcare-cli: printer \"" << Escaped(p.name) << "\" has the driver \"" << Escaped(p.driver)
                  << "\", which plotcare does not support (--all to try anyway)\n";
            return kExitNotSupported;
        }
        found = p;
        return kExitOk;
    }
    c.err << "plotcare-cli: no printer named \"" << Escaped(c.args[0]) << "\" is installed\n";
    return kExitNotSupported;
}

// Loads the bidirectional library for the printer the way a printer
// selection does: by plain name first, then from the driver folder when no
// channel opens with the first.
int LoadLibraryFor(Context& c, CBidiLibrary& lib, const std::string& printer) {
    if (!c.options.library.empty()) lib.SetLibraryName(c.options.library);
    lib.Unload();
    if (lib.Load(printer, 1) == 1) {
        CPrinterLink probe(&lib);
        const int handle = probe.OpenChannel(printer);
        if (handle >= 1) {
            probe.CloseChannel(handle);
            return kExitOk;
        }
    }
    lib.Unload();
    if (lib.Load(printer, 0) == 1) return kExitOk;
    // Loaded by plain name but no channel opened, and no driver-folder copy:
    // the first load still serves (the commands report the missing channel).
    lib.Unload();
    if (lib.Load(printer, 1) == 1) return kExitOk;
    c.err << "plotcare-cli: the bidirectional library " << CBidiLibrary::kLibraryName
          << " cannot be loaded for \"" << printer << "\"\n";
    return kExitNotSupported;
}

struct Session {
    SpoolerPrinter printer;
    CBidiLibrary lib;
};

int Open(Context& c, Session& s) {
    if (int r = FindPrinter(c, s.printer)) return r;
    return LoadLibraryFor(c, s.lib, s.printer.name);
}

// An ink's colour name; an ink of a colour the printers do not use is named
// by its place.
std::string InkName(const CStatusReply::InkEntry& ink, std::size_t index, int inkSlots) {
    const std::string name = CStatusReply::InkColourName(ink.colour, inkSlots);
    return name.empty() ? "ink " + std::to_string(index + 1) : name;
}

const char* ChannelName(int type) {
    return type == CPrinterLink::kChannelLocal ? "local" : type == CPrinterLink::kChannelNetwork ? "network" : "none";
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
    const int state = status.StateCode();
    const int tank = status.MaintenanceTankFree();
    const int inkSlots = status.InkSlotCount();
    const std::vector<CStatusReply::InkEntry> inks = status.InkEntries();
    if (c.options.json) {
        c.out << "{\"printer\":" << JsonString(s.printer.name) << ",\"channel\":\"" << ChannelName(link.ChannelType())
              << "\",\"state\":" << state << ",\"ready\":" << (status.IsReady() ? "true" : "false")
              << ",\"maintenanceTankFree\":" << (tank < 0 ? std::string("null") : std::to_string(tank))
              << ",\"maintenanceTankNearlyFull\":" << (status.HasField0DBelow13() ? "true" : "false")
              << ",\"inkSlots\":" << inkSlots << ",\"inkLow\":" << (status.IsInkLow() ? "true" : "false")
              << ",\"inks\":[";
        for (std::size_t i = 0; i < inks.size(); ++i)
            c.out << (i ? "," : "") << "{\"colour\":" << JsonString(InkName(inks[i], i, inkSlots))
                  << ",\"level\":" << inks[i].level
                  << ",\"low\":" << (inks[i].level <= CStatusReply::kInkLowLevel ? "true" : "false") << "}";
        c.out << "]}\n";
    } else {
        c.out << "printer:          " << Escaped(s.printer.name) << "\n"
              << "channel:          " << ChannelName(link.ChannelType()) << "\n"
              << "state:            " << state << (status.IsReady() ? " (ready)" : " (not ready)") << "\n"
              << "maintenance tank: ";
        if (tank < 0)
            c.out << "not reported\n";
        else
            c.out << tank << " % free" << (status.HasField0DBelow13() ? " (nearly full: no head cleaning)" : "") << "\n";
        c.out << "inks:             " << inkSlots << (status.IsInkLow() ? " (an ink is low: no head cleaning)" : "") << "\n";
        for (std::size_t i = 0; i < inks.size(); ++i) {
            char line[64];
            std::snprintf(line, sizeof line, "  %-16s%d %%%s\n", InkName(inks[i], i, inkSlots).c_str(), inks[i].level,
                          inks[i].level <= CStatusReply::kInkLowLevel ? " (low)" : "");
            c.out << line;
        }
    }
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
    std::vector<std::string> words;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a == "-h" || a == "--help") {
            Usage(out);
            return kExitOk;
        } else if (a == "--json") {
            options.json = true;
        } else if (a == "--all") {
            options.anyDriver = true;
        } else if (a == "--library" || a == "--settings") {
            if (i + 1 >= argv.size()) {
                err << "plotcare-cli: " << a << " needs a value\n";
                return kExitUsage;
            }
            (a == "--library" ? options.library : options.settingsDir) = argv[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            err << "plotcare-cli: unknown option " << a << "\n";
            Usage(err);
            return kExitUsage;
        } else {
            words.push_back(a);
        }
    }
    if (words.empty()) {
        Usage(err);
        return kExitUsage;
    }
    for (const Command& command : kCommands) {
        if (words[0] != command.name) continue;
        if (static_cast<int>(words.size()) - 1 != command.arguments) {
            err << "usage: plotcare-cli " << command.usage << "\n";
            return kExitUsage;
        }
        CPlotcareApp app(QString(), QString::fromStdString(options.settingsDir));
        CPlotcareApp* previous = CPlotcareApp::Current();
        CPlotcareApp::SetCurrent(&app);
        g_app = &app;
        Context c{options, std::vector<std::string>(words.begin() + 1, words.end()), out, err};
        const int result = command.run(c);
        g_app = nullptr;
        CPlotcareApp::SetCurrent(previous);
        return result;
    }
    err << "plotcare-cli: unknown command \"" << words[0] << "\"\n";
    Usage(err);
    return kExitUsage;
}

} // namespace cli
