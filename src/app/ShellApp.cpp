#include "app/ShellApp.h"

#include "app/CPlotcareApp.h"
#include "app/CDriverSettingsDialog.h"
#include "app/CSharedObjects.h"
#include "comm/CDriverSettingsLibrary.h"
#include "platform/DocumentProperties.h"
#include "platform/MessagePresenter.h"
#include "platform/Spooler.h"

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
    std::vector<SpoolerPrinter> printers;
    std::vector<PrinterRecord> records;
    if (!Spooler::Current().EnumPrinters(printers)) return records;
    for (const SpoolerPrinter& p : printers) records.push_back({p.name, p.port, p.driver});
    return records;
}

void SelectPrinter(const PrinterRecord& record) {
    CPlotcareApp* app = CPlotcareApp::Current();
    if (!app) return;
    app->SetSelectedPrinter(QString::fromStdString(record.printer), QString::fromStdString(record.driver),
                            QString::fromStdString(record.port));
    app->RefreshDriverSettings();
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

void UnloadDriverSettingsLibrary() {
    CSharedObjects* shared = CSharedObjects::Current();
    if (shared && shared->driverSettingsLibrary) shared->driverSettingsLibrary->Unload();
}

void LoadDriverSettingsLibrary() {
    CSharedObjects* shared = CSharedObjects::Current();
    if (shared && shared->driverSettingsLibrary) shared->driverSettingsLibrary->Load(SelectedPrinter());
}

bool HasDriverSettings() {
    CPlotcareApp* app = CPlotcareApp::Current();
    return app && app->GetDriverSettings();
}

bool EditDriverSettings(QWidget* owner) {
    CPlotcareApp* app = CPlotcareApp::Current();
    if (!app || !app->GetDriverSettings()) return false;
    const std::string printer = SelectedPrinter();
    CDriverSettingsDialog dialog(printer, app->GetDriverSettings(), owner);
    if (!dialog.IsUsable()) {
        ShowMessage(Text(903), MessageIcon::Warning, MessageButtons::Ok, owner);
        return false;
    }
    if (dialog.exec() != QDialog::Accepted) return false;
    const auto block = DocumentProperties::Apply(printer, app->GetDriverSettings(), dialog.Changes());
    if (!block) {
        ShowMessage(Text(903), MessageIcon::Warning, MessageButtons::Ok, owner);
        return false;
    }
    app->SetDriverSettings(*block);
    return true;
}

} // namespace ShellApp
