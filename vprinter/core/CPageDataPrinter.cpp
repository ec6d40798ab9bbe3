#include "CPageDataPrinter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace vprinter {

namespace {

// The title of a PDF, when it carries a plain "/Title (...)" entry.
std::string PdfTitle(const std::uint8_t* data, std::size_t length) {
    const std::string text(reinterpret_cast<const char*>(data),
                           std::min<std::size_t>(length, 1 << 20));
    const auto at = text.find("/Title");
    if (at == std::string::npos) return {};
    auto open = text.find('(', at);
    if (open == std::string::npos || open > at + 16) return {};
    std::string title;
    for (std::size_t i = open + 1; i < text.size() && text[i] != ')' && title.size() < 32; ++i)
        if (text[i] != '\\') title.push_back(text[i]);
    return title;
}

// Paper length of the first page in mm, from its media box; 297 when unknown.
int PdfLengthMm(const std::uint8_t* data, std::size_t length) {
    const std::string text(reinterpret_cast<const char*>(data),
                           std::min<std::size_t>(length, 1 << 20));
    const auto at = text.find("/MediaBox");
    if (at == std::string::npos) return 297;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    const auto open = text.find('[', at);
    if (open == std::string::npos) return 297;
    if (std::sscanf(text.c_str() + open + 1, "%lf %lf %lf %lf", &x0, &y0, &x1, &y1) != 4)
        return 297;
    const double mm = (y1 - y0) / 72.0 * 25.4;
    if (!(mm > 0) || mm > 65535) return 297;
    return static_cast<int>(std::lround(mm));
}

int PdfPages(const std::uint8_t* data, std::size_t length) {
    const std::string text(reinterpret_cast<const char*>(data), length);
    int pages = 0;
    for (std::size_t at = text.find("/Type"); at != std::string::npos;
         at = text.find("/Type", at + 5)) {
        std::size_t p = at + 5;
        while (p < text.size() && (text[p] == ' ' || text[p] == '/'))
            ++p;
        if (text.compare(p, 4, "Page") == 0 && (p + 4 >= text.size() || text[p + 4] != 's'))
            ++pages;
    }
    return std::max(pages, 1);
}

} // namespace

void CPageDataPrinter::Print(const JobItem& item, const std::uint8_t* job,
                             const std::optional<SheetSettings>& header,
                             const std::string& headerProblem) {
    const std::uint8_t* pdf = job + item.offset;
    SheetRecord record;
    record.source = header                  ? "job"
                    : headerProblem.empty() ? "printer"
                                            : "bad-header:" + headerProblem;
    record.settings = WithPrinterDefaults(header.value_or(SheetSettings{}));
    if (record.settings.title.empty()) record.settings.title = PdfTitle(pdf, item.length);
    std::string title = record.settings.title;
    if (title.empty()) title = "Sheet";
    // Each PDF is a job of its own in the history.
    JobSession own;
    const int pages = PdfPages(pdf, item.length);
    m_core.RecordJob(own, "PDF", title, PdfLengthMm(pdf, item.length), pages, kSheetMs);
    const std::string held =
        m_core.HoldOutput(std::string(reinterpret_cast<const char*>(pdf), item.length));
    m_core.StartWork(
        own, "sheet", "", kSheetMs,
        [this, held, record]() mutable {
            record.sheet = m_core.PrintHeld("sheet", "pdf", held);
            m_core.WriteBeside(record.sheet, "settings.txt", SettingsText(record));
            m_core.AddSheetRecord(record);
        },
        [this, held] { m_core.DropHeld(held); }, pages);
}

namespace {

const char kHex[] = "0123456789ABCDEF";

// A title as one line of text: control bytes and the backslash escaped,
// everything else (UTF-8 included) as it came.
std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// The settings the printer chose itself, by the names of the record line.
std::string Defaults(std::uint16_t given) {
    static const struct {
        std::uint16_t field;
        const char* name;
    } kFields[] = {{SheetSettings::Media, "media"},
                   {SheetSettings::Mode, "mode"},
                   {SheetSettings::Paper, "paper"},
                   {SheetSettings::OutputFlags, "output-flags"},
                   {SheetSettings::PrintFlags, "print-flags"}};
    std::string out;
    for (const auto& f : kFields)
        if (!(given & f.field)) out += (out.empty() ? "" : ",") + std::string(f.name);
    return out.empty() ? "none" : out;
}

} // namespace

std::string CPageDataPrinter::RecordLine(const SheetRecord& r) {
    const SheetSettings& s = r.settings;
    return r.sheet + " settings=" + r.source + " media=" + std::to_string(s.mediaValue) +
           " mode=" + std::to_string(s.printMode) + " density=" + std::to_string(s.density) +
           " paper=" + ToHex(s.paperBytes.data(), s.paperBytes.size()) +
           " output-flags=" + std::to_string(s.outputFlags) +
           " print-flags=" + std::to_string(s.printFlags) + " defaults=" + Defaults(s.given) +
           " title=" + Escaped(s.title);
}

std::string CPageDataPrinter::SettingsText(const SheetRecord& r) {
    const SheetSettings& s = r.settings;
    const std::string source =
        r.source == "job" ? "the job's"
        : r.source == "printer"
            ? "the printer's own (no sheet header)"
            : "the printer's own (sheet header unreadable: " + r.source.substr(11) + ")";
    return "# Sheet " + r.sheet + ", printed with these settings\n" + "Title=" + Escaped(s.title) +
           "\n" + "Settings=" + source + "\n" + "MediaValue=" + std::to_string(s.mediaValue) +
           "\n" + "PrintMode=" + std::to_string(s.printMode) + "\n" +
           "Density=" + std::to_string(s.density) + "\n" +
           "PaperBytes=" + ToHex(s.paperBytes.data(), s.paperBytes.size()) + "\n" +
           "OutputFlags=" + std::to_string(s.outputFlags) + "\n" +
           "PrintFlags=" + std::to_string(s.printFlags) + "\n" +
           "PrinterDefaults=" + Defaults(s.given) + "\n";
}

} // namespace vprinter
