#pragma once

#include "app/CMainMenuPage.h"
#include "app/CMainWindow.h"
#include "app/CPlotcareApp.h"
#include "app/CSettingsKey.h"
#include "app/CSharedObjects.h"
#include "app/ShellApp.h"
#include "platform/Clock.h"
#include "platform/MessageRecorder.h"
#include "platform/SettingsStore.h"
#include "ScopedEnv.h"
#include "TestFiles.h"

#include <QApplication>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

// One QApplication for the whole test program.
inline QApplication& EnsureApp() {
    static int argc = 1;
    static char name[] = "test_shell";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A program folder with a Settings folder (the shipped key files unless a
// test replaces one), redirected settings roots and runtime folder, the
// application object, a message recorder and a fake clock.
class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        namespace fs = std::filesystem;
        fs::create_directories(dir.path() / "program" / "Settings");
        for (const auto& entry : fs::directory_iterator(SourcePath("settings"))) {
            if (entry.path().extension() == ".ini")
                fs::copy_file(entry.path(), dir.path() / "program" / "Settings" / entry.path().filename(),
                              fs::copy_options::overwrite_existing);
        }
        fs::create_directories(dir.path() / "runtime");
        fs::permissions(dir.path() / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        env.Set("PLOTCARE_CONFIG_HOME", dir.file("user"));
        env.Set("PLOTCARE_SYSTEM_CONFIG_DIR", dir.file("machine"));
        env.Set("XDG_RUNTIME_DIR", dir.file("runtime"));
        MakeApp("Corvan Max 7100");
        MessagePresenter::SetCaptionSource([this] { return app->GetText(0); });
        CSharedObjects::SetCurrent(&shared);
        SetPrinters({{"Room2", "socket://a:9100", "ORVEX Corvan Max 7100"},
                     {"Foreign", "socket://b:9100", "Other Maker X1"},
                     {"Lab", "socket://c:9100", "ORVEX QZ-7100"}});
    }

    void TearDown() override {
        ShellApp::SetPrinterSource(nullptr);
        MessagePresenter::SetCaptionSource(nullptr);
        CSharedObjects::SetCurrent(nullptr);
        CPlotcareApp::SetCurrent(nullptr);
        app.reset();
        env.Restore();
    }

    void MakeApp(const QString& model) {
        CPlotcareApp::SetCurrent(nullptr);
        app = std::make_unique<CPlotcareApp>(model, QString::fromStdString(dir.file("program")));
        app->SetFontDpi(96);
        CPlotcareApp::SetCurrent(app.get());
    }

    void SetPrinters(std::vector<ShellApp::PrinterRecord> printers) {
        ShellApp::SetPrinterSource([printers] { return printers; });
    }

    // Replaces (or with an empty text, removes) a key file of the Settings folder.
    void WriteSettingsFile(const std::string& name, const std::string& text) {
        const std::string path = "program/Settings/" + name;
        std::filesystem::remove(dir.file(path));
        if (!text.empty()) dir.write(path, text);
        MakeApp(app->ModelName()); // the texts are cached per application object
    }

    // Registers driver names with the status monitor (machine-wide), as the
    // driver package's install step does.
    void RegisterDrivers(std::initializer_list<const char*> drivers) {
        auto s = SettingsStore::OpenFile(SettingsStore::FilePath(SettingsRoot::LocalMachine));
        for (const char* d : drivers)
            s->setValue(QStringLiteral("Software/ORVEX/QVM3/Driver/%1/.").arg(QLatin1String(d)), QString());
        s->sync();
    }

    std::string Remembered() {
        CSettingsKey key(SettingsRoot::CurrentUser, CSettingsKey::kUtilityKey, false);
        return key.ReadString(app->ModelName().toStdString(), "SelectPrinter", "<none>");
    }

    TempDir dir;
    ScopedEnv env;
    std::unique_ptr<CPlotcareApp> app;
    MessageRecorder messages;
    FakeClock clock;
    FakeClock::Scope clockScope{clock};
    CSharedObjects shared;
};

// Pages that log the notifications they receive as (page, message) pairs.
using NoteLog = std::vector<std::pair<int, int>>;

class RecordingPage : public CPage {
public:
    RecordingPage(int index, CMainWindow* owner, NoteLog& log) : CPage(index, owner), m_log(log) {
        resize(600, 300);
    }
    bool refuse = false;
    bool tabLeaves = false;
    bool OnPageShow() override {
        m_log.emplace_back(Index(), kMsgShow);
        return !refuse;
    }
    void OnPageLeave() override { m_log.emplace_back(Index(), kMsgLeave); }
    void OnDriverSettingsChanged() override { m_log.emplace_back(Index(), kMsgDriverSettingsChanged); }
    bool TabLeavesPage() const override { return tabLeaves; }

private:
    NoteLog& m_log;
};

class RecordingMainMenu : public CMainMenuPage {
public:
    RecordingMainMenu(CMainWindow* owner, NoteLog& log)
        : CMainMenuPage(owner, owner->HasCustomFilePage()), m_log(log) {}
    bool OnPageShow() override {
        m_log.emplace_back(0, kMsgShow);
        return CMainMenuPage::OnPageShow();
    }
    void OnPageLeave() override { m_log.emplace_back(0, kMsgLeave); }

private:
    NoteLog& m_log;
};

// A factory making recording pages (the real main menu, recording).
inline CMainWindow::PageFactory RecordingFactory(NoteLog& log) {
    return [&log](int index, CMainWindow* owner) -> CPage* {
        if (index == 0) return new RecordingMainMenu(owner, log);
        return new RecordingPage(index, owner, log);
    };
}
