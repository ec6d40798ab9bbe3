// The setting a zmd save reads from JSON: any text is refused with a
// message or gives a record, and what is read prints back as JSON that
// reads as the same record.
#include "cli/CliCustomFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CustomFileRecord record;
    std::string error;
    if (!cli::CustomFileRecordFromJson(text, record, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    CustomFileRecord again;
    if (!cli::CustomFileRecordFromJson(cli::CustomFileEntryJson("f", 1, record, true), again,
                                       error))
        std::abort();
    record.CustomName.clear(); // taken from --name, not from the JSON
    if (!(again == record)) std::abort();
    return 0;
}
