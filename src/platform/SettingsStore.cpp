#include "platform/SettingsStore.h"

#include "platform/RegistryFormat.h"

#include <QDir>
#include <QHash>
#include <QMutex>
#include <QSettings>
#include <QStringList>
#include <QtGlobal>

#include <cstring>

namespace {

using RegistryFormat::FileState;

QString FromEnv(const char* name) {
    return qEnvironmentVariableIsEmpty(name) ? QString() : qEnvironmentVariable(name);
}

QString Reason(FileState state, int error) {
    switch (state) {
    case FileState::TooLarge:
        return QStringLiteral("larger than %1 MiB")
            .arg(RegistryFormat::kMaxFileSize / (1024 * 1024));
    case FileState::NotRegular:
        return QStringLiteral("not a regular file");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

// Files already reported, with the state they were reported in.
QMutex g_reportedLock;
QHash<QString, FileState> g_reported;

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

FileState CheckFile(const QString& filePath) {
    int error = 0;
    const FileState state = RegistryFormat::CheckFile(filePath, &error);
    QMutexLocker lock(&g_reportedLock);
    if (RegistryFormat::IsUsable(state)) {
        g_reported.remove(filePath);
    } else if (g_reported.value(filePath, FileState::Readable) != state) {
        g_reported.insert(filePath, state);
        qWarning(
            "Settings file %s cannot be read (%s): it is left as it is, and no setting is saved "
            "until it can be read again.",
            qUtf8Printable(filePath), qUtf8Printable(Reason(state, error)));
    }
    return state;
}

QString GroupPath(const std::string& keyPath) {
    const QStringList parts =
        QString::fromStdString(keyPath).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    return parts.join(QLatin1Char('/'));
}

}  // namespace SettingsStore
