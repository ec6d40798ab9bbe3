// Entry points of the driver-settings library. Handles are small numbers
// looked up in a table, so that a stale or made-up handle is refused
// instead of followed.
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "DriverSession.h"
#include "krset32.h"

#define KRDM_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct OpenHandle {
    std::unique_ptr<DriverSession> session;
    std::map<std::int32_t, std::vector<std::uint8_t>> contexts;
    std::int32_t nextContext = 1;
};

std::mutex g_mutex;
std::map<KRDM_HANDLE, OpenHandle> g_handles;
KRDM_HANDLE g_nextHandle = 1;

OpenHandle* Find(KRDM_HANDLE handle) {
    auto it = g_handles.find(handle);
    return it == g_handles.end() ? nullptr : &it->second;
}

std::vector<std::uint8_t> BlockOf(const OpenHandle& h, const void* devMode) {
    if (!devMode) return DeviceModeBlock::Encode(h.session->CurrentDeviceMode());
    const std::size_t size = DeviceModeBlock::StatedSize(devMode);
    if (!DeviceModeBlock::Decode(devMode, size)) return {};
    const auto* p = static_cast<const std::uint8_t*>(devMode);
    return std::vector<std::uint8_t>(p, p + size);
}

}  // namespace

KRDM_EXPORT int32_t KRDM_Open(const char* printer, const char* port, int32_t mode, const void* devMode,
                              KRDM_HANDLE* handle) {
    if (!printer || !handle) return KRDM_ERROR;
    *handle = 0;
    if (mode != KRDM_OPEN_CURRENT && mode != KRDM_OPEN_DEVMODE) return KRDM_ERROR;
    if (mode == KRDM_OPEN_DEVMODE && !devMode) return KRDM_BAD_RECORD;
    int error = KRDM_OK;
    auto session = DriverSession::Open(printer, port ? port : "", mode == KRDM_OPEN_DEVMODE ? devMode : nullptr, error);
    if (!session) return error;
    std::lock_guard lock(g_mutex);
    while (g_nextHandle <= 0 || g_handles.count(g_nextHandle)) g_nextHandle = g_nextHandle <= 0 ? 1 : g_nextHandle + 1;
    const KRDM_HANDLE h = g_nextHandle++;
    g_handles[h].session = std::move(session);
    *handle = h;
    return KRDM_OK;
}

KRDM_EXPORT int32_t KRDM_GetDriverInfo(KRDM_HANDLE handle, char* buffer, int32_t size) {
    std::lock_guard lock(g_mutex);
    OpenHandle* h = Find(handle);
    if (!h) return KRDM_BAD_HANDLE;
    if (!buffer || size < 1) return KRDM_BAD_RECORD;
    const std::string info = h->session->DriverInfo();
    const std::size_t n = std::min(info.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, info.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
}

KRDM_EXPORT int32_t KRDM_GetCommandLevel(KRDM_HANDLE handle) {
    std::lock_guard lock(g_mutex);
    return Find(handle) ? 2 : KRDM_BAD_HANDLE;
}

KRDM_EXPORT int32_t KRDM_GetRange(KRDM_HANDLE handle, int32_t item, KRDM_RANGE* range) {
    std::lock_guard lock(g_mutex);
    OpenHandle* h = Find(handle);
    return h ? h->session->GetRange(item, range) : KRDM_BAD_HANDLE;
}

KRDM_EXPORT int32_t KRDM_GetData(KRDM_HANDLE handle, int32_t item, void* record) {
    std::lock_guard lock(g_mutex);
    OpenHandle* h = Find(handle);
    return h ? h->session->GetData(item, record) : KRDM_BAD_HANDLE;
}

KRDM_EXPORT int32_t KRDM_SetData(KRDM_HANDLE handle, int32_t item, void* record) {
    std::lock_guard lock(g_mutex);
    OpenHandle* h = Find(handle);
    return h ? h->session->SetData(item, record) : KRDM_BAD_HANDLE;
}

KRDM_EXPORT int32_t KRDM_CreateDC(KRDM_HANDLE handle, const void* devMode) {
    std::lock_guard lock(g_mutex);
    OpenHandle* h = Find(handle);
    if (!h) return KRDM_BAD_HANDLE;
    auto block = BlockOf(*h, devMode);
    if (block.empty()) return KRDM_BAD_RECORD;
    const std::int32_t id = h->nextContext++;
    h->contexts[id] = std::move(block);
    return id;
}

KRDM_EXPORT int32_t KRDM_ResetDC(KRDM_HANDLE handle, int32_t dc, const void* devMode) {
    std::lock_guard lock(g_mutex);
    OpenHandle* h = Find(handle);
    if (!h) return KRDM_BAD_HANDLE;
    auto it = h->contexts.find(dc);
    if (it == h->contexts.end()) return KRDM_BAD_VALUE;
    auto block = BlockOf(*h, devMode);
    if (block.empty()) return KRDM_BAD_RECORD;
    it->second = std::move(block);
    return KRDM_OK;
}

KRDM_EXPORT int32_t KRDM_DeleteDC(KRDM_HANDLE handle, int32_t dc) {
    std::lock_guard lock(g_mutex);
    OpenHandle* h = Find(handle);
    if (!h) return KRDM_BAD_HANDLE;
    return h->contexts.erase(dc) ? KRDM_OK : KRDM_BAD_VALUE;
}

KRDM_EXPORT int32_t KRDM_GetDevMode(KRDM_HANDLE handle, void* output) {
    std::lock_guard lock(g_mutex);
    OpenHandle* h = Find(handle);
    if (!h) return KRDM_BAD_HANDLE;
    const auto block = DeviceModeBlock::Encode(h->session->CurrentDeviceMode());
    if (block.empty()) return 0;
    if (output) std::memcpy(output, block.data(), block.size());
    return static_cast<int32_t>(block.size());
}

KRDM_EXPORT int32_t KRDM_Close(KRDM_HANDLE handle) {
    std::lock_guard lock(g_mutex);
    return g_handles.erase(handle) ? KRDM_OK : KRDM_BAD_HANDLE;
}
