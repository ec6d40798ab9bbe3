#include "cli/CliStatusAll.h"

#include "app/CPlotcareApp.h"
#include "cli/CliLibraryShelf.h"
#include "cli/CliMessage.h"
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

// Where the values of the text block start, and the ink levels after the
// colour names.
constexpr std::size_t kValueColumn = 18;
constexpr std::size_t kInkLevelColumn = 16;

// An ink's colour name; an ink of a colour the printers do not use is named
// by its place. For people in the chosen language, in JSON in English.
std::string InkName(const CStatusReply::InkEntry& ink, std::size_t index, int inkSlots, bool neutral) {
    const std::string name = CStatusReply::InkColourName(ink.colour, inkSlots);
    const std::string place = std::to_string(index + 1);
    if (name.empty()) return neutral ? NeutralMessage(110516, {place}) : Message(110516, {place});
    if (neutral) return name;
    // Colour codes 1 to 8; code 1 is Photo Black where Matte Black is 8.
    static const int kColourText[] = {110540, 110542, 110543, 110544, 110545, 110546, 110547, 110548};
    if (ink.colour == 1 && inkSlots == 8) return Message(110541);
    return Message(kColourText[ink.colour - 1]);
}

// The width of a text on a terminal: its characters, not its bytes.
std::size_t Columns(const std::string& text) {
    std::size_t n = 0;
    for (unsigned char ch : text)
        n += (ch & 0xC0) != 0x80;
    return n;
}

// "label:" padded to the column where the values start.
std::string Label(int text) {
    std::string label = Message(text);
    const std::size_t width = Columns(label);
    return label + std::string(width < kValueColumn ? kValueColumn - width : 1, ' ');
}

std::string ChannelText(std::int32_t type) {
    return Message(type == CPrinterLink::kChannelLocal     ? 110506
                   : type == CPrinterLink::kChannelNetwork ? 110507
                                                           : 110508);
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
    const std::string state = std::to_string(status.StateCode());
    out << Label(110500) << Escaped(printer) << "\n"
        << Label(110501) << ChannelText(channelType) << "\n"
        << Label(110502) << Message(status.IsReady() ? 110509 : 110510, {state}) << "\n"
        << Label(110503);
    if (tank < 0)
        out << Message(110511) << "\n";
    else
        out << Message(status.HasField0DBelow13() ? 110513 : 110512, {std::to_string(tank)})
            << "\n";
    const std::string slotCount = std::to_string(inkSlots);
    out << Label(110504) << (status.IsInkLow() ? Message(110514, {slotCount}) : slotCount) << "\n";
    for (std::size_t i = 0; i < inks.size(); ++i) {
        std::string name = InkName(inks[i], i, inkSlots, false);
        name.resize(name.size() +
                        (Columns(name) < kInkLevelColumn ? kInkLevelColumn - Columns(name) : 0),
                    ' ');
        const std::string level = std::to_string(inks[i].level);
        out << "  " << name
            << Message(inks[i].level <= CStatusReply::kInkLowLevel ? 110518 : 110517, {level})
            << "\n";
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
        o << (i ? "," : "") << "{\"colour\":" << JsonString(InkName(inks[i], i, inkSlots, true))
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
            r.problem = Message(110520);
            r.neutralProblem = NeutralMessage(110520);
        } else {
            r.exitCode = kExitOk;
        }
        return r;
    }
    r.exitCode = anyLibrary ? kExitNoAnswer : kExitNotSupported;
    const int problem = anyLibrary ? 110521 : 110522;
    r.problem = Message(problem, {CBidiLibrary::kLibraryName});
    r.neutralProblem = NeutralMessage(problem, {CBidiLibrary::kLibraryName});
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
        c.err << "plotcare-cli: " << Message(110530) << "\n";
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
                      << ",\"message\":" << JsonString(a.neutralProblem);
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
                c.out << Label(110500) << Escaped(a.printer.name) << "\n"
                      << Label(110501) << ChannelText(a.channelType) << "\n"
                      << Label(110505) << a.problem << "\n";
            }
        }
    }
    for (const PrinterStatus& a : answers)
        if (a.exitCode != kExitOk)
            c.err << "plotcare-cli: \"" << Escaped(a.printer.name) << "\": " << a.problem << "\n";
    if (answers.empty()) c.err << "plotcare-cli: " << Message(110531) << "\n";
    return exitCode;
}

} // namespace cli
