#pragma once

#include <string>
#include <vector>

// The names the driver package registers with the status monitor.
inline const std::vector<std::string> kSupportedDriverNames = {"ORVEX Corvan Max 7100", "ORVEX QZ-7100"};

// Registers driver names as the driver package's install step does: one
// subkey per name under "Software\ORVEX\QVM3\Driver" of the machine-wide
// settings root. The root must be redirected to a test folder
// (PLOTCARE_SYSTEM_CONFIG_DIR); without that the test fails and nothing is
// written.
void RegisterDriversForTest(const std::vector<std::string>& names = kSupportedDriverNames);
