#include "platform/SettingsStore.h"

#include "platform/RegistryFormat.h"

#include <QDir>
#include <QSettings>
#include <QStringList>

namespace {

QString FromEnv(const char* name) {
    return qEnvironmentVariableIsEmpty(name) ? QString() : qEnvironmentVariable(name);
}

}  // namespace

namespace SettingsStore {

QString RootFolder(SettingsRoot root) {
    if (root == SettingsRoot::LocalMachine) {
        const QString dir = FromEnv("PLOTCARE_SYSTEM_CONFIG_DIR");
        return dir.isEmpty() ? QStringLiteral("/etc/xdg") : dir;
    }
    QString dir = FromEnv("PLOTCARE_CONFIG_HOME");
    if (dir.isEmpty()) dir = FromEnv("XDG_CONFIG_HOME");
    if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/.config");
    return dir;
}

QString FilePath(SettingsRoot root) {
    return RootFolder(root) + QStringLiteral("/ORVEX/registry.conf");
}

std::unique_ptr<QSettings> OpenFile(const QString& filePath) {
    auto settings = std::make_unique<QSettings>(filePath, RegistryFormat::Format());
    // Another process may have written the file since it was last read.
    settings->sync();
    return settings;
}

QString GroupPath(const std::string& keyPath) {
    const QStringList parts =
        QString::fromStdString(keyPath).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('/'));
}

}  // namespace SettingsStore
