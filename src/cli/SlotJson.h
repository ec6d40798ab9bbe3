#pragma once

#include "cli/CliSentence.h"
#include "custompaper/CustomPaperSlot.h"
#include "custompaper/SlotRanges.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CMediaTable;

// The JSON form of one custom paper slot: what "slot --json" prints and
// what "register --from FILE.json" reads back, so a slot can be saved,
// edited and registered again.
namespace cli {

// The largest settings text taken.
constexpr std::size_t kSlotJsonMaxBytes = 64 * 1024;

// The slot's members, as name and encoded JSON value, in the order printed.
// `mediaId` is the media table's id for the slot's media code (0: none).
std::vector<std::pair<std::string, std::string>> SlotJsonFields(const CustomPaperSlot& slot,
                                                                int mediaId);

// Reads the settings of a slot from a JSON object in the layout above:
// the nine settings are required whole numbers; the media comes from
// "mediaCode" or "mediaId" (through the media table), and when both are
// given they must name the same media. Other members are ignored. `name`
// receives "name" when present. The text is read by the bounded JsonValue
// reader; false with `error` for anything else (ranges are not checked here).
bool ReadSlotJson(std::string_view text, const CMediaTable& media, CustomPaperSlot& slot,
                  std::string& name, Sentence& error);
// The same with the refusal in the chosen language.
bool ReadSlotJson(std::string_view text, const CMediaTable& media, CustomPaperSlot& slot,
                  std::string& name, std::string& error);

// What SlotRanges found wrong, for people.
Sentence DescribeSlotIssue(const SlotRanges::Issue& issue);

} // namespace cli
