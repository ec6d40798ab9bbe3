#include "maintenance/SelectedMediaDriver.h"

#include "app/CPlotcareApp.h"
#include "maintenance/CDriverMediaAccess.h"

namespace {

std::function<std::unique_ptr<MediaDriver>()>& Source() {
    static std::function<std::unique_ptr<MediaDriver>()> source;
    return source;
}

} // namespace

std::unique_ptr<MediaDriver> SelectedMediaDriver() {
    if (Source()) return Source()();
    const CPlotcareApp* app = CPlotcareApp::Current();
    if (!app) return std::make_unique<CDriverMediaAccess>(nullptr, "", "", nullptr, nullptr);
    const QByteArray* settings = app->GetDriverSettings();
    return std::make_unique<CDriverMediaAccess>(
        app->GetDriverSettingsLibrary(), app->GetPrinterName().toStdString(),
        app->GetPortName().toStdString(), settings ? settings->constData() : nullptr,
        app->GetMediaTable());
}

void SetSelectedMediaDriverSource(std::function<std::unique_ptr<MediaDriver>()> source) {
    Source() = std::move(source);
}
