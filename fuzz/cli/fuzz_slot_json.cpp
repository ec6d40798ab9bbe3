// plotcare-cli register's reader of saved slot settings: any text is either
// refused with a reason or gives settings; a text that is read once reads
// the same when printed and read again.
#include "cli/SlotJson.h"
#include "custompaper/CMediaTable.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CMediaTable media; // no rows: ids are refused, codes taken as they are
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CustomPaperSlot slot;
    std::string name, error;
    if (!cli::ReadSlotJson(text, media, slot, name, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    std::string json = "{";
    for (const auto& [member, value] : cli::SlotJsonFields(slot, 0)) json += "\"" + member + "\":" + value + ",";
    json.back() = '}';
    CustomPaperSlot again;
    std::string againName;
    if (!cli::ReadSlotJson(json, media, again, againName, error) || !(again == slot)) std::abort();
    return 0;
}
