#pragma once

#include "custompaper/MediaTypeList.h"

#include <cstdint>
#include <string>
#include <vector>

class CMediaTable;
class CPrinterLink;
class ReadyWaitProgress;

// The part that the registration page and the custom file page share,
// without their widgets: the media type list with its unavailable marks
// (and the placeholder item of a media the table does not know), the paper
// thickness field and the platen gap choices it allows, the Detail rule,
// and the thickness pattern job. A page mirrors this state into its
// controls.
//
// The platen reset flag is shared by every page of one type and true at
// program start: emptying the thickness field sets it, and the next
// thickness typed then picks the third platen item instead of the record's.
class CPaperSettingsChoice {
public:
    static constexpr int kThicknessMin = 1;
    static constexpr int kThicknessMax = 16;
    // The item data of the placeholder for a media the table does not know.
    static constexpr std::uint32_t kPlaceholderData = 0;
    // enter remote mode, "SS", exit remote mode, job end
    static constexpr int kPatternJobLength = 30;
    static constexpr int kPauseAfterPatternMs = 3000;

    // `platenFirstText`: the text of the first platen item; the others
    // follow it (30131..30134 or 50131..50134).
    CPaperSettingsChoice(int platenFirstText, bool& platenReset);

    // --- media type list ---------------------------------------------------
    // Rebuilds the list from the driver's media (kind 2 marks its
    // exclusions) and selects the first item.
    void FillMedia(const CMediaTable& table, const MediaTypeList::DriverMedia& driverMedia,
                   int driverKind);
    // Recomputes the marks of every listed media for the driver kind.
    void Remark(const CMediaTable& table, int driverKind);
    const std::vector<MediaTypeList::Entry>& MediaItems() const { return m_media; }
    int MediaIndex() const { return m_mediaIndex; }
    // Selects an item, marked or not (the program may); an index outside the
    // list leaves nothing selected.
    void SelectMediaIndex(int index);
    // The selected item's media id; 0 with no selection or the placeholder.
    int SelectedMediaId() const;
    // The first item whose media id is `id`; -1 when none.
    int FindMedia(int id) const;
    // Appends the placeholder (data 0, text `text`) and selects it.
    void AddPlaceholder(const std::string& text);
    // Removes the placeholder when there is one; the selection stays on the
    // item it was on (none when that was the placeholder).
    void RemovePlaceholder();
    bool HasPlaceholder() const { return FindMedia(0) >= 0; }
    // The printer the list was built for; empty at first.
    const std::string& BuiltFor() const { return m_builtFor; }
    void SetBuiltFor(const std::string& printer) { m_builtFor = printer; }

    // --- thickness and platen gap ------------------------------------------
    // The thickness field changed to `typed`: cleaned to 1..16 (empty
    // allowed); empty disables the platen box and sets the reset flag;
    // otherwise the platen items follow the thickness, one is selected (the
    // record's while loading or when the flag is clear, else the third when
    // there is one), the flag is cleared, and the thickness and platen are
    // stored into `paperthick` and `platen`. Returns the cleaned text.
    std::string SetThicknessText(const std::string& typed, std::int32_t& paperthick,
                                 std::int32_t& platen, bool loading);
    const std::string& ThicknessText() const { return m_thickness; }
    // The field's value as read (an empty field reads 0).
    int ThicknessValue() const;
    bool PlatenEnabled() const { return m_platenEnabled; }
    // The text ids of the platen items offered now.
    const std::vector<int>& PlatenTexts() const { return m_platen; }
    int PlatenIndex() const { return m_platenIndex; }
    // The platen selection changed: stored as `platen` = index + 1. An
    // index outside the items changes nothing (false).
    bool SelectPlaten(int index, std::int32_t& platen);
    // The item for a record's platen value (value - 1, clamped to the items).
    int PlatenIndexFor(int value) const;

    // --- rules ---------------------------------------------------------
    // The Detail buttons: a media with a nonzero id is selected, and the
    // driver kind is not 2 or the media is not excluded for it.
    bool DetailEnabled(const CMediaTable& table, int driverKind) const;

    // The thickness pattern job into `out`; its length, 0 when `room` is
    // too small.
    static int BuildThicknessPatternJob(std::uint8_t* out, std::size_t room);

    enum class PatternOutcome {
        Sent,     // the job was taken: the success message
        NotReady, // the printer did not report ready: 901, nothing sent
        NotSent,  // the spooler did not take the job: no message
    };
    // Waits until the printer is ready (through `progress`), sends the
    // pattern job, then pauses on the clock.
    static PatternOutcome PrintThicknessPattern(CPrinterLink& link, const std::string& printer,
                                                ReadyWaitProgress* progress);

private:
    int m_platenFirstText;
    bool& m_platenReset;
    std::vector<MediaTypeList::Entry> m_media;
    int m_mediaIndex = -1;
    std::string m_builtFor;
    std::string m_thickness;
    bool m_platenEnabled = true;
    std::vector<int> m_platen;
    int m_platenIndex = -1;
};
