// The settings file is plain text in the user's config folder, open to hand
// editing: whatever it holds, opening keys, reading, writing and
// enumerating must end without a crash and reads must keep their limits.
#include "app/CSettingsKey.h"
#include "FuzzInputFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string root = [] {
        char name[] = "/tmp/fuzz-settings-XXXXXX";
        const std::string dir = mkdtemp(name) ? name : "/tmp/fuzz-settings";
        std::filesystem::create_directories(dir + "/ORVEX");
        setenv("PLOTCARE_CONFIG_HOME", dir.c_str(), 1);
        setenv("PLOTCARE_SYSTEM_CONFIG_DIR", dir.c_str(), 1);
        return dir;
    }();
    WriteFuzzInput(root + "/ORVEX/registry.conf", data, size);

    CSettingsKey list(SettingsRoot::LocalMachine, CSettingsKey::kStatusMonitorDriverKey, true);
    std::string name;
    for (unsigned i = 0; i < 16 && list.EnumSubkey(i, name) == 0; ++i) {
        if (name.size() >= 260) std::abort();
    }

    // Reads through a read-only key create nothing, so the file is written
    // once per input (each write is flushed to disk, which is slow).
    CSettingsKey reader(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, true);
    for (const char* subkey : {"Corvan Max 7100", "QZ-7100", "", "A\\B"}) {
        const std::string text = reader.ReadString(subkey, "SelectPrinter", "d");
        if (text.size() > CSettingsKey::kMaxStringLength) std::abort();
        reader.ReadNumber(subkey, "SampleMediaR", 0);
    }
    for (unsigned i = 0; i < 16 && reader.EnumSubkey(i, name) == 0; ++i) {
        if (name.size() >= 260) std::abort();
    }
    CSettingsKey writer(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    writer.WriteNumber("Corvan Max 7100", "N", 5);
    return 0;
}
