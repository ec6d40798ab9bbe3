#pragma once

#include <memory>
#include <string>

#include <QString>

#include "platform/RegistryFormat.h"

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
// The state of a store file, checked before each use of the store. A file
// that cannot be read is left alone, so nothing is remembered in it; since
// nothing else tells the operator, that is said once on standard error
// (per file, until the file can be read again).
RegistryFormat::FileState CheckFile(const QString& filePath);
// "A\B\C" -> "A/B/C"; empty components (doubled or trailing separators) drop out.
QString GroupPath(const std::string& keyPath);

}  // namespace SettingsStore
