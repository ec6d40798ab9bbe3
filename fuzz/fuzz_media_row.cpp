// Media.ini is read at every start: its rows are parsed as 21 integers and
// the whole file drives the media table's lookups. Neither may crash, hang
// or allocate without bound on any content.
#include "custompaper/CMediaTable.h"
#include "FuzzInputFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    MediaRow row;
    if (CMediaTable::ParseMediaRow(text, row) && text.empty()) std::abort();

    CMediaTable table(FuzzInputFile("media", data, size));
    if (table.IsComplete() && table.Rows().size() != static_cast<std::size_t>(table.DeclaredCount()))
        std::abort();
    if (table.Rows().size() > size) std::abort();  // every row needs a line

    std::vector<std::uint16_t> ids;
    for (const MediaRow& r : table.Rows()) {
        const int id = r[MediaRow::kMediaId];
        ids.push_back(static_cast<std::uint16_t>(id));
        table.FindRow(id, r[MediaRow::kVariant]);
        table.FileId(id);
        table.FileSubId(id);
        table.MediaCodeOf(id, 1);
        table.IdFromFileIds(r[MediaRow::kFileId], r[MediaRow::kFileSubId]);
        table.IdFromMediaCode(r[MediaRow::kMediaCode]);
        table.IsKind2Excluded(id);
        table.IsAutoAdjustExcluded(id);
        table.DefaultThickness(id, 0);
        for (int mode = 0; mode <= 5; ++mode) {
            table.ModeMw(id, mode);
            table.ModeHres(id, mode);
            table.ModeVres(id, mode);
        }
        if (ids.size() >= 64) break;
    }
    table.SortByDisplayOrder(ids.data(), static_cast<int>(ids.size()));
    for (std::size_t i = 1; i < ids.size(); ++i)
        if (table.DisplayOrder(ids[i - 1]) > table.DisplayOrder(ids[i])) std::abort();
    return 0;
}
