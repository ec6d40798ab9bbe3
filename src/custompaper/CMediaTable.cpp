#include "custompaper/CMediaTable.h"

#include "base/CKeyFileReader.h"
#include "base/TextScan.h"

#include <algorithm>
#include <cstdio>

namespace {

// Rows are reserved up to this many at once; a larger declared count grows
// as rows really arrive, so a wrong count cannot claim memory.
constexpr int kReserveLimit = 1024;

}  // namespace

CMediaTable::CMediaTable(const std::string& path) {
    CKeyFileReader reader;
    if (!reader.Open(path)) return;
    std::string value;
    if (reader.GetValue("MEDIA_NUM", value) == 0) m_declared = TextScan::Atoi(value);
    reader.Close();
    if (m_declared <= 0) return;

    m_hasTable = true;
    m_rows.reserve(static_cast<std::size_t>(std::min(m_declared, kReserveLimit)));
    // Each row is looked up from the top of the file, as every plain lookup is.
    for (int i = 1; i <= m_declared; ++i) {
        if (!reader.Open(path)) return;
        std::string text;
        if (reader.GetValue(RowKey(i), text) != 0) return;
        reader.Close();
        MediaRow row;
        if (!ParseMediaRow(text, row)) return;
        m_rows.push_back(row);
    }
    m_complete = true;
}

bool CMediaTable::ParseMediaRow(std::string_view text, MediaRow& row) {
    MediaRow parsed;
    if (TextScan::CommaIntegers(text, parsed.values.data(), MediaRow::kColumns) != MediaRow::kColumns)
        return false;
    row = parsed;
    return true;
}

std::string CMediaTable::RowKey(int row) {
    char key[32];
    std::snprintf(key, sizeof key, "%s%02d", "MEDIA", row);
    return key;
}

const MediaRow* CMediaTable::FindRow(int id, int variant) const {
    for (const MediaRow& row : m_rows)
        if (row[MediaRow::kMediaId] == id && (variant == -1 || row[MediaRow::kVariant] == variant))
            return &row;
    return nullptr;
}

int CMediaTable::FileId(int id) const {
    const MediaRow* row = FindRow(id, -1);
    return row ? (*row)[MediaRow::kFileId] : -1;
}

int CMediaTable::FileSubId(int id) const {
    const MediaRow* row = FindRow(id, -1);
    return row ? (*row)[MediaRow::kFileSubId] : -1;
}

int CMediaTable::MediaCodeOf(int id, int variant) const {
    const MediaRow* row = FindRow(id, variant);
    if (!row) row = FindRow(id, -1);
    return row ? (*row)[MediaRow::kMediaCode] : 0;
}

int CMediaTable::IdFromFileIds(int fileId, int fileSubId) const {
    for (const MediaRow& row : m_rows)
        if (row[MediaRow::kFileId] == fileId && row[MediaRow::kFileSubId] == fileSubId)
            return row[MediaRow::kMediaId];
    return 0;
}

int CMediaTable::IdFromMediaCode(int code) const {
    for (const MediaRow& row : m_rows)
        if (row[MediaRow::kMediaCode] == code) return row[MediaRow::kMediaId];
    return 0;
}

bool CMediaTable::IsKind2Excluded(int id) const {
    const MediaRow* row = FindRow(id, 1);
    return row && (*row)[MediaRow::kKind2Excluded] == 1;
}

bool CMediaTable::IsAutoAdjustExcluded(int id) const {
    const MediaRow* row = FindRow(id, -1);
    return row && (*row)[MediaRow::kAutoAdjustExcluded] == 1;
}

int CMediaTable::DisplayOrder(int id) const {
    const MediaRow* row = FindRow(id, -1);
    return row ? (*row)[MediaRow::kDisplayOrder] : 0;
}

void CMediaTable::SortByDisplayOrder(std::uint16_t* ids, int count) const {
    if (!ids || count < 2) return;
    // Bubble sort: neighbours swap only when the first is strictly greater,
    // so media of equal order keep the driver's order.
    for (int pass = count - 1; pass > 0; --pass) {
        bool swapped = false;
        for (int i = 0; i < pass; ++i) {
            if (DisplayOrder(ids[i]) > DisplayOrder(ids[i + 1])) {
                std::swap(ids[i], ids[i + 1]);
                swapped = true;
            }
        }
        if (!swapped) break;
    }
}

int CMediaTable::DefaultThickness(int id, int variant) const {
    if (!m_hasTable) return 0;
    const MediaRow* row = FindRow(id, variant);
    if (!row) row = FindRow(id, -1);
    return row ? (*row)[MediaRow::kDefaultThickness] : -1;
}

int CMediaTable::ModeColumn(int id, int mode, int offset) const {
    if (mode < 1 || mode > 4) return -1;
    const MediaRow* row = FindRow(id, -1);
    return row ? (*row)[3 * mode + 6 + offset] : -1;
}

int CMediaTable::ModeMw(int id, int mode) const { return ModeColumn(id, mode, 0); }
int CMediaTable::ModeHres(int id, int mode) const { return ModeColumn(id, mode, 1); }
int CMediaTable::ModeVres(int id, int mode) const { return ModeColumn(id, mode, 2); }
