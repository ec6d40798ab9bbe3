// libtqapi.so: the printer maker's bidirectional communication library.
// Printers are CUPS queues; which channels a printer has follows from the
// queue's device URI (see DeviceUri.h).
#include "tqapi.h"

#include <cups/cups.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "CTQChannel.h"
#include "DeviceUri.h"

#define TQ_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kConnectTimeoutMs = 3000;
constexpr int kStatusTimeoutMs = 3000;

// Guards the users' count and the channel table; never held while a call
// waits on the network, so channels of different threads do not wait for
// each other.
std::mutex g_mutex;
// Every TQInitialize that succeeded and has not been released yet: each
// binding of the library initialises and releases it once, and one user's
// release must not end the channels of another still at work.
int g_users = 0;
std::int32_t g_nextHandle = 1;
std::map<std::int32_t, std::shared_ptr<tqapi::CTQChannel>> g_channels;

bool Initialized() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_users > 0;
}

std::shared_ptr<tqapi::CTQChannel> Channel(std::int32_t handle) {
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto it = g_channels.find(handle);
    return it == g_channels.end() ? nullptr : it->second;
}

// The queue's channel set, from its device URI on the CUPS server that
// CUPS_SERVER names (the system's otherwise).
std::int32_t LookUp(std::int32_t by, const char* printer, tqapi::ChannelConfig& config) {
    if (by != TQ_PRINTER_BY_QUEUE || !printer || !*printer) return TQ_ERROR;
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer, nullptr);
    if (!dest) return TQ_NO_PRINTER;
    const char* uri = cupsGetOption("device-uri", dest->num_options, dest->options);
    const std::string deviceUri = uri ? uri : "";
    cupsFreeDests(1, dest);
    if (!tqapi::ParseDeviceUri(deviceUri, config)) return TQ_NO_PRINTER;
    return TQ_OK;
}

int ChannelCount(const tqapi::ChannelConfig& config) { return (config.local ? 1 : 0) + (config.network ? 1 : 0); }

void PutEntry(std::uint8_t* entry, std::uint32_t type) {
    entry[0] = static_cast<std::uint8_t>(type & 0xFF);
    entry[1] = static_cast<std::uint8_t>((type >> 8) & 0xFF);
    entry[2] = static_cast<std::uint8_t>((type >> 16) & 0xFF);
    entry[3] = static_cast<std::uint8_t>((type >> 24) & 0xFF);
    entry[4] = TQ_CHANNEL_USABLE;
    entry[5] = entry[6] = entry[7] = 0;
}

} // namespace

TQ_EXPORT int32_t TQInitialize(void) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_users == INT32_MAX) return TQ_ERROR;
    ++g_users;
    return TQ_OK;
}

TQ_EXPORT int32_t TQRelease(void) {
    std::map<std::int32_t, std::shared_ptr<tqapi::CTQChannel>> channels;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_users == 0) return TQ_NOT_INITIALIZED;
        // Channels end with the last user only.
        if (--g_users > 0) return TQ_OK;
        channels.swap(g_channels);
    }
    for (auto& [handle, channel] : channels) channel->Cancel();
    return TQ_OK;
}

TQ_EXPORT int32_t TQGetAvailableChannel(int32_t by, const char* printer, void* list, int32_t* size) {
    if (!Initialized()) return TQ_NOT_INITIALIZED;
    if (!size) return TQ_ERROR;
    tqapi::ChannelConfig config;
    const std::int32_t found = LookUp(by, printer, config);
    if (found < 0) return found;
    const int count = ChannelCount(config);
    const std::int32_t needed = count * TQ_CHANNEL_ENTRY_SIZE;
    if (!list || *size < needed) {
        *size = needed;
        return TQ_BUFFER_TOO_SMALL;
    }
    auto* out = static_cast<std::uint8_t*>(list);
    int i = 0;
    if (config.local) PutEntry(out + TQ_CHANNEL_ENTRY_SIZE * i++, TQ_CHANNEL_LOCAL);
    if (config.network) PutEntry(out + TQ_CHANNEL_ENTRY_SIZE * i++, TQ_CHANNEL_NETWORK);
    *size = needed;
    return count;
}

TQ_EXPORT int32_t TQOpenChannel(int32_t by, const char* printer, int32_t channelType) {
    if (!Initialized()) return TQ_NOT_INITIALIZED;
    tqapi::ChannelConfig config;
    const std::int32_t found = LookUp(by, printer, config);
    if (found < 0) return found;
    if (!((channelType == TQ_CHANNEL_LOCAL && config.local) || (channelType == TQ_CHANNEL_NETWORK && config.network)))
        return TQ_ERROR;
    auto channel = std::make_shared<tqapi::CTQChannel>(channelType, config);
    const std::int32_t opened = channel->Open(kConnectTimeoutMs);
    if (opened < 0) return opened;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_users == 0) return TQ_NOT_INITIALIZED;
    const std::int32_t handle = g_nextHandle;
    g_nextHandle = g_nextHandle >= 0x7FFFFFFE ? 1 : g_nextHandle + 1;
    g_channels[handle] = channel;
    return handle;
}

TQ_EXPORT int32_t TQCloseChannel(int32_t handle) {
    std::shared_ptr<tqapi::CTQChannel> channel;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        const auto it = g_channels.find(handle);
        if (it == g_channels.end()) return TQ_BAD_HANDLE;
        channel = it->second;
        g_channels.erase(it);
    }
    channel->Cancel(); // a receive still waiting on it returns
    return TQ_OK;
}

TQ_EXPORT int32_t TQSetOption(int32_t handle, int32_t option, const void* value, int32_t size) {
    const auto channel = Channel(handle);
    if (!channel) return TQ_BAD_HANDLE;
    if (option != TQ_OPTION_TIMEOUT || !value || size != static_cast<int32_t>(sizeof(int32_t))) return TQ_ERROR;
    std::int32_t ms = 0;
    std::memcpy(&ms, value, sizeof ms);
    if (ms < 0) return TQ_ERROR;
    channel->defaultTimeoutMs = ms;
    return TQ_OK;
}

TQ_EXPORT int32_t TQGetOption(int32_t handle, int32_t option, void* value, int32_t* size) {
    const auto channel = Channel(handle);
    if (!channel) return TQ_BAD_HANDLE;
    if (option != TQ_OPTION_TIMEOUT || !value || !size) return TQ_ERROR;
    if (*size < static_cast<int32_t>(sizeof(int32_t))) {
        *size = sizeof(int32_t);
        return TQ_BUFFER_TOO_SMALL;
    }
    const std::int32_t ms = channel->defaultTimeoutMs.load();
    std::memcpy(value, &ms, sizeof ms);
    *size = sizeof(int32_t);
    return TQ_OK;
}

TQ_EXPORT int32_t TQReceiveCancel(int32_t handle) {
    const auto channel = Channel(handle);
    if (!channel) return TQ_BAD_HANDLE;
    channel->Cancel();
    return TQ_OK;
}

TQ_EXPORT int32_t TQGetStatus(int32_t handle, void* buffer, int32_t* size) {
    const auto channel = Channel(handle);
    if (!channel) return TQ_BAD_HANDLE;
    return channel->GetStatus(buffer, size, kStatusTimeoutMs);
}

TQ_EXPORT int32_t TQSend(int32_t handle, const void* data, int32_t length) {
    const auto channel = Channel(handle);
    if (!channel) return TQ_BAD_HANDLE;
    return channel->Send(data, length);
}

TQ_EXPORT int32_t TQReceive(int32_t handle, void* buffer, int32_t* size, int32_t timeoutMs) {
    const auto channel = Channel(handle);
    if (!channel) return TQ_BAD_HANDLE;
    return channel->Receive(buffer, size, timeoutMs);
}

TQ_EXPORT int32_t TQGetDeviceID(int32_t by, const char* printer, char* buffer, int32_t* size) {
    if (!Initialized()) return TQ_NOT_INITIALIZED;
    if (!buffer || !size || *size <= 0) return TQ_ERROR;
    tqapi::ChannelConfig config;
    const std::int32_t found = LookUp(by, printer, config);
    if (found < 0) return found;
    if (!config.local && !config.network) return TQ_ERROR;
    tqapi::CTQChannel channel(config.local ? TQ_CHANNEL_LOCAL : TQ_CHANNEL_NETWORK, config);
    std::int32_t result = channel.Open(kConnectTimeoutMs);
    if (result < 0) return result;
    std::string id;
    result = channel.GetDeviceId(id, kStatusTimeoutMs);
    if (result < 0) return result;
    if (static_cast<std::int32_t>(id.size()) + 1 > *size) {
        *size = static_cast<std::int32_t>(id.size()) + 1;
        return TQ_BUFFER_TOO_SMALL;
    }
    std::memcpy(buffer, id.c_str(), id.size() + 1);
    *size = static_cast<std::int32_t>(id.size()) + 1;
    return TQ_OK;
}
