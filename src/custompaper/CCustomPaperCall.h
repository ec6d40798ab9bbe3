#pragma once

#include <array>
#include <functional>
#include <string>

class CCustomPaperTable;
class CPrinterLink;
class ReadyWaitProgress;
struct CustomPaperSlot;

// The decisions of the custom paper call page, without its window: what is
// read from the printer when the page is shown and when a slot is picked,
// which buttons that leaves enabled, what the eight rows show, and what Call
// sends once the operator confirmed. It works on the application's slot
// table; the page maps each outcome to its message and fills its controls.
//
// Selector items: 0 is the printer's standard setting, 1..10 the slots.
class CCustomPaperCall {
public:
    static constexpr int kStandardItem = 0;
    static constexpr int kSlotCount = 10;
    static constexpr int kItemCount = kSlotCount + 1;
    static constexpr int kRowCount = 8;

    static constexpr int kTextBusyCaption = 40000;
    static constexpr int kTextStandard = 40111;
    static constexpr int kTextNotReady = 901;
    static constexpr int kTextUnreadable = 40900;
    static constexpr int kTextConfirm = 40901;
    static constexpr int kTextSlotCalled = 40902;
    static constexpr int kTextStandardCalled = 40903;
    static constexpr int kTextNotSent = 40904;
    // The busy dialog while the page is shown.
    static constexpr int kShowTimeoutMs = 60000;

    enum class ShowOutcome {
        Shown,           // names read (or review mode): the page opens
        NotReady,        // the printer did not report ready: the page refuses
        NamesUnreadable, // the names query failed or went unanswered: the page refuses
    };
    enum class PickOutcome {
        Standard,           // the standard setting: rows empty, Edit off
        NotRegistered,      // an empty slot: rows empty, Call off
        SettingsRead,       // the slot's settings are in the rows
        SettingsUnreadable, // the settings query failed or went unanswered
    };
    enum class CallOutcome {
        SlotCalled,
        StandardCalled,
        NotReady,    // the printer did not report ready: nothing asked, nothing sent
        Declined,    // the operator did not answer Yes: nothing sent
        NoSelection, // nothing selected: nothing sent
        NotSent,     // the spooler did not take the call job
    };

    enum class Icon { Warning, Information };
    // A message box: text id (0: none), icon, and whether it asks Yes/No.
    struct Message {
        int text;
        Icon icon;
        bool question;
    };
    static constexpr Message kConfirmMessage{kTextConfirm, Icon::Information, true};
    // Every message of the page, in the order review mode shows them.
    static constexpr std::array<Message, 5> kReviewMessages{{
        {kTextUnreadable, Icon::Warning, false},
        kConfirmMessage,
        {kTextStandardCalled, Icon::Information, false},
        {kTextSlotCalled, Icon::Information, false},
        {kTextNotSent, Icon::Warning, false},
    }};

    static Message MessageFor(ShowOutcome outcome);
    static Message MessageFor(PickOutcome outcome);
    static Message MessageFor(CallOutcome outcome);

    // One row's value: empty, a number with its unit text, or a choice text.
    struct RowValue {
        enum class Kind { Empty, Number, Choice };
        Kind kind = Kind::Empty;
        int number = 0;
        int text = 0; // the unit text (Number) or the choice text (Choice)
        bool operator==(const RowValue&) const = default;
    };
    // The label texts of the eight rows, top to bottom.
    static constexpr std::array<int, kRowCount> kRowLabels{40003, 40004, 40005, 40006,
                                                           40007, 40008, 40009, 40010};
    // Row `row` (0..7) of a slot; empty where the value is outside the
    // range the row knows.
    static RowValue RowValueOf(int row, const CustomPaperSlot& slot);
    // The row's text: "%d %s" of number and unit, the choice text, or "".
    static std::string RowText(const RowValue& value, const std::function<std::string(int)>& text);

    // The printer an action talks to: its link (one per action), spooler
    // name, and whether the program runs in operating mode 2 (review), where
    // no failure keeps the page closed or shows its message and Call does
    // not wait for readiness.
    struct Target {
        CPrinterLink& link;
        std::string printer;
        bool review = false;
    };

    explicit CCustomPaperCall(CCustomPaperTable& table) : m_table(table) {}

    CCustomPaperTable& Table() const { return m_table; }

    // The page is being shown: wait until the printer is ready (through
    // `progress`, may be null), then read the ten names.
    ShowOutcome Show(const Target& target, ReadyWaitProgress* progress);
    // Whether the page stays closed after Show.
    static bool Refuses(const Target& target, ShowOutcome outcome) {
        return outcome != ShowOutcome::Shown && !target.review;
    }
    // The item that stands for the table's current slot.
    int CurrentItem() const;

    // The selector was set to `item`: makes its slot the table's current
    // one and reads the slot's settings when it is registered.
    PickOutcome Pick(const Target& target, int item);
    // The same pick without reading the printer: a registered slot shows
    // what the table holds for it (renderings of the page for review).
    void Preview(int item);
    int SelectedItem() const { return m_item; }
    bool EditEnabled() const { return m_item > kStandardItem; }
    bool CallEnabled() const { return m_callEnabled; }
    // The slot (0..9) whose settings the rows show; -1 when they are empty.
    int RowsSlot() const { return m_rowsSlot; }
    // The message a pick shows (text 0: none; none in review mode).
    static Message PickMessage(const Target& target, PickOutcome outcome) {
        return target.review ? Message{0, Icon::Information, false} : MessageFor(outcome);
    }

    // Call: wait until ready (not in review mode), ask `confirm`, then make
    // the selected item's slot, or the standard setting, the active one.
    using ConfirmFn = std::function<bool()>;
    CallOutcome Call(const Target& target, ReadyWaitProgress* progress, const ConfirmFn& confirm);

private:
    CCustomPaperTable& m_table;
    int m_item = -1;
    bool m_callEnabled = false;
    int m_rowsSlot = -1;
};
