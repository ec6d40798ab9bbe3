#include "cli/CliSentence.h"

#include "app/CPlotcareApp.h"
#include "cli/CliMessage.h"

#include <array>

namespace cli {

Sentence Say(int id, std::initializer_list<Sentence> args) {
    Sentence s;
    s.m_id = id;
    s.m_args.assign(args.begin(), args.end());
    return s;
}

std::string Sentence::Render(bool neutral) const {
    if (m_id == 0) return m_text;
    constexpr std::size_t kMax = 9;
    std::array<std::string, kMax> args;
    for (std::size_t i = 0; i < kMax; ++i)
        // A number beyond the arguments stays as written, as Message leaves it.
        args[i] = i < m_args.size() ? m_args[i].Render(neutral) : "%" + std::to_string(i + 1);
    std::string text;
    if (CPlotcareApp::Current()) {
        const std::initializer_list<std::string_view> list = {
            args[0], args[1], args[2], args[3], args[4], args[5], args[6], args[7], args[8]};
        text = neutral ? NeutralMessage(m_id, list) : Message(m_id, list);
    }
    if (!text.empty()) return text;
    // No application object or no text for the id (a Settings folder
    // without texts): still say which message it was and its arguments.
    text = "[" + std::to_string(m_id) + "]";
    for (std::size_t i = 0; i < m_args.size() && i < kMax; ++i)
        text += (i ? ", " : " ") + args[i];
    return text;
}

} // namespace cli
