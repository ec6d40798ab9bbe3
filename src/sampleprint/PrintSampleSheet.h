#pragma once

#include <string>
#include <vector>

class CDriverSettingsLibrary;

// One sample sheet to print through the printer's driver.
struct SampleSheetRequest {
    std::string driverName, printerName, imagePath;
    std::vector<std::string> labels;
    int highlightIndex;
};

// Prints the sheet with the driver's device mode: 0 when the job was
// submitted, negative on failure (no device mode and no printer context are
// failures too).
int PrintSampleSheet(CDriverSettingsLibrary* library, const SampleSheetRequest& request);
