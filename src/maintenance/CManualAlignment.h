#pragma once

#include "maintenance/CAlignmentMediaChoice.h"
#include "maintenance/MediaDriver.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CMediaTable;
class CPrinterLink;
class ReadyWaitProgress;

// The manual alignment of one printing direction, without its window: the
// media / thickness / platen gap choice, the dot-size rows to work on, the
// grid of pattern numbers, and the two actions. Print sends the typed values
// and prints the check pattern of each checked row; Save sends the values
// for the printer to keep. The bidirectional and the unidirectional page
// differ only in the constants of their Kind. The page mirrors this object
// into its controls and turns an outcome into its message; plotcare-cli
// fills it from its arguments and turns the outcome into its exit code.
class CManualAlignment {
public:
    enum class Direction { Bidirectional, Unidirectional };

    struct Kind {
        Direction direction;
        int pageIndex;
        int columns;
        int fullSet;                // full-set argument of the "DA" and "DT" builders
        std::uint8_t directionByte; // sixth byte of "DA" and "DT"
        int textBase;               // page name; labels and items follow it
        CAlignmentMediaChoice::Texts texts;
        int headerLeft; // left edge of the first column's ink chip
        int headerStep;
        int headerTop;
        int headerImageOffset; // ink chip image of column c: c + offset
    };
    static constexpr Kind kBidirectional{.direction = Direction::Bidirectional,
                                         .pageIndex = 8,
                                         .columns = 8,
                                         .fullSet = 1,
                                         .directionByte = 0x00,
                                         .textBase = 80000,
                                         .texts = CAlignmentMediaChoice::kBidirectionalTexts,
                                         .headerLeft = 106,
                                         .headerStep = 56,
                                         .headerTop = 85,
                                         .headerImageOffset = 0};
    static constexpr Kind kUnidirectional{.direction = Direction::Unidirectional,
                                          .pageIndex = 9,
                                          .columns = 7,
                                          .fullSet = 0,
                                          .directionByte = 0x10,
                                          .textBase = 90000,
                                          .texts = CAlignmentMediaChoice::kUnidirectionalTexts,
                                          .headerLeft = 135,
                                          .headerStep = 56,
                                          .headerTop = 85,
                                          .headerImageOffset = 1};
    static const Kind& KindOf(Direction direction);

    static constexpr int kRows = 4;
    static constexpr int kMaxColumns = 8;
    static constexpr int kValueMin = 1;
    static constexpr int kValueMax = 9;
    // What every grid cell shows at first and after a job that went out.
    static constexpr int kDefaultValue = 5;

    static constexpr std::size_t kJobRoom = 512;
    static constexpr int kLeaveJobLength = 23;
    // The printer takes a moment to start on the job; the page stays
    // blocked meanwhile.
    static constexpr int kPauseAfterJobMs = 3000;
    // Activation: the busy dialog while the media list is read.
    static constexpr int kActivationTimeoutMs = 60000;
    // Ink count taken when no channel to the printer opens.
    static constexpr int kDefaultInkCount = 8;

    static constexpr int kTextNotReady = 901;
    static constexpr int kTextNotCompleted = 903;
    static constexpr int kTextSnRefused = 80900;
    static constexpr int kTextNoThickness = 80901;
    static constexpr int kTextPrinted = 80902;
    static constexpr int kTextSaved = 80903;

    enum class Action { Print, Save };
    enum class Outcome {
        Sent,          // the job went out (and the grid is back at 5)
        NoThickness,   // no paper thickness: nothing asked, nothing sent
        NotReady,      // the printer did not report ready
        SnRefused,     // the printer is not in a state to align ("SN" level)
        PlatenUnknown, // the automatic platen gap could not be asked
        NotSent,       // the spooler did not take every byte of the job
    };

    struct Message {
        int text;
        bool warning; // otherwise information
    };
    // Every message of the pages, in the order review mode shows them.
    static constexpr Message kReviewMessages[] = {{kTextNoThickness, true},
                                                  {kTextSnRefused, true},
                                                  {kTextPrinted, false},
                                                  {kTextSaved, false}};
    static Message MessageFor(Action action, Outcome outcome);

    using Row = std::array<int, kMaxColumns>;
    using Grid = std::array<Row, kRows>;
    using Rows = std::array<bool, kRows>;

    // "DA" column code of row r (0..3), column c (0-based), and the "DT"
    // pattern byte of row r (0..3).
    static int ColumnCode(const Kind& kind, int row, int column);
    static int PatternByte(const Kind& kind, int row);

    // The job of an action: enter remote mode, "PH" thickness, "SN" platen
    // gap, the row's "DA" values for each checked row, then for Print one
    // "DT" per checked row, exit remote mode and the job end; for Save "SV"
    // and exit remote mode, without the job end. Returns the bytes written
    // (0 when the buffer is too small).
    static int BuildValuesJob(const Kind& kind, Action action, int thickness, int platenValue,
                              const Rows& rows, const Grid& values, std::uint8_t* out,
                              std::size_t room);
    // The job sent when a page is left: enter remote mode, "LD", exit
    // remote mode (23 bytes). The printer goes back to its kept values.
    static int BuildLeaveJob(std::uint8_t* out, std::size_t room);

    // Sends the leave job to the printer; false when it did not go out.
    static bool SendLeaveJob(const std::string& printer);

    // The ink count of the printer's status record (8 or 4); 8 when no
    // channel opens.
    static int ReadInkCount(CPrinterLink& link, const std::string& printer);

    // The first-fill flag of the platen gap list of a page kind: shared by
    // every object of the kind, true at program start.
    static bool& FirstFillFlag(Direction direction);

    explicit CManualAlignment(const Kind& kind);
    CManualAlignment(const CManualAlignment&) = delete;
    CManualAlignment& operator=(const CManualAlignment&) = delete;

    const Kind& GetKind() const { return m_kind; }
    int Columns() const { return m_kind.columns; }
    CAlignmentMediaChoice& Media() { return m_media; }
    const CAlignmentMediaChoice& Media() const { return m_media; }

    // The media list for a printer, as the page fills it when it is shown
    // for another printer than before: the driver's media that the table
    // lists, greyed where the driver's kind excludes them; "no media type"
    // chosen.
    void FillMedia(MediaDriver& driver, const CMediaTable& table);
    // After the driver settings changed: the grey marks follow the driver's
    // kind again, and the chosen media is written into the driver again.
    void RefreshMedia(MediaDriver& driver, const CMediaTable& table);
    // Chooses a media item as the operator would; false for an unavailable
    // one (nothing changes).
    bool SelectMedia(int index, MediaDriver& driver);
    // The index of the media item with that id; -1 when the list has none.
    int MediaIndexOfId(std::uint32_t id) const;

    void SetRowChecked(int row, bool checked);
    bool RowChecked(int row) const;
    const Rows& CheckedRows() const { return m_rows; }
    bool AnyRowChecked() const;
    // A row's grid cells take input exactly while the row is checked.
    bool RowEnabled(int row) const { return RowChecked(row); }
    // Print and Save: a row checked, a thickness, and a media the driver
    // can use.
    bool ActionsEnabled(const CMediaTable& table) const;

    // Grid values as read from the cells: an empty or unreadable cell reads
    // 0. Cells outside the grid are ignored.
    void SetValue(int row, int column, int value);
    int Value(int row, int column) const;
    const Grid& Values() const { return m_values; }
    void ResetValues();

    // Where an action runs: the printer, the link for its queries, and
    // whether to wait for readiness first (not in review mode; through
    // `progress`, which may be null). `driverKind` is asked only when the
    // printer must be asked for the platen gap of the chosen media.
    struct Target {
        CPrinterLink& link;
        std::string printer;
        bool waitForReady = true;
        ReadyWaitProgress* progress = nullptr;
        const CMediaTable& table;
        std::function<int()> driverKind;
    };
    // Called with true when the action's blocking part begins (after the
    // readiness wait) and with false when it is over: the page shows the
    // wait cursor and takes no input meanwhile.
    using BlockingFn = std::function<void(bool blocking)>;

    // One press of Print or Save: thickness check, readiness wait, the "SN"
    // level, the platen gap value, the job, the pause. A job that went out
    // puts every grid value back to 5.
    Outcome Run(Action action, const Target& target, const BlockingFn& blocking = {});

    // Length of the last job built by Run (0 before any), and the platen
    // gap value it carried (-1 before any).
    int LastJobLength() const { return m_lastJobLength; }
    int LastPlatenValue() const { return m_lastPlatenValue; }

private:
    const Kind& m_kind;
    CAlignmentMediaChoice m_media;
    Rows m_rows{};
    Grid m_values{};
    int m_lastJobLength = 0;
    int m_lastPlatenValue = -1;
};
