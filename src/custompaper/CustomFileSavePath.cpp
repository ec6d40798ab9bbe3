#include "custompaper/CustomFileSavePath.h"

#include "app/CSettingsKey.h"

#include <filesystem>

namespace {
constexpr const char* kSavePath = "SavePath";
}

std::string ReadSavePath(const std::string& modelName) {
    const CSettingsKey user(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    std::string folder = user.ReadString(modelName, kSavePath, "");
    if (!folder.empty()) return folder;
    const CSettingsKey machine(SettingsRoot::LocalMachine, CSettingsKey::kUtilityKey, false);
    return machine.ReadString(modelName, kSavePath, "");
}

int WriteSavePath(const std::string& modelName, const std::string& savedFile) {
    std::error_code ec;
    std::string path = std::filesystem::absolute(savedFile, ec).string();
    if (ec) path = savedFile;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string()
                               : slash == 0               ? "/"
                                                          : path.substr(0, slash);
    CSettingsKey user(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
    return user.WriteString(modelName, kSavePath, folder);
}
