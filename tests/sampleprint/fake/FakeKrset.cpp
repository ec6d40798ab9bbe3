// A scriptable stand-in for the printer maker's driver-settings library:
// the items the utility reads and writes are kept in memory, any item's
// read or write can be told to fail (after some successful calls), and
// every write is recorded. The test drives it through the FakeKr* functions.
#include "krset32.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#define KRDM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Failure {
    int result;
    int skip; // successful calls before it fails
};

struct Write {
    int item;
    std::vector<std::uint8_t> bytes; // the record as passed (4 bytes LE for the value items)
};

struct State {
    int openResult = KRDM_OK;
    std::uint16_t colorMode = 256;
    std::uint16_t item30[4] = {10000, 1600, 0x0100, 0};
    std::uint16_t media = 101;
    std::uint16_t variant = 1;
    std::uint32_t flags204 = 0x07;
    std::uint32_t flags205 = 0x01;
    std::uint8_t paper[12] = {};
    std::map<std::pair<int, bool>, Failure> failures; // (item, write)
    std::vector<Write> writes;
    int openHandles = 0;
};

State g;

std::size_t RecordSize(int item) {
    switch (item) {
    case KRDM_ITEM_PAPER_SIZE:
        return 8;
    case KRDM_ITEM_MEDIA:
        return 8;
    case KRDM_ITEM_OUTPUT_FLAGS:
    case KRDM_ITEM_PRINT_FLAGS:
        return 12;
    case KRDM_ITEM_MEDIA_QUALITY:
        return 20;
    case KRDM_ITEM_INK_LAYOUT:
        return 4 + KRDM_INK_LAYOUT_SIZE;
    case KRDM_ITEM_PAPER_ADJUST:
        return KRDM_PAPER_ADJUST_SIZE;
    default:
        return 0;
    }
}

// The scripted result of this call, or 0 to go on.
int Scripted(int item, bool write) {
    auto it = g.failures.find({item, write});
    if (it == g.failures.end()) return 0;
    if (it->second.skip > 0) {
        --it->second.skip;
        return 0;
    }
    return it->second.result;
}

void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v & 0xFF);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}
std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

// --- scripting ---
KRDM_EXPORT void FakeKrReset() {
    g = State();
}
KRDM_EXPORT void FakeKrSetOpenResult(int r) {
    g.openResult = r;
}
KRDM_EXPORT void FakeKrSetColorMode(int code) {
    g.colorMode = static_cast<std::uint16_t>(code);
}
KRDM_EXPORT void FakeKrSetItem30(int first, int second) {
    g.item30[0] = static_cast<std::uint16_t>(first);
    g.item30[1] = static_cast<std::uint16_t>(second);
}
KRDM_EXPORT void FakeKrSetFlags(int item, std::uint32_t flags) {
    (item == KRDM_ITEM_OUTPUT_FLAGS ? g.flags204 : g.flags205) = flags;
}
KRDM_EXPORT std::uint32_t FakeKrFlags(int item) {
    return item == KRDM_ITEM_OUTPUT_FLAGS ? g.flags204 : g.flags205;
}
KRDM_EXPORT void FakeKrSetPaper(const std::uint8_t* bytes) {
    std::memcpy(g.paper, bytes, sizeof g.paper);
}
// Item 0 stands for KRDM_Open.
KRDM_EXPORT void FakeKrFail(int item, int write, int result, int skip) {
    g.failures[{item, write != 0}] = Failure{result, skip};
}
KRDM_EXPORT int FakeKrWriteCount() {
    return static_cast<int>(g.writes.size());
}
// The item of write `index` (or -1), its record copied into out.
KRDM_EXPORT int FakeKrWriteAt(int index, std::uint8_t* out, int room, int* length) {
    if (index < 0 || index >= static_cast<int>(g.writes.size())) return -1;
    const Write& w = g.writes[static_cast<std::size_t>(index)];
    const int n = std::min(room, static_cast<int>(w.bytes.size()));
    std::memcpy(out, w.bytes.data(), static_cast<std::size_t>(n));
    *length = n;
    return w.item;
}
KRDM_EXPORT int FakeKrOpenHandles() {
    return g.openHandles;
}

// --- the library ---
KRDM_EXPORT int32_t KRDM_Open(const char*, const char*, int32_t, const void*, KRDM_HANDLE* handle) {
    if (const int r = Scripted(0, false)) return r;
    if (g.openResult != KRDM_OK) return g.openResult;
    *handle = 7;
    ++g.openHandles;
    return KRDM_OK;
}
KRDM_EXPORT int32_t KRDM_GetDriverInfo(KRDM_HANDLE, char* buffer, int32_t size) {
    const char text[] = "Fake driver 1.0";
    if (!buffer || size < static_cast<int32_t>(sizeof text)) return KRDM_ERROR;
    std::memcpy(buffer, text, sizeof text);
    return static_cast<int32_t>(sizeof text - 1);
}
KRDM_EXPORT int32_t KRDM_GetCommandLevel(KRDM_HANDLE) {
    return 1;
}
KRDM_EXPORT int32_t KRDM_GetRange(KRDM_HANDLE, int32_t, KRDM_RANGE*) {
    return KRDM_BAD_ITEM;
}

KRDM_EXPORT int32_t KRDM_GetData(KRDM_HANDLE handle, int32_t item, void* record) {
    if (handle != 7) return KRDM_BAD_HANDLE;
    if (const int r = Scripted(item, false)) return r;
    auto* p = static_cast<std::uint8_t*>(record);
    switch (item) {
    case KRDM_ITEM_COLOR_MODE:
        PutU16(p, g.colorMode);
        return KRDM_OK;
    case KRDM_ITEM_PAPER_SIZE:
        for (int i = 0; i < 4; ++i)
            PutU16(p + 2 * i, g.item30[i]);
        return KRDM_OK;
    case KRDM_ITEM_MEDIA:
        PutU16(p, 1);
        PutU16(p + 2, g.variant);
        PutU16(p + 4, g.media);
        PutU16(p + 6, 2);
        return KRDM_OK;
    case KRDM_ITEM_OUTPUT_FLAGS:
        PutU32(p + 8, g.flags204);
        return KRDM_OK;
    case KRDM_ITEM_PRINT_FLAGS:
        PutU32(p + 8, g.flags205);
        return KRDM_OK;
    case KRDM_ITEM_PAPER_ADJUST:
        std::memcpy(p + 8, g.paper, sizeof g.paper);
        return KRDM_OK;
    default:
        return KRDM_BAD_ITEM;
    }
}

KRDM_EXPORT int32_t KRDM_SetData(KRDM_HANDLE handle, int32_t item, void* record) {
    if (handle != 7) return KRDM_BAD_HANDLE;
    if (const int r = Scripted(item, true)) return r;
    Write w{item, {}};
    if (item == KRDM_ITEM_SETTINGS_SOURCE || item == KRDM_ITEM_COLOR_MODE) {
        const auto value = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(record));
        w.bytes.resize(4);
        PutU32(w.bytes.data(), value);
        if (item == KRDM_ITEM_COLOR_MODE) g.colorMode = static_cast<std::uint16_t>(value);
    } else {
        const std::size_t size = RecordSize(item);
        if (size == 0) return KRDM_BAD_ITEM;
        const auto* p = static_cast<const std::uint8_t*>(record);
        w.bytes.assign(p, p + size);
        switch (item) {
        case KRDM_ITEM_PAPER_SIZE:
            for (int i = 0; i < 4; ++i)
                g.item30[i] = U16(p + 2 * i);
            break;
        case KRDM_ITEM_MEDIA:
            g.variant = U16(p + 2);
            g.media = U16(p + 4);
            break;
        case KRDM_ITEM_MEDIA_QUALITY:
            g.media = static_cast<std::uint16_t>(U32(p + 12));
            break;
        case KRDM_ITEM_OUTPUT_FLAGS:
            g.flags204 = U32(p + 8);
            break;
        case KRDM_ITEM_PRINT_FLAGS:
            g.flags205 = U32(p + 8);
            break;
        case KRDM_ITEM_PAPER_ADJUST:
            std::memcpy(g.paper, p + 8, sizeof g.paper);
            break;
        default:
            break;
        }
    }
    g.writes.push_back(std::move(w));
    return KRDM_OK;
}

KRDM_EXPORT int32_t KRDM_CreateDC(KRDM_HANDLE, const void*) {
    return 1;
}
KRDM_EXPORT int32_t KRDM_ResetDC(KRDM_HANDLE, int32_t, const void*) {
    return KRDM_OK;
}
KRDM_EXPORT int32_t KRDM_DeleteDC(KRDM_HANDLE, int32_t) {
    return KRDM_OK;
}
KRDM_EXPORT int32_t KRDM_GetDevMode(KRDM_HANDLE, void*) {
    return 0;
}
KRDM_EXPORT int32_t KRDM_Close(KRDM_HANDLE handle) {
    if (handle != 7) return KRDM_BAD_HANDLE;
    --g.openHandles;
    return KRDM_OK;
}
