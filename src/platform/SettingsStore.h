#pragma once

#include <memory>
#include <string>

#include <QString>

class QSettings;

// Where the program's hierarchical settings live. Each root is one file,
// "ORVEX/registry.conf", in a folder:
//   per-user:     $PLOTCARE_CONFIG_HOME, else $XDG_CONFIG_HOME, else ~/.config
//   machine-wide: $PLOTCARE_SYSTEM_CONFIG_DIR, else /etc/xdg
// A key path such as "Software\ORVEX\QVM3\Driver" is the group
// "Software/ORVEX/QVM3/Driver" of that file; subkeys are child groups and
// values are the keys of a group.
enum class SettingsRoot { CurrentUser, LocalMachine };

namespace SettingsStore {

// The folder that holds the root's "ORVEX" folder.
QString RootFolder(SettingsRoot root);
// Full path of the root's INI file.
QString FilePath(SettingsRoot root);
// A QSettings on a store file (RegistryFormat), read fresh from disk.
std::unique_ptr<QSettings> OpenFile(const QString& filePath);
// "A\B\C" -> "A/B/C"; empty components (doubled or trailing separators) drop out.
QString GroupPath(const std::string& keyPath);

}  // namespace SettingsStore
