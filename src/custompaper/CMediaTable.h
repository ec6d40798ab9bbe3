#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One row of the media table: 21 numbers, by column.
struct MediaRow {
    static constexpr int kColumns = 21;
    enum Column {
        kMediaId = 0,            // the driver's media type id; key of all lookups
        kFileId = 1,             // ID in a custom file; -1 = no custom paper
        kFileSubId = 2,          // SID in a custom file
        kMediaCode = 3,          // code on the printer
        kVariant = 4,            // 0, or 1 for drivers whose kind is not 1
        kKind2Excluded = 5,      // 1 = not offered while the driver kind is 2
        kAutoAdjustExcluded = 6, // 1 = not offered for automatic adjustment
        kDisplayOrder = 7,       // sort key of sorted media lists
        kDefaultThickness = 8,   // 0.1 mm; -1 = none
        kFirstMode = 9,          // Mw, Hres, Vres of print modes 1..4
    };
    std::array<std::int32_t, kColumns> values{};

    std::int32_t operator[](int column) const { return values[static_cast<std::size_t>(column)]; }
};

// The media table read from "Media.ini": "MEDIA_NUM" = n, then MEDIA01 ..
// MEDIAn, each a row of 21 comma-separated integers. Lookups take the first
// matching row and answer their not-found value for ids without a row.
class CMediaTable {
public:
    // An empty table: no rows, not complete.
    CMediaTable() = default;
    // Loads the table from a key file; see IsComplete for the outcome.
    explicit CMediaTable(const std::string& path);

    // True only when all declared rows were read.
    bool IsComplete() const { return m_complete; }
    // The row count the file declares ("MEDIA_NUM"), whatever was read.
    int DeclaredCount() const { return m_declared; }
    const std::vector<MediaRow>& Rows() const { return m_rows; }

    // The first row for the id and, unless variant is -1, that variant.
    const MediaRow* FindRow(int id, int variant) const;

    int FileId(int id) const;     // -1 without a row
    int FileSubId(int id) const;  // -1 without a row
    // The variant's code, else the first row's, else 0.
    int MediaCodeOf(int id, int variant) const;
    int IdFromFileIds(int fileId, int fileSubId) const;  // 0 without a row
    int IdFromMediaCode(int code) const;                 // 0 without a row
    bool IsKind2Excluded(int id) const;
    bool IsAutoAdjustExcluded(int id) const;
    int DisplayOrder(int id) const;  // 0 without a row
    // Sorts media ids ascending by display order; equal keys keep their order.
    void SortByDisplayOrder(std::uint16_t* ids, int count) const;
    // The variant's thickness, else the first row's; -1 without a row, 0
    // when the file declared no rows at all.
    int DefaultThickness(int id, int variant) const;
    // Mw, Hres, Vres of print mode 1..4; -1 for another mode or without a
    // row. A mode is offered when ModeMw is not -1.
    int ModeMw(int id, int mode) const;
    int ModeHres(int id, int mode) const;
    int ModeVres(int id, int mode) const;

    // Parses one row as scanf does with 21 "%d" separated by ",": true when
    // all 21 were read (anything after the 21st is ignored).
    static bool ParseMediaRow(std::string_view text, MediaRow& row);
    // "MEDIA" and the row number in at least two digits.
    static std::string RowKey(int row);

private:
    int ModeColumn(int id, int mode, int offset) const;

    std::vector<MediaRow> m_rows;
    int m_declared = 0;
    // Storage exists once the file declared rows; lookups that tell "no
    // table" from "no row" ask this.
    bool m_hasTable = false;
    bool m_complete = false;
};
