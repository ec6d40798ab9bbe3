// A job's options, as CUPS hands them to the driver's filter: any text. The
// filter takes from it only values that parse, writes a header for them,
// and the printer reads back exactly those values.
#include "SheetHeader.h"
#include "SheetOptions.h"
// The printer's reader, which shares the writer's file name.
#include "core/SheetHeader.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cups/cups.h>
#include <string>
#include <vector>

namespace {

const sheetfilter::SheetPpd& Ppd() {
    static const sheetfilter::SheetPpd ppd = [] {
        sheetfilter::SheetPpd p;
        p.mediaIds = {{"plainpaper", 201}, {"premiumglossy260", 101}, {"nomediaid", 0}};
        p.defaultMedia = "PremiumGlossy260";
        p.qualityModes = {{"mode1", 1}, {"mode2", 2}, {"mode3", 3}, {"mode4", 4}, {"draft", 0}};
        p.defaultQuality = "Mode2";
        return p;
    }();
    return ppd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The options text first, the title after the first NUL.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string options = input.substr(0, nul);
    const std::string title = nul == std::string::npos ? std::string() : input.substr(nul + 1);

    cups_option_t* parsed = nullptr;
    const int count = cupsParseOptions(options.c_str(), 0, &parsed);
    std::vector<std::string> warnings;
    const sheetfilter::SheetSettings s =
        sheetfilter::SettingsFromOptions(Ppd(), parsed, count, title, warnings);
    cupsFreeOptions(count, parsed);
    for (const std::string& w : warnings)
        if (w.find('\n') != std::string::npos || w.find('\r') != std::string::npos) std::abort();

    std::uint8_t header[sheetfilter::kSheetMaxSize];
    const std::size_t n = sheetfilter::BuildSheetHeader(s, header, sizeof header);
    if (n == 0) std::abort();
    const vprinter::SheetHeaderRead read = vprinter::ReadSheetHeader(header, n);
    if (read.status != vprinter::SheetHeaderStatus::Ok || read.length != n) std::abort();
    const vprinter::SheetSettings& r = read.settings;
    if (r.given != s.fields || r.title != s.title) std::abort();
    if ((s.fields & sheetfilter::kFieldMedia) && r.mediaValue != s.mediaValue) std::abort();
    if ((s.fields & sheetfilter::kFieldMode) && r.printMode != s.printMode) std::abort();
    if ((s.fields & sheetfilter::kFieldPaper) &&
        (std::memcmp(r.paperBytes.data(), s.paperBytes.data(), s.paperBytes.size()) != 0 ||
         r.density != static_cast<std::int8_t>(s.paperBytes[0])))
        std::abort();
    if ((s.fields & sheetfilter::kFieldOutputFlags) && r.outputFlags != s.outputFlags) std::abort();
    if ((s.fields & sheetfilter::kFieldPrintFlags) && r.printFlags != s.printFlags) std::abort();
    return 0;
}
