#include "CTQChannel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "SnmpV1.h"
#include "tqapi.h"

namespace tqapi {

namespace {

// Once a reply has started, a pause this long means nothing more is coming.
constexpr int kQuietMs = 300;

// On the local stream the printer sends one SYN for each read of the back
// channel that found nothing yet; reply texts never carry it.
constexpr char kNothingYet = 0x16;

// A GetResponse whose value is an empty string: the agent has the request
// but no answer yet.
bool IsNothingYet(const std::uint8_t* datagram, std::size_t length) {
    snmpv1::Message m;
    return snmpv1::Decode(datagram, length, m) && m.pduType == snmpv1::kGetResponse &&
           m.errorStatus == snmpv1::kNoError && m.valueType == snmpv1::kTypeOctetString && m.value.empty();
}

// A whole status reply: header line, then 16-bit length and that many bytes.
int StatusComplete(const std::string& r) {
    const auto crlf = r.find("\r\n");
    if (crlf == std::string::npos) return 0;
    const std::size_t start = crlf + 2;
    if (r.size() < start + 2) return 0;
    const std::size_t length = static_cast<unsigned char>(r[start]) | (static_cast<unsigned char>(r[start + 1]) << 8);
    return r.size() >= start + 2 + length ? 1 : 0;
}

// A whole device id: 16-bit big-endian length (itself included), then text.
int DeviceIdComplete(const std::string& r) {
    if (r.size() < 2) return 0;
    const std::size_t length = (static_cast<unsigned char>(r[0]) << 8) | static_cast<unsigned char>(r[1]);
    return r.size() >= std::max<std::size_t>(length, 2) ? 1 : 0;
}

} // namespace

std::int64_t MonotonicMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

CTQChannel::CTQChannel(std::int32_t type, const ChannelConfig& config) : m_type(type), m_config(config) {
    if (::pipe2(m_cancel, O_CLOEXEC | O_NONBLOCK) != 0) m_cancel[0] = m_cancel[1] = -1;
}

CTQChannel::~CTQChannel() {
    if (m_fd >= 0) ::close(m_fd);
    if (m_cancel[0] >= 0) ::close(m_cancel[0]);
    if (m_cancel[1] >= 0) ::close(m_cancel[1]);
}

std::int32_t CTQChannel::Open(int connectTimeoutMs) {
    const bool local = m_type == TQ_CHANNEL_LOCAL;
    const int port = local ? m_config.localPort : m_config.snmpPort;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = local ? SOCK_STREAM : SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(m_config.host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found)
        return TQ_NO_PRINTER;
    std::int32_t result = TQ_ERROR;
    for (addrinfo* a = found; a && m_fd < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (rc != 0 && errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            rc = ::poll(&p, 1, connectTimeoutMs) == 1 ? 0 : -1;
            if (rc == 0) {
                int error = 0;
                socklen_t len = sizeof error;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
                if (error) rc = -1;
            } else {
                result = TQ_TIMEOUT;
            }
        }
        if (rc == 0) {
            m_fd = fd;
            result = TQ_OK;
        } else {
            ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    return result;
}

void CTQChannel::Cancel() {
    if (m_cancel[1] >= 0) {
        const char b = 1;
        [[maybe_unused]] ssize_t n = ::write(m_cancel[1], &b, 1);
    }
}

CTQChannel::Wait CTQChannel::WaitReadable(std::int64_t deadlineMs) {
    for (;;) {
        const std::int64_t left = std::max<std::int64_t>(0, deadlineMs - MonotonicMs());
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_cancel[0], POLLIN, 0}};
        const int n = ::poll(fds, m_cancel[0] >= 0 ? 2 : 1, static_cast<int>(std::min<std::int64_t>(left, 1 << 30)));
        if (n < 0) {
            if (errno == EINTR) continue;
            return Wait::Failed;
        }
        if (n == 0) return Wait::Timeout;
        if (m_cancel[0] >= 0 && (fds[1].revents & POLLIN)) {
            char drain[16];
            while (::read(m_cancel[0], drain, sizeof drain) > 0) {
            }
            return Wait::Cancelled;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) return Wait::Ready;
    }
}

std::int32_t CTQChannel::SendAll(const void* data, std::size_t length) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t sent = 0;
    const std::int64_t deadline = MonotonicMs() + 10000;
    while (sent < length) {
        const ssize_t n = ::send(m_fd, p + sent, length - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd w{m_fd, POLLOUT, 0};
            const std::int64_t left = deadline - MonotonicMs();
            if (left <= 0 || ::poll(&w, 1, static_cast<int>(left)) <= 0) return TQ_TIMEOUT;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return TQ_ERROR;
    }
    return static_cast<std::int32_t>(sent);
}

std::int32_t CTQChannel::Send(const void* data, std::int32_t length) {
    if (!data || length <= 0) return TQ_ERROR;
    if (m_type == TQ_CHANNEL_NETWORK) {
        const ssize_t n = ::send(m_fd, data, static_cast<std::size_t>(length), MSG_NOSIGNAL);
        return n == length ? length : TQ_ERROR;
    }
    return SendAll(data, static_cast<std::size_t>(length));
}

std::int32_t CTQChannel::Receive(void* buffer, std::int32_t* size, std::int32_t timeoutMs) {
    if (!buffer || !size || *size <= 0) return TQ_ERROR;
    if (timeoutMs < 0) timeoutMs = defaultTimeoutMs.load();
    const std::int64_t deadline = MonotonicMs() + timeoutMs;
    const bool local = m_type != TQ_CHANNEL_NETWORK;
    while (!local || m_pending.empty()) {
        switch (WaitReadable(deadline)) {
        case Wait::Timeout:
            *size = 0;
            return TQ_TIMEOUT;
        case Wait::Cancelled:
            *size = 0;
            return TQ_CANCELLED;
        case Wait::Failed:
            *size = 0;
            return TQ_ERROR;
        case Wait::Ready:
            break;
        }
        std::uint8_t data[65536];
        const ssize_t n = ::recv(m_fd, data, sizeof data, 0);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
        if (n <= 0) {
            // The printer closed or reset the stream, or nobody listens on
            // its port: the channel is broken.
            *size = 0;
            return TQ_ERROR;
        }
        if (local) {
            m_pending.append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(n));
            continue;
        }
        if (IsNothingYet(data, static_cast<std::size_t>(n))) {
            *size = 0;
            return 0;
        }
        // A datagram longer than the buffer is cut, as a datagram read is.
        *size = static_cast<std::int32_t>(std::min<ssize_t>(n, *size));
        std::memcpy(buffer, data, static_cast<std::size_t>(*size));
        return *size;
    }
    if (m_pending[0] == kNothingYet) {
        m_pending.erase(0, 1);
        *size = 0;
        return 0;
    }
    // Up to the next "nothing yet", which the next call reports.
    const std::size_t stop = std::min(m_pending.find(kNothingYet), m_pending.size());
    const auto n =
        static_cast<std::int32_t>(std::min<std::size_t>(stop, static_cast<std::size_t>(*size)));
    std::memcpy(buffer, m_pending.data(), static_cast<std::size_t>(n));
    m_pending.erase(0, static_cast<std::size_t>(n));
    *size = n;
    return n;
}

void CTQChannel::Drain() {
    m_pending.clear();
    char scratch[4096];
    while (::recv(m_fd, scratch, sizeof scratch, MSG_DONTWAIT) > 0) {
    }
}

std::int32_t CTQChannel::ReadReply(std::string& reply, int timeoutMs, int (*complete)(const std::string&)) {
    reply.clear();
    std::int64_t deadline = MonotonicMs() + timeoutMs;
    for (;;) {
        const Wait w = WaitReadable(deadline);
        if (w == Wait::Cancelled) return TQ_CANCELLED;
        if (w == Wait::Failed) return TQ_ERROR;
        if (w == Wait::Timeout) break;
        char chunk[1024];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
        if (n <= 0) break;
        std::size_t from = 0;
        // "Nothing yet" in front of the reply: the printer is still at it.
        while (reply.empty() && from < static_cast<std::size_t>(n) && chunk[from] == kNothingYet) ++from;
        if (from == static_cast<std::size_t>(n)) continue;
        reply.append(chunk + from, static_cast<std::size_t>(n) - from);
        if (reply.size() > 65536) return TQ_ERROR;
        if (complete(reply)) return static_cast<std::int32_t>(reply.size());
        deadline = std::min(deadline, MonotonicMs() + kQuietMs);
    }
    return reply.empty() ? TQ_TIMEOUT : static_cast<std::int32_t>(reply.size());
}

std::int32_t CTQChannel::SnmpGet(const std::vector<std::uint32_t>& oid, std::string& value, int timeoutMs) {
    snmpv1::Message request;
    request.community = TQ_SNMP_COMMUNITY;
    request.pduType = snmpv1::kGetRequest;
    request.requestId = m_nextRequestId++;
    request.oid = oid;
    const std::vector<std::uint8_t> bytes = snmpv1::Encode(request);
    if (::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(bytes.size())) return TQ_ERROR;
    const std::int64_t deadline = MonotonicMs() + timeoutMs;
    for (;;) {
        const Wait w = WaitReadable(deadline);
        if (w == Wait::Cancelled) return TQ_CANCELLED;
        if (w == Wait::Timeout) return TQ_TIMEOUT;
        if (w == Wait::Failed) return TQ_ERROR;
        std::uint8_t datagram[65536];
        const ssize_t n = ::recv(m_fd, datagram, sizeof datagram, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
        if (n < 0) return TQ_ERROR;
        snmpv1::Message response;
        if (!snmpv1::Decode(datagram, static_cast<std::size_t>(n), response)) continue;
        if (response.pduType != snmpv1::kGetResponse || response.requestId != request.requestId) continue;
        if (IsNothingYet(datagram, static_cast<std::size_t>(n))) continue; // the answer comes later
        if (response.errorStatus != snmpv1::kNoError || response.valueType != snmpv1::kTypeOctetString)
            return TQ_ERROR;
        value = response.value;
        return static_cast<std::int32_t>(value.size());
    }
}

std::int32_t CTQChannel::GetStatus(void* buffer, std::int32_t* size, int timeoutMs) {
    if (!buffer || !size || *size <= 0) return TQ_ERROR;
    std::string reply;
    std::int32_t result;
    if (m_type == TQ_CHANNEL_NETWORK) {
        result = SnmpGet(snmpv1::StatusOid(), reply, timeoutMs);
    } else {
        Drain(); // an answer nobody waited for is not the status
        static const std::uint8_t request[] = {'S', 'T', 0x02, 0x00, 0x01, 0x01};
        result = SendAll(request, sizeof request);
        if (result > 0) result = ReadReply(reply, timeoutMs, StatusComplete);
    }
    if (result < 0) {
        *size = 0;
        return result;
    }
    const auto n = static_cast<std::int32_t>(std::min<std::size_t>(reply.size(), static_cast<std::size_t>(*size)));
    std::memcpy(buffer, reply.data(), static_cast<std::size_t>(n));
    *size = n;
    return n;
}

std::int32_t CTQChannel::GetDeviceId(std::string& id, int timeoutMs) {
    if (m_type == TQ_CHANNEL_NETWORK) return SnmpGet(snmpv1::DeviceIdOid(), id, timeoutMs);
    Drain();
    static const std::uint8_t request[] = {'D', 'I', 0x02, 0x00, 0x01, 0x00};
    std::int32_t result = SendAll(request, sizeof request);
    if (result < 0) return result;
    std::string reply;
    result = ReadReply(reply, timeoutMs, DeviceIdComplete);
    if (result < 0) return result;
    if (reply.size() < 2) return TQ_ERROR;
    const std::size_t length = (static_cast<unsigned char>(reply[0]) << 8) | static_cast<unsigned char>(reply[1]);
    if (length < 2 || length > reply.size()) return TQ_ERROR;
    id = reply.substr(2, length - 2);
    return static_cast<std::int32_t>(id.size());
}

} // namespace tqapi
