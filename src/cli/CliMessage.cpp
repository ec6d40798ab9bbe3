#include "cli/CliMessage.h"

#include "app/CPlotcareApp.h"
#include "base/CKeyFileReader.h"
#include "base/TextScan.h"
#include "cli/CliEnglishTexts.h"

namespace cli {

std::string Substitute(std::string_view text, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

namespace {

// The text the program was built with: a missing or incomplete Settings
// folder, or none chosen yet (the progress lines run without an
// application object), must not leave an error without its words.
std::string BuiltInText(int id) {
    CKeyFileReader reader;
    reader.OpenText(kEnglishTexts);
    std::string text;
    if (reader.GetValue(TextScan::IdKey(id), text) != 0) return {};
    return TextScan::WithLineBreaks(text);
}

std::string Lookup(int id, bool base) {
    const CPlotcareApp* app = CPlotcareApp::Current();
    const QString text = !app ? QString() : base ? app->GetBaseText(id) : app->GetText(id);
    return text.isEmpty() ? BuiltInText(id) : text.toStdString();
}

} // namespace

std::string Message(int id, std::initializer_list<std::string_view> args) {
    return Substitute(Lookup(id, false), args);
}

std::string NeutralMessage(int id, std::initializer_list<std::string_view> args) {
    return Substitute(Lookup(id, true), args);
}

} // namespace cli
