#pragma once

// The faults a test or the demo can switch on through the control port.
// What each does to an action in hand is told in vprinter/README.md.

namespace vprinter {

struct Faults {
    bool noReply = false;         // queries get no answer
    int lateReplyMs = 0;          // queries are answered this late
    bool garbledReply = false;    // query answers arrive corrupted
    bool truncatedStatus = false; // the status record is cut short
    bool offline = false;         // nothing answers, no job is taken
    bool neverReady = false;      // the engine hangs: state 3, work in hand stands still
    bool wrongDeviceId = false;   // DES: names another printer
    int inkLow = -1;              // this ink reports 20 %
    bool field0DLow = false;      // status field 0D reports 10
    bool errorState = false;      // state 0: the work in hand fails
    // Transport faults: how answers and raw jobs travel, not what they say.
    int splitReplyBytes = 0;         // local-channel answers come in pieces this long
    int nothingYetCount = 0;         // each answer is preceded by this many "nothing yet"
    int markerOffsetBytes = 0;       // noise in front of each reply marker
    bool staleReply = false;         // the previous query's answer comes first
    int slowRawKBps = 0;             // the raw port reads this many kB per second
    long long resetMidJobBytes = -1; // raw connections are reset after this many bytes
};

} // namespace vprinter
