#pragma once

// What a long printer action shows while the printer works, and how it
// learns that the operator gave up or the time ran out: the busy dialog on
// a page, a progress line in plotcare-cli. The action begins it once it
// knows its caption and time-out, asks Poll() at every pass of its loop,
// and ends it when the loop is over.
class BusyIndicator {
public:
    static constexpr int kRunning = 0;
    static constexpr int kCancelled = 1;
    static constexpr int kTimedOut = 2;

    virtual ~BusyIndicator() = default;

    // `captionText` is a text id. False when nothing could be shown; Poll()
    // then reports kCancelled, so the caller's loop ends at once.
    virtual bool Begin(int captionText, int timeoutMs, bool cancellable) = 0;
    // Handles what is pending (window messages, Ctrl-C, the time-out), then
    // returns the state.
    virtual int Poll() = 0;
    // The state as last known, without handling anything; cheap enough for
    // a clock wait's stop test.
    virtual int State() const = 0;
    virtual void End() = 0;
};
