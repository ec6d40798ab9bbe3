#pragma once

#include "comm/ReadyWaitProgress.h"

#include <QImage>
#include <QPointer>
#include <QString>

class QDialog;
class QPushButton;
class QWidget;
class Clock;

// The small modeless window shown while the program waits for the printer:
// caption, a fixed text line, a two-frame animation and an optional Cancel.
// It disables its owner while it is up. It does no work itself: the caller's
// loop calls Poll() at every pass, which dispatches pending messages and
// reports 0 running, 1 cancelled or 2 timed out. The animation and the
// time-out are timers of the program's clock, so a test clock drives them.
//
// It is also what a page hands the printer link's readiness wait: made with
// a caption and an owner, it comes up when the wait begins (15 s time-out, no
// Cancel) and goes when the wait ends.
class CBusyDialog : public ReadyWaitProgress {
public:
    static constexpr int kRunning = 0;
    static constexpr int kCancelled = 1;
    static constexpr int kTimedOut = 2;

    static constexpr int kWidth = 332;
    static constexpr int kHeight = 131;
    static constexpr int kTextLine = 10200;
    static constexpr int kTextCancel = 10250;
    static constexpr int kAnimationPeriodMs = 1000;
    // The time-out of the dialog of a readiness wait.
    static constexpr int kReadyWaitTimeoutMs = 15000;

    CBusyDialog();
    // A dialog for a readiness wait: shown with `caption` over `owner` (the
    // main window when null) while the wait lasts.
    CBusyDialog(const QString& readyWaitCaption, QWidget* readyWaitOwner);
    ~CBusyDialog() override;
    CBusyDialog(const CBusyDialog&) = delete;
    CBusyDialog& operator=(const CBusyDialog&) = delete;

    // Shows the window (owner: the given window, else the main window) and
    // starts the animation and the time-out. False when the window could not
    // be made; Poll() then reports 1.
    bool Create(const QString& caption, int timeoutMs, bool showCancel, QWidget* owner);
    // Dispatches pending messages, then returns the state.
    int Poll();
    // Enables the owner again, stops the timers and destroys the window.
    void Close();

    int State() const { return m_state; }
    int FrameIndex() const { return m_frame; }
    // The window while it is up (null otherwise).
    QDialog* Window() const;

    // ReadyWaitProgress: Create, Poll and Close of the readiness wait. The
    // wait ends early only when the operator pressed a Cancel that is shown;
    // the dialog's own time-out does not end it.
    void ReadyWaitBegin(const std::string& printer, int timeoutMs) override;
    bool ReadyWaitPoll(std::int64_t elapsedMs) override;
    void ReadyWaitEnd(bool ready) override;

    // The owner used when a caller gives none: the main window, which names
    // itself here (else the active window).
    static void SetDefaultOwner(QWidget* owner);
    static QWidget* DefaultOwner();

    // The two 32 x 32 animation pictures, drawn with magenta as the
    // transparent colour and cut from one 64 x 32 strip.
    static QImage AnimationStrip();

private:
    class BusyWindow;
    friend class BusyWindow;

    void OnCancel();
    void OnWindowGone();
    void StopTimers();

    int m_state = kRunning;
    int m_frame = 0;
    QPointer<QWidget> m_owner;
    QPointer<BusyWindow> m_window;
    Clock* m_clock = nullptr;
    int m_animationTimer = 0;
    int m_timeoutTimer = 0;
    QString m_readyWaitCaption;
    QPointer<QWidget> m_readyWaitOwner;
};
