// Whatever words follow "align ... print|save", the item reader either
// refuses them or gives rows 1..4 with values 1..9 on the grid; it never
// reads or writes outside the grid.
#include "cli/CliManualAlign.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte chooses the grid (7 or 8 columns); the rest are the
    // words, separated by zero bytes.
    const int columns = (data[0] & 1) ? 8 : 7;
    std::vector<std::string> words(1);
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back().push_back(static_cast<char>(data[i]));
    }
    cli::AlignItems items;
    std::string error;
    if (!cli::ParseAlignItems(words, columns, items, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    bool any = false;
    for (std::size_t r = 0; r < items.rows.size(); ++r) {
        any |= items.rows[r];
        for (int c = 0; c < columns; ++c) {
            const int v = items.values[r][static_cast<std::size_t>(c)];
            if (v < 1 || v > 9) std::abort();
        }
    }
    if (!any) std::abort();
    return 0;
}
