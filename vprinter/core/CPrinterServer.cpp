#include "CPrinterServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vprinter {

namespace {

void NonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
}

int Bind(const std::string& host, int type, int port, int& bound, std::string& error) {
    const int fd = ::socket(AF_INET, type, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return -1;
    }
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1) {
        error = "bad address " + host;
        ::close(fd);
        return -1;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        (type == SOCK_STREAM && ::listen(fd, 16) != 0)) {
        error = "port " + std::to_string(port) + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    bound = ntohs(addr.sin_port);
    NonBlocking(fd);
    return fd;
}

} // namespace

CPrinterServer::CPrinterServer(CVirtualPrinter& printer, std::string host)
    : m_printer(printer), m_host(std::move(host)) {
    if (::pipe(m_wake) == 0) {
        NonBlocking(m_wake[0]);
        NonBlocking(m_wake[1]);
    }
}

CPrinterServer::~CPrinterServer() {
    for (Connection& c : m_connections) ::close(c.fd);
    for (int fd : {m_rawListener, m_localListener, m_controlListener, m_udp, m_wake[0], m_wake[1]})
        if (fd >= 0) ::close(fd);
}

std::int64_t CPrinterServer::NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool CPrinterServer::Open(const PrinterPorts& wanted, std::string& error) {
    m_rawListener = Bind(m_host, SOCK_STREAM, wanted.raw, m_ports.raw, error);
    if (m_rawListener < 0) return false;
    m_localListener = Bind(m_host, SOCK_STREAM, wanted.local, m_ports.local, error);
    if (m_localListener < 0) return false;
    m_udp = Bind(m_host, SOCK_DGRAM, wanted.snmp, m_ports.snmp, error);
    if (m_udp < 0) return false;
    m_controlListener = Bind(m_host, SOCK_STREAM, wanted.control, m_ports.control, error);
    return m_controlListener >= 0;
}

void CPrinterServer::Stop() {
    m_stop = true;
    if (m_wake[1] >= 0) {
        const char b = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wake[1], &b, 1);
    }
}

CPrinterServer::Connection* CPrinterServer::Find(std::uint64_t id) {
    for (Connection& c : m_connections)
        if (c.id == id) return &c;
    return nullptr;
}

void CPrinterServer::Accept(int listener, Kind kind) {
    for (;;) {
        const int fd = ::accept(listener, nullptr, nullptr);
        if (fd < 0) return;
        NonBlocking(fd);
        if (kind == Kind::Local && m_printer.IsOffline()) {
            // A printer that is off does not keep its back channel open.
            ::close(fd);
            continue;
        }
        Connection c;
        c.kind = kind;
        c.fd = fd;
        c.id = m_nextId++;
        c.since = NowMs();
        if (kind == Kind::Raw && m_printer.CurrentFaults().slowRawKBps > 0) {
            // A small receive buffer, so a slow reader's back-pressure
            // reaches the sender at once rather than after megabytes.
            const int size = 16384;
            setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        }
        m_connections.push_back(std::move(c));
    }
}

void CPrinterServer::Queue(std::uint64_t connection, bool udp, const std::vector<std::uint8_t>& peer,
                           const CVirtualPrinter::Answer& a) {
    if (!a.send) return;
    if (!a.pieces.empty()) {
        // A shaped answer: each piece at its own time, in order.
        const std::int64_t now = NowMs();
        for (const auto& piece : a.pieces) {
            Pending p;
            p.due = now + std::max(0, piece.atMs);
            p.udp = udp;
            p.connection = connection;
            p.peer = peer;
            p.bytes = piece.bytes;
            if (piece.atMs <= 0 && m_pending.empty())
                Deliver(p);
            else
                m_pending.push_back(std::move(p));
        }
        return;
    }
    Pending p;
    p.due = NowMs() + std::max(0, a.delayMs);
    p.udp = udp;
    p.connection = connection;
    p.peer = peer;
    p.bytes = a.bytes;
    if (a.delayMs <= 0) {
        Deliver(p);
        return;
    }
    m_pending.push_back(std::move(p));
}

void CPrinterServer::Deliver(const Pending& p) {
    if (p.udp) {
        ::sendto(m_udp, p.bytes.data(), p.bytes.size(), 0, reinterpret_cast<const sockaddr*>(p.peer.data()),
                 static_cast<socklen_t>(p.peer.size()));
        return;
    }
    if (Connection* c = Find(p.connection)) {
        c->out.insert(c->out.end(), p.bytes.begin(), p.bytes.end());
        WriteTo(*c);
    }
}

void CPrinterServer::WriteTo(Connection& c) {
    while (!c.out.empty()) {
        const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
            c.out.clear();
            c.closing = true;
            return;
        }
        c.out.erase(c.out.begin(), c.out.begin() + n);
    }
}

std::size_t CPrinterServer::RawAllowance(const Connection& c, std::int64_t now,
                                         std::int64_t& nextMs) const {
    nextMs = -1;
    const int rate = m_printer.CurrentFaults().slowRawKBps;
    if (rate <= 0) return std::numeric_limits<std::size_t>::max();
    const std::uint64_t bytesPerSecond = static_cast<std::uint64_t>(rate) * 1024;
    const std::uint64_t elapsed =
        static_cast<std::uint64_t>(std::max<std::int64_t>(0, now - c.since));
    const std::uint64_t allowed = bytesPerSecond * elapsed / 1000;
    if (allowed > c.received) return static_cast<std::size_t>(allowed - c.received);
    // When the next kilobyte (or the next byte at tiny rates) may come.
    const std::uint64_t step = std::min<std::uint64_t>(1024, bytesPerSecond);
    nextMs = static_cast<std::int64_t>((c.received + step) * 1000 / bytesPerSecond) -
             static_cast<std::int64_t>(elapsed);
    nextMs = std::max<std::int64_t>(1, nextMs);
    return 0;
}

void CPrinterServer::ResetJob(Connection& c) {
    // The printer lost power: the connection is reset, not closed, and the
    // job held so far goes with the printer's memory.
    const linger reset{1, 0};
    setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    m_printer.JobReset(c.received);
    c.in.clear();
    c.in.shrink_to_fit();
    c.out.clear();
    c.closing = true;
}

void CPrinterServer::ReadFrom(Connection& c, bool hangup) {
    std::uint8_t buffer[65536];
    for (;;) {
        std::size_t want = sizeof buffer;
        if (c.kind == Kind::Raw) {
            std::int64_t next = 0;
            want = std::min(want, RawAllowance(c, NowMs(), next));
            const long long resetAt = m_printer.CurrentFaults().resetMidJobBytes;
            if (resetAt >= 0) {
                if (c.received >= static_cast<std::uint64_t>(resetAt)) {
                    ResetJob(c);
                    return;
                }
                want = std::min<std::size_t>(want, static_cast<std::size_t>(resetAt - static_cast<long long>(c.received)));
            }
            // A sender that is gone is read out whatever the rate.
            if (want == 0 && hangup && resetAt < 0) want = sizeof buffer;
            if (want == 0) return;
        }
        const ssize_t n = ::recv(c.fd, buffer, want, 0);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) return;
            c.closing = true;
            c.out.clear();
            return;
        }
        if (n == 0) {
            if (c.kind == Kind::Raw && !c.in.empty()) m_printer.ExecuteJob(c.in.data(), c.in.size());
            c.in.clear();
            c.closing = true;
            return;
        }
        if (c.kind == Kind::Raw) {
            c.received += static_cast<std::uint64_t>(n);
            const std::size_t room = kMaxJobBytes - std::min(kMaxJobBytes, c.in.size());
            c.in.insert(c.in.end(), buffer, buffer + std::min<std::size_t>(room, static_cast<std::size_t>(n)));
            continue;
        }
        c.in.insert(c.in.end(), buffer, buffer + n);
        if (c.kind == Kind::Local) {
            std::string name;
            std::vector<std::uint8_t> params;
            while (TakeCommand(c.in, name, params)) Queue(c.id, false, {}, m_printer.AnswerLocal(name, params));
            if (c.in.size() > 65536) c.in.clear();
        } else {
            for (;;) {
                const auto nl = std::find(c.in.begin(), c.in.end(), '\n');
                if (nl == c.in.end()) break;
                const std::string line(c.in.begin(), nl);
                c.in.erase(c.in.begin(), nl + 1);
                for (const std::string& reply : m_printer.Control(line)) {
                    c.out.insert(c.out.end(), reply.begin(), reply.end());
                    c.out.push_back('\n');
                }
                c.out.push_back('.');
                c.out.push_back('\n');
                WriteTo(c);
            }
            if (c.in.size() > 65536) c.closing = true;
        }
    }
}

void CPrinterServer::HandleDatagram() {
    for (;;) {
        std::uint8_t buffer[65536];
        sockaddr_storage peer{};
        socklen_t peerLength = sizeof peer;
        const ssize_t n =
            ::recvfrom(m_udp, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&peer), &peerLength);
        if (n < 0) return;
        const CVirtualPrinter::Answer answer = m_printer.AnswerSnmp(buffer, static_cast<std::size_t>(n));
        const auto* p = reinterpret_cast<const std::uint8_t*>(&peer);
        Queue(0, true, std::vector<std::uint8_t>(p, p + peerLength), answer);
    }
}

void CPrinterServer::Run() {
    while (!m_stop && !m_printer.QuitRequested()) {
        const bool offline = m_printer.IsOffline();
        if (offline) {
            // Switched off: the back channel drops.
            for (Connection& c : m_connections)
                if (c.kind == Kind::Local) c.closing = true;
        }
        // Drop finished connections.
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            if (it->closing && (it->out.empty() || it->kind == Kind::Local)) {
                ::close(it->fd);
                it = m_connections.erase(it);
            } else {
                ++it;
            }
        }

        std::vector<pollfd> fds;
        std::vector<Connection*> owners;
        auto add = [&](int fd, short events, Connection* owner) {
            fds.push_back(pollfd{fd, events, 0});
            owners.push_back(owner);
        };
        add(m_wake[0], POLLIN, nullptr);
        if (!offline) add(m_rawListener, POLLIN, nullptr); // jobs wait in the backlog meanwhile
        add(m_localListener, POLLIN, nullptr);
        add(m_controlListener, POLLIN, nullptr);
        add(m_udp, POLLIN, nullptr);
        const std::size_t firstConnection = fds.size();
        std::int64_t throttled = -1;
        for (Connection& c : m_connections) {
            short events = c.closing ? 0 : POLLIN;
            if (c.kind == Kind::Raw && !c.closing) {
                std::int64_t next = -1;
                if (RawAllowance(c, NowMs(), next) == 0) {
                    // Not read meanwhile: the sender feels the back-pressure.
                    events = 0;
                    throttled = throttled < 0 ? next : std::min(throttled, next);
                }
            }
            if (!c.out.empty()) events |= POLLOUT;
            add(c.fd, events, &c);
        }

        // Sleep until a socket has something, a late answer is due, work in
        // hand ends (its sheet comes out then) or a restart ends (the job
        // port is listened to again then).
        std::int64_t wait = m_printer.NextEventMs();
        const std::int64_t now = NowMs();
        for (const Pending& p : m_pending) {
            const std::int64_t due = std::max<std::int64_t>(0, p.due - now);
            wait = wait < 0 ? due : std::min(wait, due);
        }
        if (throttled >= 0) wait = wait < 0 ? throttled : std::min(wait, throttled);
        const int timeout = wait < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(wait + 1, 1 << 30));

        const int ready = ::poll(fds.data(), fds.size(), timeout);
        if (ready < 0 && errno != EINTR) break;

        if (ready > 0) {
            if (fds[0].revents) {
                char drain[64];
                while (::read(m_wake[0], drain, sizeof drain) > 0) {
                }
            }
            for (std::size_t i = 1; i < firstConnection; ++i) {
                if (!(fds[i].revents & POLLIN)) continue;
                if (fds[i].fd == m_rawListener) Accept(m_rawListener, Kind::Raw);
                else if (fds[i].fd == m_localListener) Accept(m_localListener, Kind::Local);
                else if (fds[i].fd == m_controlListener) Accept(m_controlListener, Kind::Control);
                else if (fds[i].fd == m_udp) HandleDatagram();
            }
            for (std::size_t i = firstConnection; i < fds.size(); ++i) {
                Connection* c = owners[i];
                if (fds[i].revents & (POLLIN | POLLHUP | POLLERR))
                    ReadFrom(*c, (fds[i].revents & (POLLHUP | POLLERR)) != 0);
                if (fds[i].revents & POLLOUT) WriteTo(*c);
            }
        }

        m_printer.Tick();
        const std::int64_t after = NowMs();
        std::vector<Pending> due;
        for (auto it = m_pending.begin(); it != m_pending.end();) {
            if (it->due <= after) {
                due.push_back(std::move(*it));
                it = m_pending.erase(it);
            } else {
                ++it;
            }
        }
        for (const Pending& p : due) Deliver(p);
    }
    // Answer the QUIT before going.
    for (Connection& c : m_connections)
        if (c.kind == Kind::Control) WriteTo(c);
}

} // namespace vprinter
