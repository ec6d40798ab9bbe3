// The readiness wait as the pages run it: the busy dialog as the link's
// progress, the quiet wait of a page whose own dialog is up, plain sleeps.
#include "app/CPlotcareApp.h"
#include "comm/CBidiLibrary.h"
#include "comm/CPrinterLink.h"
#include "maintenance/CBusyDialog.h"
#include "maintenance/ReadyWait.h"
#include "platform/Clock.h"

#include "FakeBidi.h"
#include "LinkTestSupport.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QWidget>

namespace {

class ReadyWaitTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        lib.SetLibraryName(fake.Path());
        ASSERT_EQ(lib.Load("qz", 1), 1);
        std::vector<std::uint8_t> list;
        FakeBidi::AddChannel(list, CPrinterLink::kChannelLocal, 7);
        fake.SetChannels(list);
    }

    FakeBidi fake;
    CBidiLibrary lib;
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    CPrinterLink link{&lib};
};

} // namespace

TEST_F(ReadyWaitTest, ReadyAtOnceShowsNoDialog) {
    fake.PushStatus(StatusReplyBytes(StateField(4)));
    QWidget parent;
    EXPECT_EQ(WaitUntilReady(link, "qz", true, &parent), 1);
    EXPECT_TRUE(clock.Waits().empty());
    EXPECT_EQ(clock.ActiveTimers(), 0); // no busy dialog was made
    EXPECT_EQ(fake.OpenChannels(), 0);
}

// The dialog carries the application title, disables its owner during the
// two waits, and is gone (owner enabled, timers stopped) afterwards.
TEST_F(ReadyWaitTest, BusyDialogShowsTheWaitOverItsOwner) {
    TempDir dir;
    dir.write("Settings/Localize.ini", "00000000=Printer Care\n");
    CPlotcareApp app(QString(), QString::fromStdString(dir.path().string()));
    CPlotcareApp* previous = CPlotcareApp::Current();
    CPlotcareApp::SetCurrent(&app);

    fake.PushStatus(StatusReplyBytes(StateField(2)));
    QWidget parent;
    parent.show();
    bool disabled = false;
    QString caption;
    clock.SetOnAdvance([&](std::int64_t) {
        disabled |= !parent.isEnabled();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) caption = d->windowTitle();
    });
    EXPECT_EQ(WaitUntilReady(link, "qz", true, &parent), 0);
    CPlotcareApp::SetCurrent(previous);

    EXPECT_EQ(fake.Calls("TQGetStatus"), 3);
    EXPECT_EQ(clock.Waits(), (std::vector<int>{5000, 5000}));
    EXPECT_TRUE(disabled);
    EXPECT_EQ(caption, "Printer Care");
    EXPECT_TRUE(parent.isEnabled());
    EXPECT_EQ(clock.ActiveTimers(), 0);
    EXPECT_EQ(fake.OpenChannels(), 0);
}

// The dialog's own 15 s time-out does not end the wait.
TEST_F(ReadyWaitTest, BusyDialogTimeOutDoesNotCancelTheWait) {
    QWidget owner;
    CBusyDialog dialog(QStringLiteral("t"), &owner);
    dialog.ReadyWaitBegin("qz", 10000);
    ASSERT_NE(dialog.Window(), nullptr);
    clock.Advance(CBusyDialog::kReadyWaitTimeoutMs);
    EXPECT_FALSE(dialog.ReadyWaitPoll(15000));
    EXPECT_EQ(dialog.State(), CBusyDialog::kTimedOut);
    dialog.ReadyWaitEnd(false);
    EXPECT_EQ(dialog.Window(), nullptr);
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(ReadyWaitTest, WithoutTheDialogADisabledParentKeepsGettingItsMessages) {
    fake.PushStatus(StatusReplyBytes(StateField(2)));
    QWidget parent;
    parent.setEnabled(false);
    EXPECT_EQ(WaitUntilReady(link, "qz", false, &parent), 0);
    EXPECT_EQ(clock.Waits(), (std::vector<int>{5000, 5000}));
    EXPECT_TRUE(clock.Sleeps().empty());

    // An enabled parent, or none: plain sleeps.
    for (QWidget* p : {&parent, static_cast<QWidget*>(nullptr)}) {
        parent.setEnabled(true);
        CPrinterLink fresh(&lib);
        const auto sleeps = clock.Sleeps().size();
        EXPECT_EQ(WaitUntilReady(fresh, "qz", false, p), 0);
        EXPECT_EQ(clock.Sleeps().size(), sleeps + 2);
        EXPECT_EQ(clock.Waits().size(), 2u);
    }
}
