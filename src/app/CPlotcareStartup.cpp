#include "app/CPlotcareStartup.h"

#include "app/CInkChipImages.h"
#include "app/CPlotcareApp.h"
#include "app/CSharedObjects.h"
#include "app/CSingleInstance.h"
#include "comm/CBidiLibrary.h"
#include "comm/CDriverMediaList.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CMediaTable.h"
#include "platform/MessagePresenter.h"

#include <new>

CPlotcareStartup::CPlotcareStartup(CPlotcareApp& app, bool customFilePage)
    : m_app(app), m_customFilePage(customFilePage) {}

CPlotcareStartup::Outcome CPlotcareStartup::Run() {
    // Every box carries the application title, looked up when shown (it is
    // empty while the key files are missing).
    MessagePresenter::SetCaptionSource([this] { return m_app.GetText(0); });

    // 1.-2. Operating mode from the launch file.
    m_app.SetMode(CPlotcareApp::kModeNormal);
    m_app.SetMode(m_app.ReadLaunchMode());
    const bool review = m_app.GetMode() == CPlotcareApp::kModeReview;

    // 3. The key files must be there.
    if (!review && !m_app.CheckRequiredFiles()) {
        ShowMessage(m_app.GetTextOr(kNecessaryFileTextId, kNecessaryFileText), MessageIcon::Error);
        return Outcome::MissingFiles;
    }

    // 4. One copy only: a second one brings the first to the front.
    CSingleInstance instance(QString::fromLatin1(kInstanceName));
    if (!instance.Acquire()) {
        instance.ActivateRunning();
        return Outcome::AlreadyRunning;
    }
    QObject::connect(&instance, &CSingleInstance::ActivationRequested, [] {
        CSingleInstance::BringMarkedWindowsToFront(CMainWindow::kInstanceProperty);
    });

    // 5. The main window object (not shown yet).
    auto window = std::make_unique<CMainWindow>(m_customFilePage, m_factory);

    // 6. Shared objects, in this order.
    CSharedObjects shared;
    Outcome outcome = Outcome::Closed;
    try {
        shared.customPaperTable =
            std::make_unique<CCustomPaperTable>(m_app.GetText(CCustomPaperTable::kTextNotRegistered).toStdString());
        shared.inkChips = std::make_unique<CInkChipImages>();
        shared.driverSettingsLibrary = std::make_unique<CDriverSettingsLibrary>();
        shared.bidiLibrary = std::make_unique<CBidiLibrary>();
    } catch (const std::bad_alloc&) {
        outcome = Outcome::SharedObjectFailed;
    }
    if (outcome == Outcome::SharedObjectFailed) {
        ShowMessage(m_app.GetText(902), MessageIcon::Error);
    } else {
        shared.mediaTable =
            std::make_unique<CMediaTable>(m_app.SettingsFilePath("Media.ini"));
        if (!shared.mediaTable->IsComplete()) {
            ShowMessage(m_app.GetTextOr(kNecessaryFileTextId, kNecessaryFileText), MessageIcon::Error);
            outcome = Outcome::MediaTableIncomplete;
        }
    }

    // 7. The main window, modally, with the driver media cache held open
    // for the whole run. The window goes first when it ends: its last leave
    // notification and its pages' destructors still use the shared objects.
    if (outcome == Outcome::Closed) {
        CSharedObjects::SetCurrent(&shared);
        CDriverMediaList mediaCache(nullptr, std::string(), std::string());
        if (window->Initialize()) {
            if (m_beforeRun) m_beforeRun(*window);
            window->exec();
        } else {
            outcome = Outcome::WindowRefused;
        }
        window.reset();
        CSharedObjects::SetCurrent(nullptr);
    }
    window.reset(); // a window that never ran made no pages

    // 8. Teardown of the shared objects in reverse order.
    shared.mediaTable.reset();
    if (shared.bidiLibrary) shared.bidiLibrary->Unload();
    shared.bidiLibrary.reset();
    shared.driverSettingsLibrary.reset();
    shared.inkChips.reset();
    shared.customPaperTable.reset();
    instance.Release();
    return outcome;
}
