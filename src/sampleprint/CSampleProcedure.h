#pragma once

#include "sampleprint/PrintSampleSheet.h"
#include "sampleprint/SamplePlans.h"

#include <cstdint>
#include <functional>
#include <string>

class CDriverSettingsLibrary;
class CDriverSettingsAccess;

// The sample print procedure every detail dialog runs (and plotcare-cli
// sample): readiness check, the sample image and its checks, the
// remembered image choice, and for each sheet of a plan the driver's items
// set through CDriverSettingsAccess before the sheet is printed. A series
// follows the series rule: kind 1 drivers cut only after the last sheet;
// the other kinds get the printer's grouping jobs (BuildEscBarPacket) between
// the sheets and a closing one after them. No widgets: the caller maps the
// outcome to its message (MessageText) or exit code.
class CSampleProcedure {
public:
    enum class Outcome {
        Nothing,         // opened without a record: nothing was done
        Printed,         // every sheet went to the spooler
        NotReady,        // the printer did not become ready
        NoImage,         // no image file named
        ImageMissing,    // the image file does not exist
        ImageUnreadable, // cannot be read, or shorter than its pixels
        ImageWrongSize,  // not 4060 x 1190
        DriverFailed,    // a driver setting or a sheet failed
        Cancelled,       // the caller ended the series (plotcare-cli's Ctrl-C)
    };

    static constexpr int kTextNotReady = 901;
    static constexpr int kTextNoImage = 50950;
    static constexpr int kTextImageMissing = 50951;
    static constexpr int kTextImageUnreadable = 50952;
    static constexpr int kTextImageWrongSize = 50953;
    static constexpr int kTextDriverFailed = 50954;
    // The message an outcome shows (exclamation icon); 0 for none.
    static int MessageText(Outcome outcome);

    // The readiness wait's result (CPrinterLink::WaitUntilReady): 0 not
    // ready, anything else goes on.
    using ReadyCheck = std::function<int()>;
    using SheetPrinter = std::function<int(CDriverSettingsLibrary*, const SampleSheetRequest&)>;
    // Checked before each sheet and during the queue waits: true ends the
    // series (the closing job is still sent).
    using StopFn = std::function<bool()>;

    // What the procedure tells as it goes, for plotcare-cli's progress lines.
    struct Event {
        enum class Kind {
            Sheet,     // sheet `number` of `count` is about to be prepared and printed
            Printed,   // it went to the spooler
            Failed,    // it failed (driver setting or printing); `value` is the result
            QueueWait, // waiting for the previous sheet to show in the queue
            EscBar,    // a grouping job with `value` (0, 1, 2) was sent
        };
        Kind kind;
        int number;
        int count;
        const SampleSheet* sheet; // null for EscBar after the loop
        int value;
    };
    using ProgressFn = std::function<void(const Event&)>;

    struct Setup {
        CDriverSettingsLibrary* library = nullptr;
        std::string printerName;
        std::string portName;
        std::string driverName;
        const void* devMode = nullptr; // the application's device mode block, may be null
        // The settings subkey (the build's model name) of the image choice.
        std::string modelName;
        // False: the image choice is not remembered (plotcare-cli).
        bool rememberImageChoice = true;
        // Empty: no readiness check (operating mode 2).
        ReadyCheck readyCheck;
        // Empty: PrintSampleSheet.
        SheetPrinter printSheet;
        // Empty: StandardSampleImagePath().
        std::string standardImagePath;
        ProgressFn progress;
        StopFn stop;
    };

    explicit CSampleProcedure(Setup setup);

    // Runs the plan with the image the dialog's radio buttons chose.
    Outcome Run(const SamplePlan& plan, const ImageChoice& image);

    // The image path Run checked and printed with (empty before).
    const std::string& ImagePath() const { return m_imagePath; }
    // Sheets that went to the spooler in the last Run.
    int SheetsPrinted() const { return m_sheetsPrinted; }

    // The checks of a chosen image, in order (empty name, missing file,
    // CheckSampleImage): Printed when the image is accepted.
    static Outcome CheckImage(const std::string& path);

    // The value the series starts with: grouping jobs only with more sheets
    // than one and a group size above 1. Public for tests.
    static constexpr int kEscBarRoom = 256;
    static constexpr int kItem30GroupLength = 1300;
    // Sheets per group from item 30's second value (1 when 1300 or less).
    static int SheetsPerGroup(int item30Second);

private:
    bool Stopped() const;
    void Tell(Event::Kind kind, int number, int count, const SampleSheet* sheet, int value) const;
    void SendEscBar(int value, int number, int count, const SampleSheet* sheet);
    // Prepares the driver for one sheet and prints it: 0 or negative.
    // kind/flag < 0: read them on the sheet's own object (a single sheet).
    int PrintOne(const SampleSheet& sheet, int kind, int flag);

    Setup m_setup;
    std::string m_imagePath;
    int m_sheetsPrinted = 0;
};

// Waits until a job named `documentName` is in the printer's queue, or the
// queue has stayed empty for more than a minute (counted from entry, and
// again whenever it empties), or `stop` holds. Polls the spooler's job list
// every 500 ms through the clock, so the windows stay painted. Returns at
// once when the printer cannot be opened.
enum class QueuedJobWait { Found, QueueStayedEmpty, Stopped, NoPrinter, ListFailed };
QueuedJobWait WaitForQueuedJob(const std::string& printerName, const std::string& documentName,
                               const std::function<bool()>& stop = {});
