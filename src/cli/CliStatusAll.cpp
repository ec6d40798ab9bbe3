#include "cli/CliStatusAll.h"

#include "app/CPlotcareApp.h"
#include "cli/CliLibraryShelf.h"
#include "cli/CliText.h"
#include "comm/CBidiLibrary.h"

#include <QString>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <system_error>
#include <thread>

namespace cli {

namespace {

// An ink's colour name; an ink of a colour the printers do not use is named
// by its place.
std::string InkName(const CStatusReply::InkEntry& ink, std::size_t index, int inkSlots) {
    const std::string name = CStatusReply::InkColourName(ink.colour, inkSlots);
    return name.empty() ? "ink " + std::to_string(index + 1) : name;
}

} // namespace

const char* ChannelName(std::int32_t type) {
    return type == CPrinterLink::kChannelLocal     ? "local"
           : type == CPrinterLink::kChannelNetwork ? "network"
                                                   : "none";
}

void WriteStatusText(std::ostream& out, const std::string& printer, std::int32_t channelType,
                     const CStatusReply& status) {
    const int tank = status.MaintenanceTankFree();
    const int inkSlots = status.InkSlotCount();
    const std::vector<CStatusReply::InkEntry> inks = status.InkEntries();
    out << "printer:          " << Escaped(printer) << "\n"
        << "channel:          " << ChannelName(channelType) << "\n"
        << "state:            " << status.StateCode()
        << (status.IsReady() ? " (ready)" : " (not ready)") << "\n"
        << "maintenance tank: ";
    if (tank < 0)
        out << "not reported\n";
    else
        out << tank << " % free"
            << (status.HasField0DBelow13() ? " (nearly full: no head cleaning)" : "") << "\n";
    out << "inks:             " << inkSlots
        << (status.IsInkLow() ? " (an ink is low: no head cleaning)" : "") << "\n";
    for (std::size_t i = 0; i < inks.size(); ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "  %-16s%d %%%s\n", InkName(inks[i], i, inkSlots).c_str(),
                      inks[i].level, inks[i].level <= CStatusReply::kInkLowLevel ? " (low)" : "");
        out << line;
    }
}

std::string StatusJsonMembers(const std::string& printer, std::int32_t channelType,
                              const CStatusReply& status) {
    const int tank = status.MaintenanceTankFree();
    const int inkSlots = status.InkSlotCount();
    const std::vector<CStatusReply::InkEntry> inks = status.InkEntries();
    std::ostringstream o;
    o << "\"printer\":" << JsonString(printer) << ",\"channel\":\"" << ChannelName(channelType)
      << "\",\"state\":" << status.StateCode()
      << ",\"ready\":" << (status.IsReady() ? "true" : "false")
      << ",\"maintenanceTankFree\":" << (tank < 0 ? std::string("null") : std::to_string(tank))
      << ",\"maintenanceTankNearlyFull\":" << (status.HasField0DBelow13() ? "true" : "false")
      << ",\"inkSlots\":" << inkSlots << ",\"inkLow\":" << (status.IsInkLow() ? "true" : "false")
      << ",\"inks\":[";
    for (std::size_t i = 0; i < inks.size(); ++i)
        o << (i ? "," : "") << "{\"colour\":" << JsonString(InkName(inks[i], i, inkSlots))
          << ",\"level\":" << inks[i].level
          << ",\"low\":" << (inks[i].level <= CStatusReply::kInkLowLevel ? "true" : "false") << "}";
    o << "]";
    return o.str();
}

PrinterStatus AskPrinterStatus(const SpoolerPrinter& printer, CliLibraryShelf& shelf) {
    PrinterStatus r;
    r.printer = printer;
    bool anyLibrary = false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        CBidiLibrary* lib = attempt == 0 ? shelf.Plain() : shelf.ForDriverFolder(printer.name);
        if (!lib) continue;
        anyLibrary = true;
        CPrinterLink link(lib);
        const int handle = link.OpenChannel(printer.name);
        if (handle < 1) continue;
        const int n = link.QueryStatus(handle, r.status);
        link.CloseChannel(handle);
        r.channelType = link.ChannelType();
        if (n < 1 || !r.status.HasRecord()) {
            r.exitCode = kExitNoAnswer;
            r.problem = "gave no status record";
        } else {
            r.exitCode = kExitOk;
        }
        return r;
    }
    r.exitCode = anyLibrary ? kExitNoAnswer : kExitNotSupported;
    r.problem = anyLibrary ? "no channel opens"
                           : std::string("the bidirectional library ") +
                                 CBidiLibrary::kLibraryName + " cannot be loaded";
    return r;
}

std::vector<PrinterStatus> AskAllPrinterStatus(const std::vector<SpoolerPrinter>& printers,
                                               CliLibraryShelf& shelf, int maxConcurrent,
                                               StatusQueryObserver* observer) {
    std::vector<PrinterStatus> results(printers.size());
    // Each thread takes the next printer not yet taken and puts the answer
    // in that printer's place.
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= printers.size()) return;
            if (observer) observer->QueryBegins(i);
            results[i] = AskPrinterStatus(printers[i], shelf);
            if (observer) observer->QueryEnds(i);
        }
    };
    const std::size_t threads = std::min<std::size_t>(
        printers.size(), static_cast<std::size_t>(std::max(maxConcurrent, 1)));
    std::vector<std::thread> helpers;
    // This thread asks too; a thread the system refuses just leaves more
    // printers to the others.
    for (std::size_t i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (std::thread& t : helpers)
        t.join();
    return results;
}

int StatusAll(Context& c) {
    std::vector<SpoolerPrinter> all, printers;
    if (!Spooler::Current().EnumPrinters(all)) {
        c.err << "plotcare-cli: the print spooler cannot be asked for its printers\n";
        return kExitNoAnswer;
    }
    // Every supported printer, in the spooler's order.
    for (auto& p : all)
        if (CPlotcareApp::Current()->IsListedPrinter(QString::fromStdString(p.driver)))
            printers.push_back(std::move(p));

    CliLibraryShelf shelf(c.options.library.empty() ? std::string(CBidiLibrary::kLibraryName)
                                                    : c.options.library);
    // Loaded before the threads start; the driver-folder ones as needed.
    shelf.LoadPlain();
    const std::vector<PrinterStatus> answers = AskAllPrinterStatus(printers, shelf);

    int answered = 0;
    bool noAnswer = false;
    for (const PrinterStatus& a : answers) {
        answered += a.exitCode == kExitOk;
        noAnswer = noAnswer || a.exitCode == kExitNoAnswer;
    }
    const int exitCode = answered == static_cast<int>(answers.size()) && !answers.empty() ? kExitOk
                         : noAnswer ? kExitNoAnswer
                                    : kExitNotSupported;
    if (c.options.json) {
        c.out << "{\"printers\":[";
        for (std::size_t i = 0; i < answers.size(); ++i) {
            const PrinterStatus& a = answers[i];
            c.out << (i ? "," : "") << "{";
            if (a.exitCode == kExitOk)
                c.out << StatusJsonMembers(a.printer.name, a.channelType, a.status)
                      << ",\"answered\":true";
            else
                c.out << "\"printer\":" << JsonString(a.printer.name) << ",\"channel\":\""
                      << ChannelName(a.channelType)
                      << "\",\"answered\":false,\"exitCode\":" << a.exitCode
                      << ",\"message\":" << JsonString(a.problem);
            c.out << "}";
        }
        c.out << "],\"total\":" << answers.size() << ",\"answered\":" << answered
              << ",\"exitCode\":" << exitCode << "}\n";
    } else {
        for (std::size_t i = 0; i < answers.size(); ++i) {
            const PrinterStatus& a = answers[i];
            if (i) c.out << "\n";
            if (a.exitCode == kExitOk) {
                WriteStatusText(c.out, a.printer.name, a.channelType, a.status);
            } else {
                c.out << "printer:          " << Escaped(a.printer.name) << "\n"
                      << "channel:          " << ChannelName(a.channelType) << "\n"
                      << "no answer:        " << a.problem << "\n";
            }
        }
    }
    for (const PrinterStatus& a : answers)
        if (a.exitCode != kExitOk)
            c.err << "plotcare-cli: \"" << Escaped(a.printer.name) << "\": " << a.problem << "\n";
    if (answers.empty()) c.err << "plotcare-cli: no supported printer is installed\n";
    return exitCode;
}

} // namespace cli
