#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The page a print queue's driver prints on, for given option choices: the
// media size and its printable area (points), and the device resolution.
struct PpdPageFormat {
    double widthPt = 0;
    double lengthPt = 0;
    double left = 0; // printable area, from the lower left corner
    double bottom = 0;
    double right = 0;
    double top = 0;
    int dpiX = 0;
    int dpiY = 0;
};

// Reads the PPD at `ppdPath` with its defaults and then `choices` marked
// (a "Custom.WxH" page size included; unknown options are passed over). The
// resolution is the HWResolution that a marked choice sets, else the
// Resolution option's choice, else the PPD's DefaultResolution, else none
// (0). None when the PPD cannot be read or names no page size.
std::optional<PpdPageFormat>
ReadPpdPageFormat(const std::string& ppdPath,
                  const std::vector<std::pair<std::string, std::string>>& choices);

// "720dpi" -> 720 x 720, "1440x720dpi" -> 1440 x 720; false otherwise.
bool ParseResolutionText(const std::string& text, int& dpiX, int& dpiY);
