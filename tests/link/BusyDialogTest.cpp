#include "maintenance/CBusyDialog.h"
#include "platform/Clock.h"

#include "LinkTestSupport.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QPushButton>
#include <QTest>

namespace {

class BusyDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner.resize(640, 480);
        owner.show();
    }

    QPushButton* Cancel() { return dialog.Window()->findChild<QPushButton*>(); }

    QApplication& app = EnsureApp(); // before any widget
    FakeClock clock{0};
    FakeClock::Scope scope{clock};
    QWidget owner;
    CBusyDialog dialog;
};

} // namespace

TEST_F(BusyDialogTest, EscapeCancelsOnlyWhenCancelIsShown) {
    ASSERT_TRUE(dialog.Create("Waiting", 60000, false, &owner));
    EXPECT_FALSE(Cancel()->isVisible());
    QTest::keyClick(dialog.Window(), Qt::Key_Escape);
    dialog.Window()->close(); // the window's close box is a Cancel too
    EXPECT_EQ(dialog.Poll(), CBusyDialog::kRunning);
    EXPECT_TRUE(dialog.Window()->isVisible());
    dialog.Close();

    ASSERT_TRUE(dialog.Create("Waiting", 60000, true, &owner));
    EXPECT_TRUE(Cancel()->isVisible());
    EXPECT_EQ(dialog.Window()->windowTitle(), "Waiting");
    QTest::keyClick(dialog.Window(), Qt::Key_Escape);
    EXPECT_EQ(dialog.Poll(), CBusyDialog::kCancelled);
}

TEST_F(BusyDialogTest, CancelButtonReportsCancelledAtTheNextPoll) {
    ASSERT_TRUE(dialog.Create("Waiting", 60000, true, &owner));
    EXPECT_EQ(dialog.Poll(), CBusyDialog::kRunning);
    QTest::mouseClick(Cancel(), Qt::LeftButton);
    EXPECT_EQ(dialog.Poll(), CBusyDialog::kCancelled);
}

TEST_F(BusyDialogTest, TimeOutIsReportedAfterItsTimeAndSticks) {
    ASSERT_TRUE(dialog.Create("Waiting", 15000, false, &owner));
    clock.Advance(14999);
    EXPECT_EQ(dialog.Poll(), CBusyDialog::kRunning);
    clock.Advance(1);
    EXPECT_EQ(dialog.Poll(), CBusyDialog::kTimedOut);
    clock.Wait(40000);
    EXPECT_EQ(dialog.Poll(), CBusyDialog::kTimedOut);
    dialog.Close();
    EXPECT_TRUE(owner.isEnabled());
}

TEST_F(BusyDialogTest, OwnerIsDisabledWhileUpAndEnabledHoweverItEnds) {
    ASSERT_TRUE(dialog.Create("Waiting", 15000, true, &owner));
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(dialog.Window()->isEnabled()); // its Cancel still works
    EXPECT_EQ(dialog.Window()->size(), QSize(CBusyDialog::kWidth, CBusyDialog::kHeight));
    dialog.Close();
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(dialog.Window(), nullptr);
    EXPECT_EQ(clock.ActiveTimers(), 0);

    // Destroyed by another road.
    ASSERT_TRUE(dialog.Create("Waiting", 15000, false, &owner));
    EXPECT_FALSE(owner.isEnabled());
    delete dialog.Window();
    EXPECT_TRUE(owner.isEnabled());

    // The default owner when none is given.
    CBusyDialog::SetDefaultOwner(&owner);
    CBusyDialog other;
    ASSERT_TRUE(other.Create("Waiting", 15000, false, nullptr));
    EXPECT_FALSE(owner.isEnabled());
    other.Close();
    EXPECT_TRUE(owner.isEnabled());
    CBusyDialog::SetDefaultOwner(nullptr);
}

TEST_F(BusyDialogTest, AnimationFlipsEverySecondBetweenTwoDifferentPictures) {
    ASSERT_TRUE(dialog.Create("Waiting", 60000, false, &owner));
    EXPECT_EQ(dialog.FrameIndex(), 0);
    clock.Wait(1000);
    EXPECT_EQ(dialog.FrameIndex(), 1);
    clock.Wait(1000);
    EXPECT_EQ(dialog.FrameIndex(), 0);

    const QImage strip = CBusyDialog::AnimationStrip();
    EXPECT_EQ(strip.size(), QSize(64, 32));
    EXPECT_NE(strip.copy(0, 0, 32, 32), strip.copy(32, 0, 32, 32));
    EXPECT_EQ(strip.pixelColor(0, 0), QColor(255, 0, 255)); // the transparent colour
}
