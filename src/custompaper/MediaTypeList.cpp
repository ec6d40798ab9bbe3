#include "custompaper/MediaTypeList.h"

#include "comm/CDriverMediaList.h"
#include "custompaper/CMediaTable.h"

namespace MediaTypeList {

DriverMedia FromDriver(const CDriverMediaList& list) {
    DriverMedia media;
    const int count = list.Count();
    for (int i = 0; i < count; ++i) media.emplace_back(list.GetIdAt(i), list.GetNameAt(i));
    return media;
}

std::vector<Entry> Build(const CMediaTable& table, const DriverMedia& driverMedia, int driverKind) {
    std::vector<Entry> entries;
    for (const auto& [id, name] : driverMedia) {
        if (table.FileId(id) == -1) continue;
        entries.push_back({name, Remark(table, id, driverKind)});
    }
    return entries;
}

std::uint32_t Remark(const CMediaTable& table, std::uint32_t data, int driverKind) {
    const std::uint32_t value = data & kValueMask;
    const bool unavailable = driverKind == 2 && table.IsKind2Excluded(static_cast<int>(value));
    return unavailable ? value | kUnavailable : value;
}

}  // namespace MediaTypeList
