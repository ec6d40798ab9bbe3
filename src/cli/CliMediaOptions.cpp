#include "cli/CliMediaOptions.h"

#include "cli/CliContext.h"
#include "cli/CliMessage.h"
#include "maintenance/CAlignmentMediaChoice.h"

#include <charconv>

namespace cli {

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && p == end && !text.empty();
}

std::string ReadMediaOptions(const Context& c, MediaOptions& options) {
    options = {};
    if (c.Has("--media")) {
        options.media = true;
        if (!ParseInt(c.Value("--media"), options.mediaId) || options.mediaId < 0)
            return Message(110460, {"--media"});
    }
    if (c.Has("--platen")) {
        const std::string v = c.Value("--platen");
        if (v == "auto")
            options.platen = 0;
        else if (!ParseInt(v, options.platen) || options.platen < 1 || options.platen > 4)
            return Message(110461, {"--platen", "auto"});
    }
    return {};
}

std::string OfferedMediaIds(const CAlignmentMediaChoice& choice) {
    std::string offered;
    for (const auto& item : choice.MediaItems())
        if (item.MediaId() != 0 && !item.Unavailable()) offered += " " + std::to_string(item.MediaId());
    return offered;
}

std::string OfferedPlatenValues(const CAlignmentMediaChoice& choice) {
    std::string offered;
    for (const auto& item : choice.PlatenItems())
        offered += " " + (item.value == 0 ? std::string("auto") : std::to_string(item.value));
    return offered;
}

} // namespace cli
