#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "custompaper/MediaTypeList.h"

class CMediaTable;
class CPrinterLink;

// The media type, paper thickness and platen gap choice that the automatic
// adjustment page and the two manual alignment pages share, without their
// widgets: which media items are offered and greyed, how a typed thickness
// is cleaned, which platen gap items a thickness allows and which of them
// is selected, and which platen gap value a job carries. A page mirrors this
// state into its controls; plotcare-cli drives the same object from its
// options.
class CAlignmentMediaChoice {
public:
    // Texts of one page kind: the "no media type" item and the first of the
    // five platen gap items (automatic, then the values 4 down to 1).
    struct Texts {
        int noMedia;
        int platenFirst;
    };
    static constexpr Texts kAutoAdjustTexts{10140, 10150};
    static constexpr Texts kBidirectionalTexts{80110, 80130};
    static constexpr Texts kUnidirectionalTexts{90110, 90130};

    static constexpr int kThicknessMin = 1;
    static constexpr int kThicknessMax = 16;

    struct MediaItem {
        int textId;        // -1: the driver's name below
        std::string name;  // the driver's media name
        std::uint32_t data;

        std::uint32_t MediaId() const { return data & MediaTypeList::kValueMask; }
        bool Unavailable() const { return (data & MediaTypeList::kUnavailable) != 0; }
    };
    struct PlatenItem {
        int textId;
        int value;  // 0 automatic, else 4 (widest) .. 1
    };

    // Writes the chosen media into the driver and answers its default
    // thickness (-1: none); the pages open the driver settings for it.
    using ApplyMedia = std::function<int(std::uint32_t mediaId)>;

    // `firstFill` is the page kind's flag, shared by every page of the kind
    // and true at program start. Auto-adjust exclusions grey items only on
    // the automatic adjustment page.
    CAlignmentMediaChoice(Texts texts, bool applyAutoAdjustExclusion, bool& firstFill);

    // The value a platen gap item puts into the "SN" command; -1 for an
    // item value outside 0 .. 4.
    static int PlatenValueSent(int itemValue);

    // Media list: item 0 ("no media type") and every driver media the table
    // lists, greyed for driver kind 2 exclusions (and auto-adjust ones).
    void FillMedia(const CMediaTable& table, const MediaTypeList::DriverMedia& driverMedia, int driverKind);
    // Recomputes the grey marks of the listed items after the driver
    // settings changed.
    void Remark(const CMediaTable& table, int driverKind);
    const std::vector<MediaItem>& MediaItems() const { return m_media; }
    int MediaIndex() const { return m_mediaIndex; }
    // The media id of the selection; 0 for none or item 0.
    std::uint32_t SelectedMediaId() const;
    bool Kind2() const { return m_kind2; }

    // Selects a media item and runs the selection change (driver media,
    // thickness, platen gap). An unavailable item cannot be chosen: false,
    // and nothing changes.
    bool SelectMedia(int index, const ApplyMedia& apply);
    // Runs the selection change for the current selection again.
    void MediaSelectionChanged(const ApplyMedia& apply);

    // Thickness as typed: cleaned to digits within 1 .. 16 (empty allowed),
    // then the platen gap items follow it. Returns the cleaned text, which
    // differs from `typed` when the caller must put it back.
    std::string SetThicknessText(const std::string& typed);
    const std::string& ThicknessText() const { return m_thickness; }
    bool ThicknessReadOnly() const { return m_thicknessReadOnly; }
    // The thickness as a number; -1 while the text is empty.
    int Thickness() const;

    bool PlatenEnabled() const { return m_platenEnabled; }
    const std::vector<PlatenItem>& PlatenItems() const { return m_platen; }
    int PlatenIndex() const { return m_platenIndex; }
    // False for an index outside the list.
    bool SelectPlaten(int index);
    // The index of the first item with that value; -1 when none.
    int PlatenIndexOfValue(int value) const;

    // The media part of the Start/Print enabling: item 0, or a real media
    // that driver kind 2 does not exclude.
    bool MediaConditionHolds(const CMediaTable& table) const;

    // The platen gap value the job carries: the selected item's, else none
    // for no media, else the printer's own answer for the media's code.
    // -1 when the printer could not be asked.
    int PlatenValue(CPrinterLink& link, const std::string& printer, const CMediaTable& table, int driverKind) const;

private:
    void RebuildPlaten();
    std::uint32_t Mark(const CMediaTable& table, std::uint32_t id) const;

    Texts m_texts;
    bool m_applyAutoAdjust;
    bool& m_firstFill;
    bool m_kind2 = false;
    std::vector<MediaItem> m_media;
    int m_mediaIndex = -1;
    std::string m_thickness;
    bool m_thicknessReadOnly = false;
    bool m_platenEnabled = false;
    std::vector<PlatenItem> m_platen;
    int m_platenIndex = -1;
};
