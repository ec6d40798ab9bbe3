#pragma once

#include <cstdint>
#include <string>

// What the printer link and the raw-job path show while a wait of theirs
// lasts longer than a moment (a reply that is slow to come, a job the
// printer is slow to take), and how they learn that it is to end early.
// The comm layer knows no windows and no terminals: the command-line tool
// installs a progress line for the duration of a command. Without one the
// waits run to their end.
//
// A wait calls WaitBegin once it has lasted kShowAfterMs, then WaitPoll
// again and again (at most kPollMs apart) until it ends, then WaitEnd.
class CommWaitProgress {
public:
    static constexpr int kShowAfterMs = 500;
    static constexpr int kPollMs = 200;

    virtual ~CommWaitProgress() = default;

    // `what` says what is waited for ("the printer's reply", "the printer to
    // take the job"); `timeoutMs` is the most it lasts (0: no fixed end).
    virtual void WaitBegin(const std::string& what, int timeoutMs) = 0;
    // True ends the wait at once (the operator cancelled).
    virtual bool WaitPoll(std::int64_t elapsedMs) = 0;
    virtual void WaitEnd() = 0;

    // The progress of this thread's waits (nullptr: none).
    static CommWaitProgress* Current();
    static void SetCurrent(CommWaitProgress* progress);

    // Installs a progress for its lifetime.
    class Scope {
    public:
        explicit Scope(CommWaitProgress* progress) : m_previous(Current()) { SetCurrent(progress); }
        ~Scope() { SetCurrent(m_previous); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CommWaitProgress* m_previous;
    };
};

// One wait as the comm layer runs it: shows itself through the current
// progress once it has lasted a moment and asks it whether to go on.
class CommWait {
public:
    CommWait(std::string what, int timeoutMs);
    ~CommWait();
    CommWait(const CommWait&) = delete;
    CommWait& operator=(const CommWait&) = delete;

    // Whether a progress is installed (waits then go in steps of kPollMs).
    bool Shown() const { return m_progress != nullptr; }
    // Called at each step of the wait: true when the operator ended it.
    bool Cancelled();

private:
    CommWaitProgress* m_progress;
    std::string m_what;
    int m_timeoutMs;
    std::int64_t m_start;
    bool m_begun = false;
    bool m_cancelled = false;
};
