#include "ShellFixture.h"

#include "app/CPlotcareStartup.h"
#include "app/CSingleInstance.h"

#include "ScopedEnv.h"
#include "app/CInkChipImages.h"
#include "comm/CBidiLibrary.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CMediaTable.h"

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class StartupTest : public ShellTest {
protected:
    CPlotcareStartup::Outcome Run(bool closeWhenShown = true) {
        CSharedObjects::SetCurrent(nullptr); // the start-up makes its own
        CPlotcareStartup startup(*app, true);
        startup.SetPageFactory(RecordingFactory(log));
        startup.SetBeforeRun([&](CMainWindow& w) {
            ranWindow = true;
            sharedDuringRun = app->GetBidiLibrary() && app->GetDriverSettingsLibrary() &&
                              app->GetInkChipImages() && app->GetMediaTable() && app->GetCustomPaperTable();
            if (app->GetCustomPaperTable()) emptySlotLabel = app->GetCustomPaperTable()->SlotLabel(0);
            if (closeWhenShown) QTimer::singleShot(0, &w, [&w] { w.close(); });
        });
        return startup.Run();
    }
    void PumpUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 500 && !done(); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(2);
        }
    }
    NoteLog log;
    bool ranWindow = false;
    bool sharedDuringRun = false;
    std::string emptySlotLabel;
};

TEST_F(StartupTest, RefusesWithoutItsFiles) {
    using O = CPlotcareStartup::Outcome;
    struct Case {
        const char* name;
        const char* file;
        const char* text;
        O outcome;
    };
    for (const Case& c : {Case{"Printer.ini missing", "Printer.ini", "", O::MissingFiles},
                          Case{"Media.ini missing", "Media.ini", "", O::MissingFiles},
                          Case{"Media.ini incomplete", "Media.ini", "MEDIA_NUM=3\nMEDIA01=1,2\n",
                               O::MediaTableIncomplete}}) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        WriteSettingsFile(c.file, c.text);
        messages.Clear();
        EXPECT_EQ(Run(), c.outcome);
        ASSERT_EQ(messages.Texts(), QStringList{CPlotcareStartup::kNecessaryFileText});
        EXPECT_EQ(messages.Entries()[0].icon, MessageIcon::Error);
        EXPECT_EQ(messages.Entries()[0].caption, "plotcare");
        EXPECT_FALSE(ranWindow);
    }
}

TEST_F(StartupTest, NoSupportedPrinterEndsTheProgram) {
    SetPrinters({{"Foreign", "socket://b", "Other Maker X1"}});
    EXPECT_EQ(Run(), CPlotcareStartup::Outcome::WindowRefused);
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(904)});
    EXPECT_FALSE(ranWindow);
}

TEST_F(StartupTest, RunsTheWindowAndTearsDownAfterClosing) {
    EXPECT_EQ(Run(), CPlotcareStartup::Outcome::Closed);
    EXPECT_TRUE(ranWindow);
    EXPECT_TRUE(sharedDuringRun);
    // Slots are unread at start: each shows the localized "not registered" label.
    EXPECT_EQ(emptySlotLabel, app->GetText(CCustomPaperTable::kTextNotRegistered).toStdString());
    EXPECT_FALSE(emptySlotLabel.empty());
    EXPECT_EQ(messages.Texts(), QStringList{app->GetText(900)});
    // Everything is released: a new copy can start.
    CSingleInstance next(CPlotcareStartup::kInstanceName);
    EXPECT_TRUE(next.Acquire());
    EXPECT_EQ(CSharedObjects::Current(), nullptr);
    EXPECT_EQ(app->GetBidiLibrary(), nullptr);
    EXPECT_EQ(app->GetCustomPaperTable(), nullptr);
}

TEST_F(StartupTest, ReviewModeStartsWithoutLocalizedTextsOrPrinters) {
    dir.write("program/Settings/Setting_Launch.ini", "Ope=U\n");
    WriteSettingsFile("Localize.ini", "");
    SetPrinters({});
    EXPECT_EQ(Run(), CPlotcareStartup::Outcome::Closed);
    EXPECT_EQ(app->GetMode(), CPlotcareApp::kModeReview);
    EXPECT_TRUE(ranWindow);
    // The main menu's seven review messages, then the close question.
    EXPECT_EQ(messages.Texts().size(), 8);
}

// The first copy, in a thread of its own so that it can answer while the
// second copy waits for it.
class FirstCopy : public QThread {
public:
    std::atomic<bool> held{false};
    std::atomic<int> requests{0};
    void run() override {
        CSingleInstance instance(CPlotcareStartup::kInstanceName);
        held = instance.Acquire();
        QObject::connect(&instance, &CSingleInstance::ActivationRequested, &instance, [this] { ++requests; },
                         Qt::DirectConnection);
        exec();
    }
};

TEST_F(StartupTest, ASecondCopyActivatesTheFirstAndEnds) {
    FirstCopy first;
    first.start();
    PumpUntil([&] { return first.held.load(); });
    ASSERT_TRUE(first.held);
    EXPECT_EQ(Run(), CPlotcareStartup::Outcome::AlreadyRunning);
    EXPECT_EQ(first.requests, 1);
    EXPECT_TRUE(messages.Entries().empty());
    EXPECT_FALSE(ranWindow);
    first.quit();
    first.wait();
}

TEST_F(StartupTest, TheFirstCopyRaisesItsModalDialog) {
    CSingleInstance instance(CPlotcareStartup::kInstanceName);
    ASSERT_TRUE(instance.Acquire());
    QObject::connect(&instance, &CSingleInstance::ActivationRequested,
                     [] { CSingleInstance::BringMarkedWindowsToFront(CMainWindow::kInstanceProperty); });
    QWidget window;
    window.setProperty(CMainWindow::kInstanceProperty, 1);
    window.show();
    QDialog modal(&window);
    modal.setModal(true);
    modal.show();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    window.showMinimized();

    auto second = std::async(std::launch::async, [] {
        CSingleInstance copy(CPlotcareStartup::kInstanceName);
        return !copy.Acquire() && copy.ActivateRunning();
    });
    PumpUntil([&] { return second.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    ASSERT_TRUE(second.get());
    PumpUntil([&] { return QApplication::activeWindow() == &modal; });
    EXPECT_FALSE(window.isMinimized());
    EXPECT_EQ(QApplication::activeWindow(), &modal);
}

TEST_F(StartupTest, ALockLeftByADeadCopyIsTakenOver) {
    // A lock file naming a process that no longer exists.
    CSingleInstance probe(CPlotcareStartup::kInstanceName);
    dir.write("runtime/Servulo2.lock",
              "999999\nplotcare\n" + QSysInfo::machineHostName().toStdString() + "\n");
    EXPECT_TRUE(probe.Acquire());
}

// Whether only this user can reach the folder: a real folder (no link),
// owned by this user, closed to group and others.
bool IsPrivateFolder(const QString& path) {
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == geteuid() && (st.st_mode & 077) == 0;
}

// Without a runtime folder the lock and its socket go to a folder of this
// user's own. The shared temporary folder is open to everyone: whatever
// name there the program picks, another user can take it first, as a
// folder of theirs, a link, or a folder open to all; the program must then
// look elsewhere, not use it.
TEST_F(StartupTest, TheLockFallsBackToAFolderOfThisUserOnly) {
    namespace fs = std::filesystem;
    struct Taking {
        const char* name;
        std::function<void(const fs::path&)> take;
    };
    std::vector<Taking> takings = {
        {"a link to a folder",
         [this](const fs::path& p) {
             fs::create_directories(dir.path() / "elsewhere");
             fs::permissions(dir.path() / "elsewhere", fs::perms::owner_all,
                             fs::perm_options::replace);
             fs::create_directory_symlink(dir.path() / "elsewhere", p);
         }},
        {"a folder open to all",
         [](const fs::path& p) {
             fs::create_directory(p);
             fs::permissions(p, fs::perms::all, fs::perm_options::replace);
         }},
    };
    if (geteuid() == 0) { // only root can hand a folder to another user
        takings.push_back({"another user's folder", [](const fs::path& p) {
                               fs::create_directory(p);
                               fs::permissions(p, fs::perms::all, fs::perm_options::replace);
                               ASSERT_EQ(chown(p.c_str(), 65534, 65534), 0);
                           }});
    }
    for (const Taking& t : takings) {
        SCOPED_TRACE(t.name);
        TempDir shared;
        fs::permissions(shared.path(), fs::perms::all | fs::perms::sticky_bit,
                        fs::perm_options::replace);
        ScopedEnv env;
        env.Unset("XDG_RUNTIME_DIR");
        env.Set("TMPDIR", shared.path().string());

        for (int round = 0; round < 8; ++round) {
            CSingleInstance instance(CPlotcareStartup::kInstanceName);
            ASSERT_TRUE(instance.Acquire());
            const QString folder = QFileInfo(instance.LockPath()).absolutePath();
            ASSERT_TRUE(IsPrivateFolder(folder)) << folder.toStdString();
            EXPECT_EQ(QFileInfo(instance.SocketPath()).absolutePath(), folder);
            CSingleInstance second(CPlotcareStartup::kInstanceName);
            EXPECT_FALSE(second.Acquire());
            instance.Release();
            // Everything outside the shared folder is this user's alone.
            const fs::path chosen = folder.toStdString();
            if (chosen.parent_path() != shared.path()) break;
            fs::remove_all(chosen);
            t.take(chosen);
        }
    }
}

// A page that took the shared objects when it was made and uses them when
// it is left and destroyed, as the function pages do at exit. The window
// goes first, so each use finds the very objects the page took.
class SharedObjectsUser : public RecordingMainMenu {
public:
    SharedObjectsUser(CMainWindow* owner, NoteLog& log, std::vector<std::string>& uses)
        : RecordingMainMenu(owner, log), m_uses(uses), m_bidi(ShellApp::BidiLibrary()) {
        if (const CSharedObjects* shared = CSharedObjects::Current()) {
            m_settingsLibrary = shared->driverSettingsLibrary.get();
            m_inkChips = shared->inkChips.get();
            m_mediaTable = shared->mediaTable.get();
        }
    }
    ~SharedObjectsUser() override { m_uses.push_back(Use("destroyed")); }
    void OnPageLeave() override {
        RecordingMainMenu::OnPageLeave();
        m_uses.push_back(Use("left"));
    }

private:
    std::string Use(const std::string& when) const {
        const CSharedObjects* shared = CSharedObjects::Current();
        if (!shared || !m_bidi || shared->bidiLibrary.get() != m_bidi ||
            shared->driverSettingsLibrary.get() != m_settingsLibrary ||
            shared->inkChips.get() != m_inkChips || shared->mediaTable.get() != m_mediaTable)
            return when + ": the shared objects are gone";
        m_bidi->Unload();
        m_settingsLibrary->Unload();
        return when + (m_mediaTable->IsComplete() && !m_inkChips->ImageSize().isEmpty()
                           ? ": used"
                           : ": broken");
    }

    std::vector<std::string>& m_uses;
    CBidiLibrary* m_bidi;
    CDriverSettingsLibrary* m_settingsLibrary = nullptr;
    CInkChipImages* m_inkChips = nullptr;
    CMediaTable* m_mediaTable = nullptr;
};

TEST_F(StartupTest, PagesFindTheSharedObjectsAliveAtExit) {
    std::vector<std::string> uses;
    CSharedObjects::SetCurrent(nullptr);
    CPlotcareStartup startup(*app, true);
    CMainWindow::PageFactory recording = RecordingFactory(log);
    startup.SetPageFactory([&](int index, CMainWindow* owner) -> CPage* {
        if (index == 0) return new SharedObjectsUser(owner, log, uses);
        return recording(index, owner);
    });
    startup.SetBeforeRun([](CMainWindow& w) { QTimer::singleShot(0, &w, [&w] { w.close(); }); });
    ASSERT_EQ(startup.Run(), CPlotcareStartup::Outcome::Closed);
    // Left once when the window first shows the main menu, once as the
    // window goes, then destroyed.
    EXPECT_EQ(uses, (std::vector<std::string>{"left: used", "left: used", "destroyed: used"}));
    EXPECT_EQ(CSharedObjects::Current(), nullptr);
}

} // namespace
