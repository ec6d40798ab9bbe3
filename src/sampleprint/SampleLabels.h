#pragma once

#include <functional>
#include <string>
#include <vector>

struct CustomPaperSlot;
struct CustomFileRecord;

// The label texts a sample sheet carries: each "name=value," (the last one of
// a list without the comma), names and text values localized.

using TextLookup = std::function<std::string(int textId)>;
// The driver's media name of a media id; empty when it has none.
using MediaNameLookup = std::function<std::string(int mediaId)>;

// Suction level 0, -1, -2, -3, -4 as the driver's percentage 100, 50, 30,
// 10, 6; any other level is 100.
int PaperdrawPercent(int level);

// "name=value," or, for the last label of a list, "name=value".
std::string NumberLabel(const std::string& name, int value, bool last = false);
std::string TextLabel(const std::string& name, const std::string& value, bool last = false);

// The eight labels of a registration slot: media, thickness, platen, feed,
// drying time, cut, roller, suction. A value outside its table shows as an
// empty text.
std::vector<std::string> BuildRegistrationLabels(const CustomPaperSlot& record,
                                                 const TextLookup& text,
                                                 const MediaNameLookup& mediaName);
// The ten labels of a custom file entry: media, thickness, platen, mode,
// density, feed, drying time, cut, roller, suction.
std::vector<std::string> BuildCustomFileLabels(const CustomFileRecord& record,
                                               const TextLookup& text,
                                               const MediaNameLookup& mediaName);
