#pragma once

#include <cstdint>
#include <string>

// What a readiness wait (CPrinterLink::WaitUntilReady) shows while it waits,
// and how it learns that it is to stop early. The link knows no windows and
// no terminals: a page hands it its busy dialog, the command-line tool a
// progress line on standard error.
//
// The link calls ReadyWaitBegin once, when the first status read did not say
// "ready", and ReadyWaitPoll once right after it; then ReadyWaitPoll again
// and again while it waits between status reads (each time after the clock
// dispatched pending messages and timers); and ReadyWaitEnd once when the
// wait is over, before it closes its channel. Without a progress object the
// link sleeps through its waits.
class ReadyWaitProgress {
public:
    virtual ~ReadyWaitProgress() = default;

    // The wait for `printer` (its spooler name) begins; it ends after at
    // most `timeoutMs`, ready or not.
    virtual void ReadyWaitBegin(const std::string& printer, int timeoutMs) = 0;
    // The wait goes on, `elapsedMs` after it began. True ends it at once
    // (the operator cancelled); the printer then counts as not ready.
    virtual bool ReadyWaitPoll(std::int64_t elapsedMs) = 0;
    // The wait is over; `ready` tells whether the printer reported ready.
    virtual void ReadyWaitEnd(bool ready) = 0;
};
