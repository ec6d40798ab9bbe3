#include "DriverSettingsFixture.h"

#include <cstdlib>

#include <cups/cups.h>

#include "PrivateCups.h"

void DriverSettingsTest::SetUpTestSuite() {
    // One home for the whole process: libcups remembers $HOME when first
    // used.
    static TempDir home;
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() / ".config").c_str(), 1);
    PrivateCups::Shared();
}

std::string DriverSettingsTest::DriverFolder() {
    const char* out = std::getenv("PLOTCARE_OUTPUT_DIR");
    return std::string(out && *out ? out : PLOTCARE_TEST_OUTPUT_DIR) + "/driver";
}

std::string DriverSettingsTest::AddQueue(const std::string& model) {
    static int counter = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = model + "_" + std::to_string(++counter) + "_";
    for (char c : std::string(info ? info->name() : "x"))
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    name = name.substr(0, 100);
    PrivateCups::Shared().AddQueue(name, "socket://127.0.0.1:9", DriverFolder() + "/" + model + ".ppd");
    return name;
}

std::string DriverSettingsTest::SavedOption(const std::string& queue, const std::string& option) {
    // The user's lpoptions only, not the server's defaults.
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::string value;
    if (cups_dest_t* dest = cupsGetDest(queue.c_str(), nullptr, count, dests))
        if (const char* v = cupsGetOption(option.c_str(), dest->num_options, dest->options)) value = v;
    cupsFreeDests(count, dests);
    return value;
}

const CMediaTable& DriverSettingsTest::Table() {
    static const CMediaTable table(SourcePath("settings/Media.ini"));
    return table;
}
