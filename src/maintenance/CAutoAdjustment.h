#pragma once

#include "maintenance/CAlignmentMediaChoice.h"
#include "platform/MessagePresenter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class BusyIndicator;
class CMediaTable;
class CPrinterLink;
class MediaDriver;
class ReadyWaitProgress;

// The automatic adjustment without its window: the media, thickness and
// platen gap choice, the dot-size patterns of the two alignment directions
// and when their Start is allowed, the jobs of the three actions and their
// time-outs, and each action from the readiness wait to the end of the
// printer watch. The page mirrors it into its controls and shows the
// message of an action's outcome; plotcare-cli drives it from its options
// and turns the outcome into its exit code.
class CAutoAdjustment {
public:
    enum class Direction { Bidirectional, Unidirectional };

    enum class Outcome {
        NotAllowed,        // Start is not enabled (no pattern, a media that cannot be used)
        NotReady,          // the printer did not report ready
        EmptyThickness,    // no paper thickness
        NotAlignable,      // the printer's "SN" level is not 0
        PlatenNotObtained, // the automatic platen gap could not be asked
        Finished,
        Cancelled,
        TimedOut,
        Failed,            // job not sent, no channel, status error or state 0
    };

    // What an action's outcome tells the operator: a text id and its icon;
    // text -1 for none.
    struct Message {
        int text;
        MessageIcon icon;
    };
    static Message MessageFor(Outcome outcome);
    // The three result messages, in the order the review mode shows them.
    static constexpr int kReviewMessageCount = 3;
    static const std::array<Message, kReviewMessageCount>& ReviewMessages();

    // What differs between the two alignment actions.
    struct DirectionConstants {
        bool fullSet;           // bidirectional: the full set of "DT" groups
        std::uint8_t dtGroup;   // the direction byte of "DT"
        int allPatternsMs;      // time-out with all four patterns
        int patternMs[4];       // time-out parts for #1 .. #4
        int captionText;        // busy dialog caption
    };
    static const DirectionConstants& Constants(Direction direction);

    static constexpr int kPatternCount = 4;
    using Patterns = std::array<bool, kPatternCount>;

    static constexpr std::size_t kJobRoom = 512;
    static constexpr int kNozzleCheckCaption = 10130;
    static constexpr int kNozzleCheckTimeoutMs = 1500000;
    static constexpr int kActivationCaption = 80000;
    static constexpr int kActivationTimeoutMs = 60000;

    // The alignment job into `out` (room bytes): remote mode, the paper
    // thickness, the platen gap value, "DT" for all patterns or one per
    // chosen pattern, exit, trailer. Returns its length; `timeoutMs` gets
    // the watch's time-out.
    static int BuildAlignmentJob(std::uint8_t* out, std::size_t room, Direction direction,
                                 const Patterns& patterns, int thickness, int platenValue,
                                 int* timeoutMs);
    static int AlignmentTimeoutMs(Direction direction, const Patterns& patterns);
    // The sensor nozzle check job (30 bytes).
    static int BuildSensorNozzleCheckJob(std::uint8_t* out, std::size_t room);

    explicit CAutoAdjustment(const CMediaTable& table);

    // --- the choice the page shows ----------------------------------------
    const CAlignmentMediaChoice& Choice() const { return m_choice; }
    // The printer the media list was filled for ("" at first).
    const std::string& FilledFor() const { return m_filledFor; }

    // The page is shown for `printer`: a new printer gets a new media list
    // (with `busy` up meanwhile: caption 80000, 60 s, no Cancel), the same
    // one the settings-changed refresh. True when the list was refilled.
    bool Activate(const std::string& printer, MediaDriver& driver, BusyIndicator& busy);
    // The driver settings changed: the grey marks follow the driver kind,
    // and the selected media is applied again.
    void Refresh(MediaDriver& driver);

    // The operator picks a media item; false (nothing changes) for an item
    // that cannot be chosen.
    bool SelectMedia(int index, MediaDriver& driver);
    // The index of the media item with that id; -1 when none.
    int MediaIndexOfId(std::uint32_t mediaId) const;
    // The thickness as typed; returns the cleaned text (to put back when it
    // differs). Ignored while the thickness is read-only (a media gave it).
    std::string TypeThickness(const std::string& typed);
    bool SelectPlaten(int index) { return m_choice.SelectPlaten(index); }

    void SetPattern(Direction direction, int pattern, bool checked);
    bool Pattern(Direction direction, int pattern) const;
    const Patterns& PatternsOf(Direction direction) const;
    bool StartEnabled(Direction direction) const;

    // --- the actions -----------------------------------------------------
    // `readyProgress` shows the readiness wait (may be null); `waitForReady`
    // false skips it (review mode). `busy` is shown while the printer works.
    Outcome StartAlignment(Direction direction, CPrinterLink& link, const std::string& printer,
                           MediaDriver& driver, ReadyWaitProgress* readyProgress,
                           bool waitForReady, BusyIndicator& busy);
    Outcome StartNozzleCheck(CPrinterLink& link, const std::string& printer,
                             ReadyWaitProgress* readyProgress, bool waitForReady,
                             BusyIndicator& busy);

    // The platen gap value the last alignment job carried (-1 before one).
    int LastPlatenValue() const { return m_lastPlatenValue; }
    // The time-out of the last job sent (0 before one).
    int LastTimeoutMs() const { return m_lastTimeoutMs; }

private:
    int PatternSlot(Direction direction) const;
    Outcome SendAndWatch(CPrinterLink& link, const std::string& printer, const std::uint8_t* job,
                         int length, int captionText, int timeoutMs, BusyIndicator& busy);

    const CMediaTable& m_table;
    CAlignmentMediaChoice m_choice;
    std::string m_filledFor;
    Patterns m_patterns[2] = {};
    int m_lastPlatenValue = -1;
    int m_lastTimeoutMs = 0;
};
