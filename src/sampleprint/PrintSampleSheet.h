#pragma once

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CDriverSettingsLibrary;
struct DeviceMode;

// One sample sheet to print: the labels (in order; the highlighted one is
// drawn larger and bold and names the print job) and the sample image tiled
// across the printable width below them.
struct SampleSheetRequest {
    std::string driverName;
    std::string printerName;
    std::string imagePath;
    std::vector<std::string> labels;
    int highlightIndex = -1;
    // The font the labels are made from; none: the application's base font.
    std::optional<QFont> baseFont;
};

// Results of PrintSampleSheet; every failure is negative.
inline constexpr int kSheetPrinted = 0;
inline constexpr int kSheetNoDeviceMode = -1;     // the driver gave no device mode
inline constexpr int kSheetNoPrinterContext = -2; // the queue's page format is unknown
inline constexpr int kSheetNotDrawn = -3;         // a label or the image could not be drawn
inline constexpr int kSheetNotSubmitted = -4;     // the spooler refused the job

// Draws the sheet into a PDF at the driver's resolution and the printable
// width of the queue's current media, and submits it to the queue as one job
// titled with the highlighted label, with the device mode's options. The
// device mode is the driver's (KRDM_GetDevMode for the printer).
int PrintSampleSheet(CDriverSettingsLibrary* library, const SampleSheetRequest& request);

// --- the parts, for tests and the benchmark ---

// Where a sheet is drawn, in device pixels of the printer.
struct SampleSheetPage {
    double paperWidthPt = 0; // the media's full size, in points
    double paperHeightPt = 0;
    double marginLeftPt = 0; // the printable area inside it
    double marginTopPt = 0;
    double marginRightPt = 0;
    double marginBottomPt = 0;
    int dpiX = 360;
    int dpiY = 360;

    // The printable width in device pixels (what the labels wrap at and the
    // tiles are laid across).
    int PageWidth() const;
};

// Rounded a * b / c, as the driver's device arithmetic does; 0 for c = 0.
int MulDiv(int a, int b, int c);

struct SheetRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool operator==(const SheetRect&) const = default;
};

// The composition of a sheet: label rectangles (left, top, page width,
// top + line height), the top of the image, and the tile columns.
struct SampleSheetLayout {
    int lineHeight = 0;  // the highlighted label's height
    int labelHeight = 0; // the other labels' height
    std::vector<SheetRect> labels;
    int imageTop = 0;
    float scaleX = 1;
    float scaleY = 1;
    int tileWidth = 0;
    int tileStep = 0;
    std::vector<int> tileX; // left edge of every tile, from 0 while <= page width

    // Where the band of `band` rows that starts `rowsDone` rows above the
    // image's bottom row is drawn in every tile column (its left is 0).
    SheetRect BandRect(int imageHeight, int rowsDone, int band) const;
};

// Lays labels of the given widths (device pixels) and an image of the given
// size out on a page `pageWidth` pixels wide at dpiX x dpiY: a label goes on
// the current line when it ends before the page width, else it starts a new
// line at x = 0, lineHeight + 13 below; labels are 50 pixels apart.
SampleSheetLayout LayoutSampleSheet(const std::vector<int>& labelWidths, int pageWidth, int dpiX,
                                    int dpiY, int imageWidth, int imageHeight);

// Sends the image in bands of rows, bottom first, starting with the whole
// image: `drawBand`(rowsDone, band) draws one band in every tile column and
// returns false when it could not; the band is then halved and tried again.
// 0 when every row was drawn, -1 when the band shrank to nothing.
int DrawImageBands(int imageHeight, const std::function<bool(int rowsDone, int band)>& drawBand);

// The sheet's page from the queue's PPD and the options of a device mode:
// the media size (PageSize) and its printable area, and the resolution of
// the chosen print quality (the PPD's default resolution when no choice
// sets one). None when the PPD cannot be read.
std::optional<SampleSheetPage> SampleSheetPageFor(const std::string& ppdPath,
                                                  const DeviceMode& mode);

// The sheet as a PDF document; empty when it could not be drawn. The image
// goes into the document once, however many tiles show it.
QByteArray RenderSampleSheetPdf(const SampleSheetPage& page, const QImage& image,
                                const std::vector<std::string>& labels, int highlightIndex,
                                const QFont& baseFont);

// The job options for a device mode: every option as it is, then each driver
// value as "OV" + its name.
std::vector<std::pair<std::string, std::string>> SampleSheetJobOptions(const DeviceMode& mode);
