#pragma once

// One open channel to a printer: the local back channel (a TCP byte stream)
// or the network channel (SNMP datagrams over a connected UDP socket).
// Every wait is a poll() on the socket and the channel's cancel pipe.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "DeviceUri.h"

namespace tqapi {

class CTQChannel {
public:
    CTQChannel(std::int32_t type, const ChannelConfig& config);
    ~CTQChannel();
    CTQChannel(const CTQChannel&) = delete;
    CTQChannel& operator=(const CTQChannel&) = delete;

    // Connects (local: TCP within connectTimeoutMs; network: UDP).
    std::int32_t Open(int connectTimeoutMs);

    std::int32_t Type() const { return m_type; }
    std::int32_t Send(const void* data, std::int32_t length);
    std::int32_t Receive(void* buffer, std::int32_t* size, std::int32_t timeoutMs);
    std::int32_t GetStatus(void* buffer, std::int32_t* size, int timeoutMs);
    // The device id text (no length prefix, no terminator).
    std::int32_t GetDeviceId(std::string& id, int timeoutMs);
    void Cancel();

    std::atomic<std::int32_t> defaultTimeoutMs{10000};

private:
    enum class Wait { Ready, Timeout, Cancelled, Failed };
    Wait WaitReadable(std::int64_t deadlineMs);
    std::int32_t SendAll(const void* data, std::size_t length);
    void Drain();
    // Network: one GetRequest for `oid`, the value of its matching response.
    std::int32_t SnmpGet(const std::vector<std::uint32_t>& oid, std::string& value, int timeoutMs);
    // Local: reads until `complete` says the reply is whole or the stream
    // stays quiet; returns what came.
    std::int32_t ReadReply(std::string& reply, int timeoutMs, int (*complete)(const std::string&));

    std::int32_t m_type;
    ChannelConfig m_config;
    int m_fd = -1;
    int m_cancel[2] = {-1, -1};
    std::int32_t m_nextRequestId = 1000;
    // Local: bytes read from the stream and not yet handed out.
    std::string m_pending;
};

std::int64_t MonotonicMs();

} // namespace tqapi
