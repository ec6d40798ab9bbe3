// The install step of the printer driver package: registers the supported
// driver names with the status monitor, as subkeys of the machine-wide key
// "Software\ORVEX\QVM3\Driver" (one subkey per driver name), or removes
// them again.
//
//   orvex-register-drivers [--remove] [DRIVER-NAME...]
//
// Without names, both drivers of the package are registered. The
// machine-wide settings live in $PLOTCARE_SYSTEM_CONFIG_DIR (default
// /etc/xdg), file ORVEX/registry.conf.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>

#include "platform/RegistryFormat.h"

namespace {

const char* const kDrivers[] = {"ORVEX Corvan Max 7100", "ORVEX QZ-7100"};
const char* const kDriverGroup = "Software/ORVEX/QVM3/Driver";

QString RegistryFile() {
    QString root = QString::fromLocal8Bit(qgetenv("PLOTCARE_SYSTEM_CONFIG_DIR"));
    if (root.isEmpty()) root = QStringLiteral("/etc/xdg");
    return root + QStringLiteral("/ORVEX/registry.conf");
}

int Usage() {
    std::fprintf(stderr, "usage: orvex-register-drivers [--remove] [DRIVER-NAME...]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    bool remove = false;
    std::vector<QString> names;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--remove") == 0) remove = true;
        else if (argv[i][0] == '-' || argv[i][0] == '\0' || std::strchr(argv[i], '/') || std::strchr(argv[i], '\\'))
            return Usage();
        else names.push_back(QString::fromUtf8(argv[i]));
    }
    if (names.empty())
        for (const char* d : kDrivers) names.push_back(QString::fromUtf8(d));

    const QString file = RegistryFile();
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        std::fprintf(stderr, "orvex-register-drivers: cannot create the folder of %s\n", qPrintable(file));
        return 1;
    }
    // The file holds more than this list: one that cannot be read is left
    // alone rather than replaced by the few keys written here.
    if (!RegistryFormat::IsUsable(RegistryFormat::CheckFile(file))) {
        std::fprintf(stderr, "orvex-register-drivers: cannot read %s; it is left unchanged\n",
                     qPrintable(file));
        return 1;
    }
    QSettings settings(file, RegistryFormat::Format());
    settings.beginGroup(QString::fromLatin1(kDriverGroup));
    for (const QString& name : names) {
        if (remove) {
            settings.remove(name);
        } else {
            // A subkey needs a value to exist in the file.
            settings.setValue(name + QStringLiteral("/Name"), name);
        }
    }
    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        std::fprintf(stderr, "orvex-register-drivers: cannot write %s\n", qPrintable(file));
        return 1;
    }
    for (const QString& name : names)
        std::printf("%s %s\n", remove ? "removed" : "registered", name.toUtf8().constData());
    return 0;
}
