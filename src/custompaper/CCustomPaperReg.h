#pragma once

#include "custompaper/CPaperSettingsChoice.h"
#include "custompaper/CustomPaperSlot.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CCustomPaperTable;
class CMediaTable;
class CPrinterLink;
class MediaDriver;
class ReadyWaitProgress;

// The decisions of the custom paper registration page, without its window:
// what is read from the printer when the page is shown and when a slot is
// picked, how an empty slot takes over the settings on screen, the media
// list, thickness and platen gap rules, the Detail rule, the thickness
// pattern job and what follows a registration. The page edits the table's
// current slot record in place; nothing reaches the printer before Save.
class CCustomPaperReg {
public:
    static constexpr int kSlotCount = 10;

    static constexpr int kTextBusyCaption = 30000;
    static constexpr int kTextNotReady = 901;
    static constexpr int kTextNoMedia = 30900;
    static constexpr int kTextUnreadable = 30901;
    static constexpr int kTextOverwrite = 30902;
    static constexpr int kTextRegistered = 30903;
    static constexpr int kTextNotSent = 30904;
    static constexpr int kTextPatternSent = 30905;
    static constexpr int kTextUnknownMedia = 30120;
    static constexpr int kPlatenFirstText = 30131;
    static constexpr int kShowTimeoutMs = 60000;

    enum class Icon { Warning, Information };
    struct Message {
        int text; // 0: none
        Icon icon;
        bool question;
        bool operator==(const Message&) const = default;
    };
    // Every message of the page, in the order review mode shows them.
    static constexpr std::array<Message, 11> kReviewMessages{{
        {kTextUnreadable, Icon::Warning, false},
        {kTextNoMedia, Icon::Warning, false},
        {kTextOverwrite, Icon::Warning, true},
        {kTextRegistered, Icon::Information, false},
        {kTextNotSent, Icon::Warning, false},
        {50950, Icon::Warning, false},
        {50951, Icon::Warning, false},
        {50952, Icon::Warning, false},
        {50953, Icon::Warning, false},
        {50954, Icon::Warning, false},
        {kTextPatternSent, Icon::Information, false},
    }};

    enum class ShowOutcome {
        Shown,
        NotReady,        // the page refuses (not in review mode)
        NamesUnreadable, // the page refuses (not in review mode)
    };
    enum class PickOutcome {
        Registered,         // the slot's settings are read and shown
        TookOverScreen,     // an empty slot: it takes the settings on screen
        SettingsUnreadable, // 30901; the previous slot stays the one edited
    };
    using PatternOutcome = CPaperSettingsChoice::PatternOutcome;

    static Message MessageFor(ShowOutcome outcome);
    static Message MessageFor(PickOutcome outcome);
    static Message MessageFor(PatternOutcome outcome);

    // The printer an action talks to: its link (one per action), spooler
    // name, and whether the program runs in operating mode 2 (review).
    struct Target {
        CPrinterLink& link;
        std::string printer;
        bool review = false;
    };

    // What the setting tabs show, where they show something: an empty slot
    // picked takes these over (an empty value field reads 0; a box without
    // selection leaves its field).
    struct ScreenValues {
        std::optional<int> forward, drytime;
        std::optional<int> paperCut, roller, threeWay;
        std::optional<int> paperdraw;
    };

    // `platenReset` is the page type's shared flag (true at program start);
    // `unknownMediaText` the placeholder item's text.
    CCustomPaperReg(CCustomPaperTable& table, const CMediaTable& media, bool& platenReset,
                    std::string unknownMediaText);

    CCustomPaperTable& Table() const { return m_table; }
    CPaperSettingsChoice& Choice() { return m_choice; }
    const CPaperSettingsChoice& Choice() const { return m_choice; }

    // The record being edited (the slot picked last); null before the first.
    CustomPaperSlot* Record();
    int RecordIndex() const { return m_record; }
    // Set while the page fills its controls from the record: control changes
    // then do not write back, and the thickness keeps the record's platen.
    bool Loading() const { return m_loading; }

    // The page is being shown: the media list (rebuilt for another printer,
    // else remarked), the readiness wait, the names, the current slot picked.
    ShowOutcome Show(const Target& target, ReadyWaitProgress* progress, MediaDriver& driver,
                     const ScreenValues& screen);
    static bool Refuses(const Target& target, ShowOutcome outcome) {
        return outcome != ShowOutcome::Shown && !target.review;
    }
    // The outcome of the pick that Show ran.
    PickOutcome ShownPick() const { return m_shownPick; }

    // The ten selector texts: "#n label".
    std::vector<std::string> SlotItems() const;

    // A slot (0..9) was picked.
    PickOutcome PickSlot(const Target& target, int index, MediaDriver& driver,
                         const ScreenValues& screen);
    // The slot picked without reading the printer: a registered slot shows
    // what the table holds for it (renderings of the page for review).
    void PreviewSlot(int index, MediaDriver& driver);
    // A media item was picked; the driver takes it and answers its thickness.
    void PickMedia(int index, MediaDriver& driver);
    // The thickness field changed; returns the text it is to show.
    std::string TypeThickness(const std::string& typed);
    void PickPlaten(int index);
    // The driver settings changed: marks and Detail again.
    void DriverSettingsChanged(MediaDriver& driver);
    bool DetailEnabled() const { return m_detail; }
    // The tab's Detail button: no media, or the placeholder, refuses (30900).
    bool DetailMediaChosen() const { return m_choice.SelectedMediaId() != 0; }

    // A registration wrote slot `written` under `name`: its name is read
    // again. The write job reaches the printer through the spooler, so the
    // name is read until the slot holds it, at most kNameReadTries times
    // kNameReadPauseMs apart. True when the printer answered (the selector
    // texts are then to be rebuilt).
    static constexpr int kNameReadTries = 8;
    static constexpr int kNameReadPauseMs = 500;
    bool Registered(const Target& target, int written, const std::string& name);

private:
    void EvaluateDetail(MediaDriver& driver);
    void TakeOverScreen(const CustomPaperSlot& before, const ScreenValues& screen);
    void LoadFromRecord();
    void ApplyMedia(MediaDriver& driver);

    CCustomPaperTable& m_table;
    const CMediaTable& m_media;
    CPaperSettingsChoice m_choice;
    std::string m_unknownMediaText;
    int m_record = -1;
    bool m_loading = false;
    bool m_detail = false;
    PickOutcome m_shownPick = PickOutcome::TookOverScreen;
};
