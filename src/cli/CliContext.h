#pragma once

#include "app/CSharedObjects.h"
#include "cli/CliCommands.h"
#include "comm/CBidiLibrary.h"
#include "platform/Spooler.h"

#include <initializer_list>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CPlotcareApp;

// What the commands of plotcare-cli share: the parsed command line, the
// printer lookup and library loading of a printer selection, and the way an
// action reports its outcome.
namespace cli {

struct Context {
    Options options;
    std::vector<std::string> args;             // the command's own words
    std::map<std::string, std::string> values; // the command's own options ("--direction" -> "bi")
    std::ostream& out;
    std::ostream& err;

    // The value of a command option; `fallback` when it was not given.
    std::string Value(const std::string& option, const std::string& fallback = {}) const;
    bool Has(const std::string& option) const { return values.count(option) != 0; }
};

using Handler = int (*)(Context&);

// A piece of a command's help: message `text` with the syntax words as its
// arguments (%1 ...), or, with no text, the first of them alone. The pieces
// are lines of their own.
struct HelpPart {
    int text;
    std::vector<std::string> syntax = {};
};

struct Command {
    const char* name;
    const char* usage;
    std::vector<HelpPart> help;
    int minArguments;
    int maxArguments;            // -1: any number
    std::vector<std::string> options; // options of this command, each taking a value
    Handler run;
    std::vector<std::string> flags = {}; // options of this command without a value (Has() tells)
};

// The application object of this run (texts, "Printer.ini", media table file).
CPlotcareApp& App();

// The printer named by the first argument among the supported ones; a
// message and kExitNotSupported otherwise.
int FindPrinter(Context& c, SpoolerPrinter& found);

// Loads the bidirectional library for the printer the way a printer
// selection does.
int LoadLibraryFor(Context& c, CBidiLibrary& lib, const std::string& printer);

// A printer and its bidirectional library, for the commands that only talk
// to the printer.
struct Session {
    SpoolerPrinter printer;
    CBidiLibrary lib;
};
int Open(Context& c, Session& s);

// A printer selected as the main menu selects one, for the maintenance
// actions: the application object knows it as the selected printer with its
// driver settings, and the shared objects the pages use (both libraries
// loaded for it, the media table) are in place until the session ends.
class ActionSession {
public:
    ActionSession() = default;
    ~ActionSession();
    ActionSession(const ActionSession&) = delete;
    ActionSession& operator=(const ActionSession&) = delete;

    // 0, or the exit code to end with (the message is written).
    int Open(Context& c);

    const SpoolerPrinter& Printer() const { return m_printer; }
    const std::string& Name() const { return m_printer.name; }
    CBidiLibrary& Bidi() { return *m_shared.bidiLibrary; }
    CSharedObjects& Shared() { return m_shared; }

private:
    SpoolerPrinter m_printer;
    CSharedObjects m_shared;
    CSharedObjects* m_previous = nullptr;
    bool m_installed = false;
};

// A sentence already written out twice: in the chosen language for people,
// and in English for what programs read (--json stays the same in every
// language). cli::Sentence (CliSentence.h) keeps a sentence unwritten
// instead, for readers that run without the application object.
struct DualText {
    std::string shown;
    std::string neutral;

    // Message `id` of the Settings folder's texts, with its arguments.
    static DualText Of(int id, std::initializer_list<std::string_view> args = {});
    // A text of the page's own (App().GetText), on one line; `fallback`'s
    // message when the Settings folder has no text for it.
    static DualText PageText(int textId, int fallback);
    // Words that are the same in every language (a version, a number).
    static DualText Same(const std::string& text) { return {text, text}; }

    bool Empty() const { return shown.empty() && neutral.empty(); }
    DualText& operator+=(const DualText& more) {
        shown += more.shown;
        neutral += more.neutral;
        return *this;
    }
};

// One action's outcome: its exit code, a word for scripts ("sent",
// "not-ready", "ink-low", ...), a sentence for people, and further fields
// for --json as name and JSON value (already encoded).
struct Outcome {
    int exitCode;
    std::string word;
    std::string message;
    std::vector<std::pair<std::string, std::string>> fields;
    // The sentence in English for --json; empty: `message` serves both.
    std::string neutralMessage = {};

    static Outcome Of(int exitCode, std::string word, const DualText& sentence) {
        return {exitCode, std::move(word), sentence.shown, {}, sentence.neutral};
    }
    void Say(const DualText& sentence) {
        message = sentence.shown;
        neutralMessage = sentence.neutral;
    }
    DualText Said() const { return {message, neutralMessage.empty() ? message : neutralMessage}; }
};

// Writes the outcome: with --json one object on standard output
// ({"printer":…,"action":…,"outcome":word,"exitCode":n,"message":…, fields…},
// the message in English);
// otherwise the sentence, on standard output for success and on standard
// error for anything else. Returns the exit code.
int Report(Context& c, const std::string& printer, const std::string& action, const Outcome& outcome);

}  // namespace cli
