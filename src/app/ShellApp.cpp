#include "app/ShellApp.h"

#include "app/CPlotcareApp.h"
#include "app/CSharedObjects.h"

#include <QApplication>

namespace ShellApp {

QString Text(int id) {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->GetText(id) : QString();
}

QFont Font(int id) {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->GetFont(id) : QApplication::font();
}

QFont BaseFont() {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->BaseFont() : QApplication::font();
}

void CreateBaseFont(const QFont& dialogFont) {
    if (CPlotcareApp* app = CPlotcareApp::Current()) app->CreateBaseFont(dialogFont);
}

int Mode() {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->GetMode() : 0;
}

QString ModelName() {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->ModelName() : QString();
}

QString PrinterName() {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->GetPrinterName() : QString();
}

void OpenManual(QWidget* owner, int page, int topic) {
    if (CPlotcareApp* app = CPlotcareApp::Current()) app->OpenManual(owner, page, topic);
}

bool IsListedPrinter(const QString& driverName) {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app && app->IsListedPrinter(driverName);
}

namespace {
std::function<std::vector<PrinterRecord>()>& PrinterSource() {
    static std::function<std::vector<PrinterRecord>()> source;
    return source;
}
} // namespace

void SetPrinterSource(std::function<std::vector<PrinterRecord>()> source) {
    PrinterSource() = std::move(source);
}

std::vector<PrinterRecord> EnumeratePrinters() {
    if (PrinterSource()) return PrinterSource()();
    return {};
}

void SelectPrinter(const PrinterRecord& record) {
    CPlotcareApp* app = CPlotcareApp::Current();
    if (!app) return;
    app->SetSelectedPrinter(QString::fromStdString(record.printer), QString::fromStdString(record.driver),
                            QString::fromStdString(record.port));
}

std::string SelectedPrinter() {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->GetPrinterName().toStdString() : std::string();
}

std::string SelectedDriver() {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app ? app->GetDriverName().toStdString() : std::string();
}

CBidiLibrary* BidiLibrary() {
    CSharedObjects* shared = CSharedObjects::Current();
    return shared ? shared->bidiLibrary.get() : nullptr;
}

void UnloadDriverSettingsLibrary() {}
void LoadDriverSettingsLibrary() {}

bool HasDriverSettings() {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app && app->GetDriverSettings();
}

bool EditDriverSettings(QWidget*) {
    return false;
}

} // namespace ShellApp
