#pragma once

#include "FakeKrset.h"
#include "RecordingSpooler.h"
#include "ScopedEnv.h"
#include "TestFiles.h"
#include "app/CPlotcareApp.h"
#include "app/CSharedObjects.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"
#include "maintenance/MediaDriver.h"
#include "platform/Clock.h"
#include "platform/FileDialogs.h"
#include "platform/MessageRecorder.h"
#include "sampleprint/CSampleDetailDialog.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

QApplication& EnsureApp();

// The driver's media list and kind as the media type dialog reads them.
struct TestMediaDriver final : MediaDriver {
    int kind = 1;
    MediaTypeList::DriverMedia media;
    int DriverKind() override { return kind; }
    MediaTypeList::DriverMedia Media() override { return media; }
    int ApplyMedia(std::uint32_t) override { return -1; }
};

// An application with the shipped Settings folder, its settings in a
// temporary folder, the fake driver-settings library for the selected
// printer, the spooler double, a fake clock, a message recorder and scripted
// file dialogs. Sample Print's sheets are recorded instead of printed; the
// standard image is a valid (sparse) bitmap.
class DetailDialogTest : public ::testing::Test {
protected:
    static constexpr const char* kPrinter = "CorvanNet";

    void SetUp() override;
    void TearDown() override;

    // The owner window the dialogs open over.
    QWidget* Owner() { return m_owner.get(); }
    std::string Text(int id) const { return m_app->GetText(id).toStdString(); }
    // "name=value," as the sheets' labels read.
    std::string Label(int nameText, const std::string& value) const {
        return Text(nameText) + "=" + value + ",";
    }
    // Shows the dialog over the owner and makes it the active window.
    void Open(QDialog& dialog);
    // The highlighted label of each sheet printed.
    std::vector<std::string> Titles() const;
    // Clicks a check box or radio button on its indicator (a click beside
    // its text does not count).
    static void ClickBox(QWidget* box);
    // The focusable controls in the order Tab visits them, from the first.
    static std::vector<QWidget*> TabChain(QDialog& dialog);
    // A valid bitmap of the accepted size at `name` in the temporary folder.
    std::string WriteSampleImage(const std::string& name);

    TempDir m_dir;
    ScopedEnv m_env;
    std::unique_ptr<CPlotcareApp> m_app;
    CSharedObjects m_shared;
    FakeClock m_clock;
    FakeClock::Scope m_clockScope{m_clock};
    RecordingSpooler m_spooler;
    MessageRecorder m_messages;
    ScriptedFileDialogs m_fileDialogs;
    FakeKrset m_fake;
    TestMediaDriver m_driver;
    std::unique_ptr<QWidget> m_owner;
    std::string m_image;
    int m_ready = 1;
    std::vector<SampleSheetRequest> m_sheets;
    // Runs inside the sheet printer, while the procedure is busy.
    std::function<void()> m_duringSheet;

    CustomPaperSlot m_slot = [] {
        CustomPaperSlot s;
        s.Registered = 1;
        s.MediaId = 101;
        s.Paperthick = 4;
        s.Platen = 2;
        s.Forward = -12;
        s.Drytime = 20;
        s.PaperCut = 1;
        s.Roller = 1;
        s.Paperdraw = -1;
        return s;
    }();
    CustomFileRecord m_file = [] {
        CustomFileRecord f;
        f.MediaId = 106; // the table offers modes 2, 3 and 4 for it
        f.Paperthick = 3;
        f.Platen = 1;
        f.Mode = 2;
        f.Density = 7;
        f.Forward = 5;
        f.Drytime = 10;
        f.PaperCut = 0;
        f.Roller = 2;
        f.Paperdraw = 0;
        return f;
    }();
};
