// A scriptable stand-in for the printer maker's bidirectional library, for
// the cases the virtual printer cannot produce on demand. The test drives it
// through the FakeTq* functions and reads back what plotcare passed.
#include "tqapi.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Scripted {
    std::vector<std::uint8_t> bytes;
    int result;
};

struct State {
    int initResult = 0;
    int releaseResult = 0;
    std::string deviceId = "MFG:ORVEX;CMD:REMOTE;MDL:Fake;DES:ORVEX Corvan Max 7100;";
    int deviceIdResult = 0;
    std::vector<std::uint8_t> channels;
    int channelsFirstResult = TQ_BUFFER_TOO_SMALL;
    int channelsSecondResult = 1000; // 1000: the entry count
    int openResult = 7;
    std::deque<Scripted> status;   // the last one repeats
    std::deque<Scripted> receives; // then receiveDefault
    int receiveDefault = TQ_TIMEOUT;
    std::map<std::string, int> calls;
    std::vector<std::uint8_t> lastSent;
    std::vector<std::vector<std::uint8_t>> sent; // every TQSend, in order
    int lastOpenType = 0;
    int openChannels = 0;
    int lastReceiveSize = 0;
    std::vector<int> receiveTimeouts;
    void (*receiveHook)(int timeoutMs, int result) = nullptr;
    std::string lastPrinter;
};

State g;

int Copy(const Scripted& s, void* buffer, std::int32_t* size) {
    if (s.result <= 0) return s.result;
    const int room = size ? *size : 0;
    const int n = std::min<int>(static_cast<int>(s.bytes.size()), room);
    if (buffer && n > 0) std::memcpy(buffer, s.bytes.data(), static_cast<std::size_t>(n));
    if (size) *size = n;
    return s.result;
}

} // namespace

FAKE_EXPORT void FakeTqReset() { g = State(); }
FAKE_EXPORT void FakeTqSetInitResult(int r) { g.initResult = r; }
FAKE_EXPORT void FakeTqSetReleaseResult(int r) { g.releaseResult = r; }
FAKE_EXPORT void FakeTqSetDeviceId(const char* text, int result) {
    g.deviceId = text;
    g.deviceIdResult = result;
}
FAKE_EXPORT void FakeTqSetChannels(const std::uint8_t* list, int size, int firstResult, int secondResult) {
    g.channels.assign(list, list + size);
    g.channelsFirstResult = firstResult;
    g.channelsSecondResult = secondResult;
}
FAKE_EXPORT void FakeTqSetOpenResult(int r) { g.openResult = r; }
FAKE_EXPORT void FakeTqPushStatus(const std::uint8_t* data, int size, int result) {
    g.status.push_back({std::vector<std::uint8_t>(data, data + size), result});
}
FAKE_EXPORT void FakeTqPushReceive(const std::uint8_t* data, int size, int result) {
    g.receives.push_back({std::vector<std::uint8_t>(data, data + size), result});
}
FAKE_EXPORT void FakeTqSetReceiveDefault(int r) { g.receiveDefault = r; }
FAKE_EXPORT int FakeTqCalls(const char* entry) { return g.calls[entry]; }
FAKE_EXPORT int FakeTqLastSent(std::uint8_t* out, int room) {
    const int n = std::min<int>(room, static_cast<int>(g.lastSent.size()));
    if (n > 0) std::memcpy(out, g.lastSent.data(), static_cast<std::size_t>(n));
    return static_cast<int>(g.lastSent.size());
}
// The bytes of the i-th TQSend (from 0); -1 when there were fewer.
FAKE_EXPORT int FakeTqSentAt(int i, std::uint8_t* out, int room) {
    if (i < 0 || i >= static_cast<int>(g.sent.size())) return -1;
    const auto& s = g.sent[static_cast<std::size_t>(i)];
    const int n = std::min<int>(room, static_cast<int>(s.size()));
    if (n > 0) std::memcpy(out, s.data(), static_cast<std::size_t>(n));
    return static_cast<int>(s.size());
}
FAKE_EXPORT int FakeTqLastOpenType() { return g.lastOpenType; }
FAKE_EXPORT int FakeTqOpenChannels() { return g.openChannels; }
FAKE_EXPORT int FakeTqLastReceiveSize() { return g.lastReceiveSize; }
// Called at the end of every TQReceive with its time-out and result (a test
// moves its clock on here, as a library that waits would take time).
FAKE_EXPORT void FakeTqSetReceiveHook(void (*hook)(int, int)) { g.receiveHook = hook; }
FAKE_EXPORT int FakeTqReceiveTimeouts(int* out, int room) {
    const int n = std::min<int>(room, static_cast<int>(g.receiveTimeouts.size()));
    std::copy(g.receiveTimeouts.begin(), g.receiveTimeouts.begin() + n, out);
    return static_cast<int>(g.receiveTimeouts.size());
}
FAKE_EXPORT const char* FakeTqLastPrinter() { return g.lastPrinter.c_str(); }

FAKE_EXPORT int32_t TQInitialize(void) {
    ++g.calls["TQInitialize"];
    return g.initResult;
}

FAKE_EXPORT int32_t TQRelease(void) {
    ++g.calls["TQRelease"];
    return g.releaseResult;
}

FAKE_EXPORT int32_t TQGetDeviceID(int32_t, const char* printer, char* buffer, int32_t* size) {
    ++g.calls["TQGetDeviceID"];
    g.lastPrinter = printer ? printer : "";
    if (g.deviceIdResult != 0) return g.deviceIdResult;
    // Fills the whole buffer when the text is long enough, without an end.
    const int n = std::min<int>(*size, static_cast<int>(g.deviceId.size()));
    std::memcpy(buffer, g.deviceId.data(), static_cast<std::size_t>(n));
    *size = n;
    return 0;
}

FAKE_EXPORT int32_t TQGetAvailableChannel(int32_t, const char* printer, void* list, int32_t* size) {
    ++g.calls["TQGetAvailableChannel"];
    g.lastPrinter = printer ? printer : "";
    if (!list) {
        *size = static_cast<int32_t>(g.channels.size());
        return g.channelsFirstResult;
    }
    const int n = std::min<int>(*size, static_cast<int>(g.channels.size()));
    // An empty script has no data pointer, which memcpy must not be handed.
    if (n > 0) std::memcpy(list, g.channels.data(), static_cast<std::size_t>(n));
    return g.channelsSecondResult == 1000 ? static_cast<int>(g.channels.size()) / TQ_CHANNEL_ENTRY_SIZE
                                          : g.channelsSecondResult;
}

FAKE_EXPORT int32_t TQOpenChannel(int32_t, const char* printer, int32_t type) {
    ++g.calls["TQOpenChannel"];
    g.lastPrinter = printer ? printer : "";
    g.lastOpenType = type;
    if (g.openResult > 0) ++g.openChannels;
    return g.openResult;
}

FAKE_EXPORT int32_t TQCloseChannel(int32_t) {
    ++g.calls["TQCloseChannel"];
    --g.openChannels;
    return 0;
}

FAKE_EXPORT int32_t TQSetOption(int32_t, int32_t, const void*, int32_t) {
    ++g.calls["TQSetOption"];
    return 0;
}

FAKE_EXPORT int32_t TQGetOption(int32_t, int32_t, void*, int32_t*) {
    ++g.calls["TQGetOption"];
    return 0;
}

FAKE_EXPORT int32_t TQReceiveCancel(int32_t) {
    ++g.calls["TQReceiveCancel"];
    return 0;
}

FAKE_EXPORT int32_t TQGetStatus(int32_t, void* buffer, int32_t* size) {
    ++g.calls["TQGetStatus"];
    if (g.status.empty()) return TQ_TIMEOUT;
    const Scripted s = g.status.front();
    if (g.status.size() > 1) g.status.pop_front();
    if (s.result != 0) return Copy(s, buffer, size);
    // Result 0 in the script: the bytes placed, as the library counts them.
    Copy({s.bytes, 1}, buffer, size);
    return *size;
}

FAKE_EXPORT int32_t TQSend(int32_t, const void* data, int32_t length) {
    ++g.calls["TQSend"];
    const auto* p = static_cast<const std::uint8_t*>(data);
    g.lastSent.assign(p, p + length);
    g.sent.push_back(g.lastSent);
    return length;
}

#ifndef FAKE_TQ_OMIT_RECEIVE
FAKE_EXPORT int32_t TQReceive(int32_t, void* buffer, int32_t* size, int32_t timeoutMs) {
    ++g.calls["TQReceive"];
    g.lastReceiveSize = *size;
    g.receiveTimeouts.push_back(timeoutMs);
    int result = g.receiveDefault;
    if (!g.receives.empty()) {
        const Scripted s = g.receives.front();
        g.receives.pop_front();
        result = Copy(s, buffer, size);
    }
    if (g.receiveHook) g.receiveHook(timeoutMs, result);
    return result;
}
#endif
