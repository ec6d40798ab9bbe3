#pragma once

#include <QFont>
#include <QString>

#include <functional>
#include <string>
#include <vector>

class QWidget;
class CBidiLibrary;
class CDriverSettingsLibrary;

// The application object's services as the shell's windows use them, with
// texts as QString. One place that converts, so the windows read plainly.
namespace ShellApp {

QString Text(int id);
QFont Font(int id);
QFont BaseFont();
void CreateBaseFont(const QFont& dialogFont);
int Mode();
QString ModelName();
QString PrinterName();
void OpenManual(QWidget* owner, int page, int topic);
bool IsListedPrinter(const QString& driverName);

// One installed printer as the spooler lists it.
struct PrinterRecord {
    std::string printer;
    std::string port;
    std::string driver;
};
// The installed printers in spooler order.
std::vector<PrinterRecord> EnumeratePrinters();
// Replaces the spooler as the source of printers (review renderings, tests);
// an empty function goes back to the spooler.
void SetPrinterSource(std::function<std::vector<PrinterRecord>()> source);

// Makes the printer the application's selected one and refreshes the
// application's copy of its driver settings.
void SelectPrinter(const PrinterRecord& record);
std::string SelectedPrinter();
std::string SelectedDriver();
CBidiLibrary* BidiLibrary();

// The driver-settings library, unloaded on every page switch and loaded for
// the selected printer when a function page is shown.
void UnloadDriverSettingsLibrary();
void LoadDriverSettingsLibrary();

// The driver settings copy of the selected printer and its dialog. Edit
// returns false when there is no copy (nothing shown).
bool HasDriverSettings();
bool EditDriverSettings(QWidget* owner);

} // namespace ShellApp
