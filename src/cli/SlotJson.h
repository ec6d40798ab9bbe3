#pragma once

#include "custompaper/CustomPaperSlot.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CMediaTable;

// The JSON form of one custom paper slot: what "slot --json" prints and
// what "register --from FILE.json" reads back, so a slot can be saved,
// edited and registered again.
namespace cli {

// One member value of a JSON object. Arrays and objects inside are checked
// and kept only as Nested.
struct JsonValue {
    enum class Kind { String, Number, Bool, Null, Nested };
    Kind kind = Kind::Null;
    std::string text; // a string's value (UTF-8) or a number as written
    bool boolean = false;
};

constexpr std::size_t kJsonMaxBytes = 64 * 1024;
constexpr int kJsonMaxDepth = 32;

// Reads a text that is exactly one JSON object (white space around it
// allowed) into its members. False, with `error` saying where and why, for
// anything else: bad syntax, a repeated name, strings that are not UTF-8,
// more than kJsonMaxBytes or deeper than kJsonMaxDepth.
bool ReadJsonObject(std::string_view text, std::map<std::string, JsonValue>& members, std::string& error);

// The slot's members, as name and encoded JSON value, in the order printed.
// `mediaId` is the media table's id for the slot's media code (0: none).
std::vector<std::pair<std::string, std::string>> SlotJsonFields(const CustomPaperSlot& slot, int mediaId);

// Reads the settings of a slot from a JSON object in the layout above:
// the nine settings are required whole numbers; the media comes from
// "mediaCode" or "mediaId" (through the media table), and when both are
// given they must name the same media. Other members are ignored. `name`
// receives "name" when present. False with `error` otherwise (ranges are
// not checked here).
bool ReadSlotJson(std::string_view text, const CMediaTable& media, CustomPaperSlot& slot, std::string& name,
                  std::string& error);

} // namespace cli
