#pragma once

// The test's handle on the fake driver-settings library (fake/FakeKrset.cpp):
// keeps the module loaded for the whole test, so its script survives the
// binding's Load/Unload, and forwards to its scripting functions.
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <vector>

class FakeKrset {
public:
    // Where the binding finds the fake: a driver file in its folder.
    static std::string DriverPath() { return std::string(FAKE_KRSET_DIR) + "/driver"; }

    FakeKrset() {
        m_handle =
            dlopen((std::string(FAKE_KRSET_DIR) + "/libkrset32.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) std::abort();
        Fn<void()>("FakeKrReset")();
    }
    ~FakeKrset() { dlclose(m_handle); }
    FakeKrset(const FakeKrset&) = delete;
    FakeKrset& operator=(const FakeKrset&) = delete;

    // 256 gives driver kind 1, 7 kind 2, 4 kind 3.
    void SetColorMode(int code) { Fn<void(int)>("FakeKrSetColorMode")(code); }
    void SetItem30(int first, int second) { Fn<void(int, int)>("FakeKrSetItem30")(first, second); }
    void SetFlags(int item, std::uint32_t flags) {
        Fn<void(int, std::uint32_t)>("FakeKrSetFlags")(item, flags);
    }
    std::uint32_t Flags(int item) { return Fn<std::uint32_t(int)>("FakeKrFlags")(item); }
    void SetPaper(const std::vector<std::uint8_t>& twelve) {
        Fn<void(const std::uint8_t*)>("FakeKrSetPaper")(twelve.data());
    }
    // Item 0: KRDM_Open. The call fails with `result` after `skip` successful ones.
    void Fail(int item, bool write, int result, int skip = 0) {
        Fn<void(int, int, int, int)>("FakeKrFail")(item, write ? 1 : 0, result, skip);
    }
    int OpenHandles() { return Fn<int()>("FakeKrOpenHandles")(); }

    struct Write {
        int item;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Write> Writes() {
        std::vector<Write> all;
        const int n = Fn<int()>("FakeKrWriteCount")();
        for (int i = 0; i < n; ++i) {
            std::vector<std::uint8_t> bytes(64);
            int length = 0;
            const int item = Fn<int(int, std::uint8_t*, int, int*)>("FakeKrWriteAt")(
                i, bytes.data(), 64, &length);
            bytes.resize(static_cast<std::size_t>(length));
            all.push_back({item, bytes});
        }
        return all;
    }
    // The records written to one item, in order.
    std::vector<std::vector<std::uint8_t>> WritesOf(int item) {
        std::vector<std::vector<std::uint8_t>> out;
        for (const Write& w : Writes())
            if (w.item == item) out.push_back(w.bytes);
        return out;
    }

private:
    template <typename F> F* Fn(const char* name) {
        void* p = dlsym(m_handle, name);
        if (!p) std::abort();
        return reinterpret_cast<F*>(p);
    }
    void* m_handle;
};
