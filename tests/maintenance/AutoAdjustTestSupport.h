#pragma once

// Stand-ins of the automatic adjustment's tests: a driver that answers from
// a table, and a busy indicator that records what it was asked to show.
#include "maintenance/BusyIndicator.h"
#include "maintenance/MediaDriver.h"
#include "platform/Clock.h"

#include <map>
#include <string>
#include <vector>

// The shared test media table. Rows: id, file id, sub-id, code, variant,
// kind-2 exclusion, auto-adjust exclusion, order, thickness, then Mw, Hres,
// Vres of modes 1..4.
inline const char* const kAutoAdjustMedia =
    "MEDIA_NUM=6\n"
    "MEDIA01=101,1,1,7,0,0,0,10,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA02=101,1,1,71,1,0,0,10,3,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA03=102,1,2,9,1,1,0,20,8,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA04=103,1,3,11,0,0,1,30,2,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA05=104,1,4,12,0,0,0,40,-1,2,360,720,4,720,720,8,1440,720,16,1440,1440\n"
    "MEDIA06=201,-1,0,8,0,0,0,50,1,2,360,720,4,720,720,8,1440,720,-1,-1,-1\n";

// Driver media in driver order: 201 is not for custom paper (left out), 103
// is excluded from the automatic adjustment, 102 from driver kind 2, 104
// has no thickness of its own.
class TableDriver final : public MediaDriver {
public:
    int kind = 1;
    MediaTypeList::DriverMedia media{
        {201, "Banner"}, {101, "Plain"}, {102, "Coated"}, {103, "Film"}, {104, "Canvas"}};
    std::map<std::uint32_t, int> thickness{{101, 3}, {102, 8}, {103, 2}};
    std::vector<std::uint32_t> applied;
    int kindReads = 0;
    int mediaReads = 0;

    int DriverKind() override {
        ++kindReads;
        return kind;
    }
    MediaTypeList::DriverMedia Media() override {
        ++mediaReads;
        return media;
    }
    int ApplyMedia(std::uint32_t id) override {
        applied.push_back(id);
        const auto it = thickness.find(id);
        return it == thickness.end() ? -1 : it->second;
    }
};

// Records Begin/End; its time-out is a clock timer as the busy dialog's is,
// and a test may cancel at a given moment after Begin.
class RecordingBusy final : public BusyIndicator {
public:
    struct Shown {
        int caption;
        int timeoutMs;
        bool cancellable;
    };
    std::vector<Shown> shown;
    int ends = 0;
    int polls = 0;
    long long cancelAfterMs = -1;

    bool Begin(int caption, int timeoutMs, bool cancellable) override {
        shown.push_back({caption, timeoutMs, cancellable});
        m_state = kRunning;
        Clock& clock = Clock::Current();
        m_timeout = clock.StartTimer(timeoutMs, [this] { m_state = kTimedOut; });
        if (cancelAfterMs >= 0)
            m_cancel = clock.StartTimer(static_cast<int>(cancelAfterMs), [this] {
                if (m_state == kRunning) m_state = kCancelled;
            });
        return true;
    }
    int Poll() override {
        ++polls;
        Clock::Current().DispatchPending();
        return m_state;
    }
    int State() const override { return m_state; }
    void End() override {
        ++ends;
        Clock::Current().StopTimer(m_timeout);
        if (m_cancel) Clock::Current().StopTimer(m_cancel);
        m_timeout = m_cancel = 0;
    }

private:
    int m_state = kRunning;
    int m_timeout = 0;
    int m_cancel = 0;
};

// Reply texts of the two queries of an alignment.
inline std::string SNReply(int level) { return "SN:01" + std::to_string(level) + ";"; }
// The EX read reply carrying the platen gap level `v` at its place.
inline std::string EXReply(int v) {
    std::string hex(98 * 2, '0');
    const char digits[] = "0123456789ABCDEF";
    hex[38] = digits[(v >> 4) & 0xF];
    hex[39] = digits[v & 0xF];
    return "EX:0000001B" + hex + ";";
}
