#pragma once

#include <string>

// The folder of the last saved custom file, remembered as "SavePath" under
// the utility's settings key, subkey = the build's model name.
// The current user's value, else the machine-wide one, else empty.
std::string ReadSavePath(const std::string& modelName);
// Stores the folder of `savedFile` ("/" for a file in the root; a relative
// path is taken from the current folder) in the current user's settings.
// The settings store's status, 0 for success.
int WriteSavePath(const std::string& modelName, const std::string& savedFile);
