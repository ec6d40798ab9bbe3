#include "cli/CliContext.h"

#include "app/CPlotcareApp.h"
#include "cli/CliMessage.h"
#include "cli/CliText.h"
#include "comm/CDriverSettingsLibrary.h"
#include "comm/CPrinterLink.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CMediaTable.h"

#include <QString>
#include <ostream>

namespace cli {

std::string Context::Value(const std::string& option, const std::string& fallback) const {
    const auto it = values.find(option);
    return it == values.end() ? fallback : it->second;
}

CPlotcareApp& App() { return *CPlotcareApp::Current(); }

DualText DualText::Of(int id, std::initializer_list<std::string_view> args) {
    return {Message(id, args), NeutralMessage(id, args)};
}

DualText DualText::PageText(int textId, int fallback) {
    // A page's message may run over several lines; a command's is one.
    const auto oneLine = [](QString text) {
        return text.replace(QLatin1Char('\n'), QLatin1Char(' ')).toStdString();
    };
    DualText said;
    if (textId >= 0) said = {oneLine(App().GetText(textId)), oneLine(App().GetBaseText(textId))};
    if (said.shown.empty() && fallback) said.shown = Message(fallback);
    if (said.neutral.empty() && fallback) said.neutral = NeutralMessage(fallback);
    return said;
}

// The printer named on the command line among the supported ones; a
// message and kExitNotSupported otherwise.
int FindPrinter(Context& c, SpoolerPrinter& found) {
    std::vector<SpoolerPrinter> all;
    if (!Spooler::Current().EnumPrinters(all)) {
        c.err << "plotcare-cli: " << Message(110300) << "\n";
        return kExitNotSupported;
    }
    for (auto& p : all) {
        if (p.name != c.args[0]) continue;
        if (!c.options.anyDriver && !App().IsListedPrinter(QString::fromStdString(p.driver))) {
            c.err << "plotcare-cli: "
                  << Message(110301, {Escaped(p.name), Escaped(p.driver), "--all"}) << "\n";
            return kExitNotSupported;
        }
        found = p;
        return kExitOk;
    }
    c.err << "plotcare-cli: " << Message(110302, {Escaped(c.args[0])}) << "\n";
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
    c.err << "plotcare-cli: " << Message(110303, {CBidiLibrary::kLibraryName, Escaped(printer)})
          << "\n";
    return kExitNotSupported;
}

int Open(Context& c, Session& s) {
    if (int r = FindPrinter(c, s.printer)) return r;
    return LoadLibraryFor(c, s.lib, s.printer.name);
}

ActionSession::~ActionSession() {
    if (m_shared.bidiLibrary) m_shared.bidiLibrary->Unload();
    if (m_installed) CSharedObjects::SetCurrent(m_previous);
}

int ActionSession::Open(Context& c) {
    if (int r = FindPrinter(c, m_printer)) return r;
    m_shared.customPaperTable = std::make_unique<CCustomPaperTable>(
        App().GetText(CCustomPaperTable::kTextNotRegistered).toStdString());
    m_shared.bidiLibrary = std::make_unique<CBidiLibrary>();
    m_shared.driverSettingsLibrary = std::make_unique<CDriverSettingsLibrary>();
    m_shared.mediaTable = std::make_unique<CMediaTable>(App().SettingsFilePath("Media.ini"));
    m_previous = CSharedObjects::Current();
    CSharedObjects::SetCurrent(&m_shared);
    m_installed = true;
    if (int r = LoadLibraryFor(c, *m_shared.bidiLibrary, m_printer.name)) return r;
    CPlotcareApp& app = App();
    app.SetSelectedPrinter(QString::fromStdString(m_printer.name), QString::fromStdString(m_printer.driver),
                           QString::fromStdString(m_printer.port));
    app.RefreshDriverSettings();
    // The driver settings serve the media choices; an action that needs
    // them finds them missing and says so, the others go on.
    m_shared.driverSettingsLibrary->Load(m_printer.name);
    return kExitOk;
}

int Report(Context& c, const std::string& printer, const std::string& action, const Outcome& outcome) {
    if (c.options.json) {
        c.out << "{\"printer\":" << JsonString(printer) << ",\"action\":" << JsonString(action)
              << ",\"outcome\":" << JsonString(outcome.word) << ",\"exitCode\":" << outcome.exitCode
              << ",\"message\":" << JsonString(outcome.Said().neutral);
        for (const auto& [name, value] : outcome.fields) c.out << "," << JsonString(name) << ":" << value;
        c.out << "}\n";
    } else {
        std::ostream& s = outcome.exitCode == kExitOk ? c.out : c.err;
        s << (outcome.exitCode == kExitOk ? "" : "plotcare-cli: ") << Escaped(outcome.message) << "\n";
    }
    return outcome.exitCode;
}

}  // namespace cli
