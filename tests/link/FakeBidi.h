#pragma once

// The test's handle on the fake bidirectional library: loads the module
// (kept loaded for the whole test, so its script survives the binding's
// Load/Unload) and forwards to its scripting functions.
#include <dlfcn.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

class FakeBidi {
public:
    explicit FakeBidi(const std::string& path = FAKE_TQAPI_PATH) : m_path(path) {
        m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) std::abort();
        Reset();
    }
    ~FakeBidi() { dlclose(m_handle); }
    FakeBidi(const FakeBidi&) = delete;
    FakeBidi& operator=(const FakeBidi&) = delete;

    const std::string& Path() const { return m_path; }

    // A status reply as the library gives it: header, CR LF, 16-bit
    // little-endian length, fields.
    static std::vector<std::uint8_t> StatusRecord(const std::vector<std::uint8_t>& fields) {
        const std::string header = "@BDC ST2\r\n";
        std::vector<std::uint8_t> r(header.begin(), header.end());
        r.push_back(static_cast<std::uint8_t>(fields.size() & 0xFF));
        r.push_back(static_cast<std::uint8_t>(fields.size() >> 8));
        r.insert(r.end(), fields.begin(), fields.end());
        return r;
    }

    void Reset() { Fn<void()>("FakeTqReset")(); }
    void SetInitResult(int r) { Fn<void(int)>("FakeTqSetInitResult")(r); }
    void SetDeviceId(const std::string& text, int result = 0) {
        Fn<void(const char*, int)>("FakeTqSetDeviceId")(text.c_str(), result);
    }
    void SetChannels(const std::vector<std::uint8_t>& list, int first = -4, int second = 1000) {
        Fn<void(const std::uint8_t*, int, int, int)>("FakeTqSetChannels")(list.data(), static_cast<int>(list.size()),
                                                                          first, second);
    }
    void SetOpenResult(int r) { Fn<void(int)>("FakeTqSetOpenResult")(r); }
    void PushStatus(const std::vector<std::uint8_t>& bytes, int result = 0) {
        Fn<void(const std::uint8_t*, int, int)>("FakeTqPushStatus")(bytes.data(), static_cast<int>(bytes.size()),
                                                                    result);
    }
    void PushReceive(const std::string& bytes, int result = -1000) {
        Fn<void(const std::uint8_t*, int, int)>("FakeTqPushReceive")(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size()),
            result == -1000 ? static_cast<int>(bytes.size()) : result);
    }
    void SetReceiveDefault(int r) { Fn<void(int)>("FakeTqSetReceiveDefault")(r); }
    int Calls(const char* entry) { return Fn<int(const char*)>("FakeTqCalls")(entry); }
    std::vector<std::uint8_t> LastSent() {
        std::vector<std::uint8_t> out(512);
        const int n = Fn<int(std::uint8_t*, int)>("FakeTqLastSent")(out.data(), 512);
        out.resize(static_cast<std::size_t>(n));
        return out;
    }
    // Every TQSend so far, in order.
    std::vector<std::vector<std::uint8_t>> Sent() {
        std::vector<std::vector<std::uint8_t>> all;
        for (int i = 0;; ++i) {
            std::vector<std::uint8_t> out(512);
            const int n = Fn<int(int, std::uint8_t*, int)>("FakeTqSentAt")(i, out.data(), 512);
            if (n < 0) break;
            out.resize(static_cast<std::size_t>(std::min(n, 512)));
            all.push_back(std::move(out));
        }
        return all;
    }
    int LastOpenType() { return Fn<int()>("FakeTqLastOpenType")(); }
    int OpenChannels() { return Fn<int()>("FakeTqOpenChannels")(); }
    int LastReceiveSize() { return Fn<int()>("FakeTqLastReceiveSize")(); }
    // Runs at the end of every TQReceive with its time-out and result.
    void SetReceiveHook(void (*hook)(int timeoutMs, int result)) {
        Fn<void(void (*)(int, int))>("FakeTqSetReceiveHook")(hook);
    }
    // The time-out of every TQReceive so far.
    std::vector<int> ReceiveTimeouts() {
        std::vector<int> out(4096);
        const int n = Fn<int(int*, int)>("FakeTqReceiveTimeouts")(out.data(), static_cast<int>(out.size()));
        out.resize(static_cast<std::size_t>(std::min<int>(n, 4096)));
        return out;
    }
    std::string LastPrinter() { return Fn<const char*()>("FakeTqLastPrinter")(); }

    // Channel list entry: type little-endian, flag byte, three unused bytes.
    static void AddChannel(std::vector<std::uint8_t>& list, std::uint32_t type, std::uint8_t flags) {
        for (int i = 0; i < 4; ++i) list.push_back(static_cast<std::uint8_t>(type >> (8 * i)));
        list.push_back(flags);
        list.insert(list.end(), 3, 0);
    }

private:
    template <typename Sig>
    Sig* Fn(const char* name) {
        auto* p = reinterpret_cast<Sig*>(dlsym(m_handle, name));
        if (!p) std::abort();
        return p;
    }

    std::string m_path;
    void* m_handle = nullptr;
};
