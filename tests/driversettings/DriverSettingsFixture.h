#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CMediaTable.h"

// Queues of both models on the private CUPS server, this user's settings in
// a temporary home folder (libcups keeps a user's queue options in
// $HOME/.cups/lpoptions, the driver its own values under $XDG_CONFIG_HOME),
// and the media table shipped in the Settings folder.
class DriverSettingsTest : public ::testing::Test {
protected:
    static constexpr const char* kCorvan = "ovcm7100";
    static constexpr const char* kQz = "ovqz7100";

    static void SetUpTestSuite();

    // A new queue (a name no other test uses) with the model's PPD.
    static std::string AddQueue(const std::string& model);
    // This user's saved option of a queue, empty when none.
    static std::string SavedOption(const std::string& queue, const std::string& option);
    static std::string DriverFolder();

    static const CMediaTable& Table();

    CDriverSettingsLibrary m_library;
};
