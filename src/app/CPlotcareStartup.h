#pragma once

#include "app/CMainWindow.h"

#include <functional>

class CPlotcareApp;

// The program's run from start to end around the application object:
// launch file, required files, single instance, shared objects, the modal
// main window, and the teardown in reverse order.
class CPlotcareStartup {
public:
    static constexpr const char* kInstanceName = "Servulo2";
    // Shown in the chosen language when its texts are there (text id 907).
    static constexpr int kNecessaryFileTextId = 907;
    static constexpr const char* kNecessaryFileText =
        "The necessary file cannot be found. Install the program again.";

    enum class Outcome {
        MissingFiles,        // a required key file is missing
        AlreadyRunning,      // another copy was brought to the front
        SharedObjectFailed,  // out of resources
        MediaTableIncomplete,
        WindowRefused,       // the main window ended during its start-up
        Closed,              // the main window ran and was closed
    };

    explicit CPlotcareStartup(CPlotcareApp& app, bool customFilePage);

    // Pages made by another factory (tests).
    void SetPageFactory(CMainWindow::PageFactory factory) { m_factory = std::move(factory); }
    // Called with the main window right before it runs modally.
    void SetBeforeRun(std::function<void(CMainWindow&)> hook) { m_beforeRun = std::move(hook); }

    Outcome Run();

private:
    CPlotcareApp& m_app;
    bool m_customFilePage;
    CMainWindow::PageFactory m_factory;
    std::function<void(CMainWindow&)> m_beforeRun;
};
