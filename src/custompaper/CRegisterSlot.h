#pragma once

#include <functional>
#include <optional>
#include <string>

class CCustomPaperTable;

// The decisions of the slot registration dialog, without its window: the
// destination it opens on, the name a destination fills in, when OK is
// possible, and what OK does: the readiness wait (not in review mode), the
// overwrite question for a registered destination, and the write of the
// table's current slot record under the name into the destination slot.
class CRegisterSlot {
public:
    static constexpr int kSlotCount = 10;
    static constexpr int kTextNotReady = 901;
    static constexpr int kTextOverwrite = 30902;
    static constexpr int kTextRegistered = 30903;
    static constexpr int kTextNotSent = 30904;

    enum class Outcome {
        Written,       // the slot write was sent: the dialog closes
        NotReady,      // the printer did not report ready: nothing sent
        NoDestination, // nothing picked: nothing happens
        NoName,        // a name of blanks: nothing happens
        Declined,      // the destination holds custom paper and the operator did not agree
        NotSent,       // the spooler did not take the write job
    };
    // The message of an outcome: a text id (0 for none) and whether it is
    // the information icon (else the warning icon).
    struct Message {
        int text;
        bool information;
    };
    static Message MessageFor(Outcome outcome);

    // The steps OK takes that reach outside: the readiness wait, the
    // question, and the write (printer slot index + 1, the name, the
    // record); 0 sent.
    struct Steps {
        bool review = false; // operating mode 2: no readiness wait
        std::function<bool()> ready;
        std::function<bool()> confirmOverwrite;
        std::function<int(int index, const std::string& name)> write;
    };

    explicit CRegisterSlot(CCustomPaperTable& table);

    // The destination the dialog opens on: the table's current slot.
    int InitialDestination() const;
    // The name a picked destination puts into the name box: its name when
    // it holds custom paper, without trailing blanks; none for an empty
    // slot (the name box keeps what it has).
    std::optional<std::string> NameFor(int destination) const;
    // OK is possible while the name has a character that is not a blank.
    static bool OkEnabled(const std::string& name);

    Outcome Register(int destination, const std::string& name, const Steps& steps) const;

    // The write as the dialog does it: the table's current slot record
    // under the name into the destination, through the spooler.
    std::function<int(int, const std::string&)> TableWrite(const std::string& printer) const;

private:
    CCustomPaperTable& m_table;
};
