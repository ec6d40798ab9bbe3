#include "cli/CliMessage.h"

#include "app/CPlotcareApp.h"
#include "cli/CliContext.h"

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

std::string Message(int id, std::initializer_list<std::string_view> args) {
    return Substitute(App().GetText(id).toStdString(), args);
}

std::string NeutralMessage(int id, std::initializer_list<std::string_view> args) {
    return Substitute(App().GetBaseText(id).toStdString(), args);
}

} // namespace cli
