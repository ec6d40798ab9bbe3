#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QByteArray>

// The spooler's document properties of a print queue: its PPD options and
// the choices in effect for this user, kept by the program as a driver
// settings block (platform/DeviceMode.h). The choices in effect are the
// PPD's defaults, then the values of the program's block, then what this
// user saved for the queue, each overriding the one before: a value saved
// through the driver (sample prints) is never undone by an older block.
namespace DocumentProperties {

struct Choice {
    std::string keyword;
    std::string text;
};

struct Option {
    std::string keyword;
    std::string text;
    std::vector<Choice> choices;
    std::string defaultChoice;
    // The choice in effect; for a custom page size the full "Custom.WxH"
    // value, which is not among the choices.
    std::string current;
    bool customSizes = false;
};

using Changes = std::vector<std::pair<std::string, std::string>>;

// The queue's settings block: every option with its choice in effect. None
// when the queue cannot be opened (no such queue, no PPD, no server).
std::optional<QByteArray> CurrentSettings(const std::string& printer);

// The queue's options with their choices in effect, `block` (may be null)
// taken as the program's block. None when the queue cannot be opened.
std::optional<std::vector<Option>> ReadOptions(const std::string& printer, const QByteArray* block);

// Takes changed choices: each must name an option of the queue and one of
// its choices (or a custom page size within the PPD's limits). They are
// saved as this user's options of the queue and the new block is returned:
// the choices in effect with the changes, and the driver values of `block`.
// None when the queue cannot be opened, a change is not valid (nothing is
// saved then) or saving fails.
std::optional<QByteArray> Apply(const std::string& printer, const QByteArray* block, const Changes& changes);

}  // namespace DocumentProperties
