#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class CPrinterLink;
class CStatusReply;
class ReadyWaitProgress;

// The two actions of the nozzle check and head cleaning page, without their
// window: print the nozzle check pattern, and run a head cleaning once the
// status record allows it. Each press is one attempt that ends in an
// outcome; the page turns it into a message box, plotcare-cli into its exit
// code and output.
class CNozzleCleaning {
public:
    enum class Action { NozzleCheck, HeadCleaning };
    enum class Outcome {
        Sent,       // the job went out
        NotReady,   // the printer did not report ready (or the wait was ended)
        NoStatus,   // ready, but no channel or no status record right after
        InkLow,     // an ink entry at 25 % or less: no cleaning
        Field0DLow, // field 0D (maintenance tank) at 12 or less: no cleaning
        NotSent,    // the spooler did not take every byte of the job
    };

    // The message an outcome shows: a text id and whether it is a warning
    // (otherwise information).
    struct Message {
        int text;
        bool warning;
    };

    static constexpr int kTextNotReady = 901;
    static constexpr int kTextNotCompleted = 903;
    static constexpr int kTextCleaningStarted = 20900;
    static constexpr int kTextCleaningNotStarted = 20901;
    static constexpr int kTextNozzleCheckPrinting = 20902;
    static constexpr int kTextInkLow = 20903;
    static constexpr int kTextField0DLow = 20904;

    // Every message of the page, in the order review mode shows them.
    static constexpr Message kReviewMessages[] = {
        {kTextCleaningStarted, false},     {kTextCleaningNotStarted, true},
        {kTextNozzleCheckPrinting, false}, {kTextInkLow, true},
        {kTextField0DLow, true},
    };

    static constexpr std::size_t kJobRoom = 128;
    static constexpr int kNozzleCheckJobLength = 36;
    static constexpr int kHeadCleaningJobLength = 25;
    // The head cleaning command's value: a normal cleaning of all heads.
    static constexpr std::uint8_t kCleaningValue = 0x10;
    // The printer takes a moment to start printing the pattern; the page
    // stays blocked meanwhile.
    static constexpr int kPauseAfterNozzleCheckMs = 3000;

    // Enter remote mode, print the pattern ("NC" off), print the firmware
    // version beside it ("VI"), leave remote mode, end the job: 36 bytes.
    static int BuildNozzleCheckJob(std::uint8_t* out, std::size_t room);
    // Enter remote mode, "CH" 00 10, leave remote mode; no trailer: 25 bytes.
    static int BuildHeadCleaningJob(std::uint8_t* out, std::size_t room);

    // Whether a status record lets a cleaning go out: Sent when it does,
    // else InkLow (checked first) or Field0DLow. An empty record passes.
    static Outcome CheckStatus(const CStatusReply& status);

    static Message MessageFor(Action action, Outcome outcome);

    // `checks` false (review mode): no readiness wait and no status read;
    // the jobs go out at once.
    CNozzleCleaning(CPrinterLink& link, std::string printer, bool checks);

    // Called with true once the action starts its blocking part (building
    // and sending the job, the pause after it) and with false when that part
    // is over: the page shows the wait cursor meanwhile.
    using BlockingFn = std::function<void(bool blocking)>;

    // Waits for readiness (through `progress`, may be null), sends the
    // nozzle check job and pauses 3000 ms whatever the send gave.
    Outcome NozzleCheck(ReadyWaitProgress* progress, const BlockingFn& blocking = {});
    // Waits for readiness, reads one status record, refuses on low ink or
    // field 0D, sends the cleaning job.
    Outcome HeadCleaning(ReadyWaitProgress* progress);

    // The job bytes of the last action that built one (for reports).
    int LastJobLength() const { return m_lastJobLength; }

private:
    bool Ready(ReadyWaitProgress* progress);

    CPrinterLink& m_link;
    std::string m_printer;
    bool m_checks;
    int m_lastJobLength = 0;
};
