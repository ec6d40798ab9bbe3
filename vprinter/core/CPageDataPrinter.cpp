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

void CPageDataPrinter::Print(const JobItem& item, const std::uint8_t* job) {
    const std::uint8_t* pdf = job + item.offset;
    std::string title = PdfTitle(pdf, item.length);
    if (title.empty()) title = "Sheet";
    // Each PDF is a job of its own in the history.
    JobSession own;
    const int pages = PdfPages(pdf, item.length);
    m_core.RecordJob(own, "PDF", title, PdfLengthMm(pdf, item.length), pages, kSheetMs);
    const std::string held =
        m_core.HoldOutput(std::string(reinterpret_cast<const char*>(pdf), item.length));
    m_core.StartWork(
        own, "sheet", "", kSheetMs, [this, held] { m_core.PrintHeld("sheet", "pdf", held); },
        [this, held] { m_core.DropHeld(held); }, pages);
}

} // namespace vprinter
