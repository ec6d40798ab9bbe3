#pragma once

#include "custompaper/ItemMark.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CDriverMediaList;
class CMediaTable;

// The media type lists of the custom paper pages: the driver's media in
// driver order, without those that custom paper cannot use, each item's data
// the media id with the top bit marking an item that cannot be chosen now
// (the owner-drawn combo box shows it greyed and pages refuse it).
namespace MediaTypeList {

constexpr std::uint32_t kUnavailable = ItemMark::kUnavailable;
constexpr std::uint32_t kValueMask = ItemMark::kValueMask;

struct Entry {
    std::string name;
    std::uint32_t data;
};

// Media ids and names in the driver's order.
using DriverMedia = std::vector<std::pair<std::uint16_t, std::string>>;
DriverMedia FromDriver(const CDriverMediaList& list);

// One entry per driver media whose FileId is not -1; with driver kind 2
// those that IsKind2Excluded are marked unavailable.
std::vector<Entry> Build(const CMediaTable& table, const DriverMedia& driverMedia, int driverKind);

// The item data with its mark recomputed for the driver kind: set when the
// kind is 2 and the media IsKind2Excluded, cleared otherwise.
std::uint32_t Remark(const CMediaTable& table, std::uint32_t data, int driverKind);

}  // namespace MediaTypeList
