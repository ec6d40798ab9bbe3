#pragma once

#include <initializer_list>
#include <string>
#include <vector>

// A sentence for people kept as its text id and arguments until it is
// written, so that each output takes its own form: the chosen language on
// the terminal, English in JSON (which stays the same in every language).
// Readers of outside input describe their refusals this way: they run
// without the application object too (fuzz targets), and only the caller
// knows where the sentence goes.
namespace cli {

class Sentence {
public:
    Sentence() = default;
    // A text taken as it is: a file name, a number, the user's words, a text
    // of the printer.
    Sentence(std::string text) : m_text(std::move(text)) {}
    Sentence(const char* text) : m_text(text) {}

    bool Empty() const { return m_id == 0 && m_text.empty(); }
    // In the chosen language, for the terminal.
    std::string Text() const { return Render(false); }
    // In English whatever the language, for JSON.
    std::string Neutral() const { return Render(true); }
    std::string In(bool neutral) const { return Render(neutral); }

    friend Sentence Say(int id, std::initializer_list<Sentence> args);

private:
    std::string Render(bool neutral) const;

    int m_id = 0;
    std::string m_text;
    std::vector<Sentence> m_args;
};

// The message `id` with %1 ... %9 replaced by the arguments, each argument
// rendered in the same language as the message.
Sentence Say(int id, std::initializer_list<Sentence> args = {});

} // namespace cli
