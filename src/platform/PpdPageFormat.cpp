#include "platform/PpdPageFormat.h"

#include <cstdio>
#include <cstring>
#include <cups/ppd.h>

// The PPD API is the one way to a queue's page sizes and the PostScript code
// of its choices; libcups marks it deprecated in favour of IPP attributes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

// "HWResolution[x y]" in a choice's code (as a page device dictionary entry).
bool ParseHwResolution(const char* code, int& dpiX, int& dpiY) {
    if (!code) return false;
    const char* at = std::strstr(code, "/HWResolution");
    if (!at) return false;
    at += std::strlen("/HWResolution");
    while (*at == ' ' || *at == '\t' || *at == '\n' || *at == '\r')
        ++at;
    if (*at != '[') return false;
    int x = 0;
    int y = 0;
    char close = 0;
    if (std::sscanf(at + 1, "%d %d %c", &x, &y, &close) != 3 || close != ']') return false;
    if (x <= 0 || y <= 0 || x > 100000 || y > 100000) return false;
    dpiX = x;
    dpiY = y;
    return true;
}

} // namespace

bool ParseResolutionText(const std::string& text, int& dpiX, int& dpiY) {
    int x = 0;
    int y = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%dx%ddpi%n", &x, &y, &used) == 2 &&
        used == static_cast<int>(text.size())) {
    } else if (std::sscanf(text.c_str(), "%ddpi%n", &x, &used) == 1 &&
               used == static_cast<int>(text.size())) {
        y = x;
    } else {
        return false;
    }
    if (x <= 0 || y <= 0 || x > 100000 || y > 100000) return false;
    dpiX = x;
    dpiY = y;
    return true;
}

std::optional<PpdPageFormat>
ReadPpdPageFormat(const std::string& ppdPath,
                  const std::vector<std::pair<std::string, std::string>>& choices) {
    if (ppdPath.empty()) return std::nullopt;
    ppd_file_t* ppd = ppdOpenFile(ppdPath.c_str());
    if (!ppd) return std::nullopt;
    ppdMarkDefaults(ppd);
    for (const auto& [option, choice] : choices)
        ppdMarkOption(ppd, option.c_str(), choice.c_str());

    std::optional<PpdPageFormat> format;
    if (ppd_size_t* size = ppdPageSize(ppd, nullptr); size && size->width > 0 && size->length > 0) {
        PpdPageFormat f;
        f.widthPt = size->width;
        f.lengthPt = size->length;
        f.left = size->left;
        f.bottom = size->bottom;
        f.right = size->right;
        f.top = size->top;
        // A size without an imageable area prints on the whole sheet.
        if (f.right <= f.left || f.top <= f.bottom) {
            f.left = f.bottom = 0;
            f.right = f.widthPt;
            f.top = f.lengthPt;
        }

        bool found = false;
        for (ppd_option_t* o = ppdFirstOption(ppd); o && !found; o = ppdNextOption(ppd)) {
            ppd_choice_t* marked = ppdFindMarkedChoice(ppd, o->keyword);
            if (marked) found = ParseHwResolution(marked->code, f.dpiX, f.dpiY);
        }
        if (!found) {
            if (ppd_choice_t* marked = ppdFindMarkedChoice(ppd, "Resolution")) {
                found = ParseResolutionText(marked->choice, f.dpiX, f.dpiY);
            }
        }
        if (!found) {
            if (ppd_attr_t* attr = ppdFindAttr(ppd, "DefaultResolution", nullptr);
                attr && attr->value) {
                ParseResolutionText(attr->value, f.dpiX, f.dpiY);
            }
        }
        format = f;
    }
    ppdClose(ppd);
    return format;
}

#pragma GCC diagnostic pop
