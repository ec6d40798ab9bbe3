#include "DriverRegistration.h"

#include <cstdlib>

#include <QSettings>
#include <QString>
#include <gtest/gtest.h>

#include "platform/SettingsStore.h"

void RegisterDriversForTest(const std::vector<std::string>& names) {
    const char* root = std::getenv("PLOTCARE_SYSTEM_CONFIG_DIR");
    if (!root || !*root) {
        ADD_FAILURE() << "PLOTCARE_SYSTEM_CONFIG_DIR is not set: refusing to write the real machine-wide settings";
        return;
    }
    const auto file = SettingsStore::OpenFile(SettingsStore::FilePath(SettingsRoot::LocalMachine));
    QSettings& settings = *file;
    settings.beginGroup(QStringLiteral("Software/ORVEX/QVM3/Driver"));
    for (const std::string& name : names) {
        const QString n = QString::fromStdString(name);
        settings.setValue(n + QStringLiteral("/Name"), n);
    }
    settings.endGroup();
    settings.sync();
    EXPECT_EQ(settings.status(), QSettings::NoError);
}
