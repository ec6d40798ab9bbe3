#pragma once

// The virtual printer's sockets: the raw job port (TCP, AppSocket), the
// local channel port (TCP byte stream), the SNMP agent (UDP) and the control
// port (TCP, line protocol), all served by one poll loop on one thread.

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "CVirtualPrinter.h"

namespace vprinter {

struct PrinterPorts {
    int raw = 0;
    int local = 0;
    int snmp = 0;
    int control = 0;
};

class CPrinterServer {
public:
    CPrinterServer(CVirtualPrinter& printer, std::string host = "127.0.0.1");
    ~CPrinterServer();
    CPrinterServer(const CPrinterServer&) = delete;
    CPrinterServer& operator=(const CPrinterServer&) = delete;

    // Binds all four sockets; a port of 0 picks a free one.
    bool Open(const PrinterPorts& wanted, std::string& error);
    PrinterPorts Ports() const { return m_ports; }

    // Serves until the control interface says QUIT or Stop() is called.
    void Run();
    // Safe from a signal handler or another thread.
    void Stop();

    // Largest raw job kept; the rest of a longer one is read and dropped.
    static constexpr std::size_t kMaxJobBytes = std::size_t(512) << 20;

private:
    enum class Kind { Raw, Local, Control };
    struct Connection {
        Kind kind;
        int fd = -1;
        std::uint64_t id = 0;
        std::vector<std::uint8_t> in;
        std::vector<std::uint8_t> out;
        bool closing = false; // close once `out` is written
        // Raw jobs: bytes taken so far and when the connection came, for
        // slow-raw's rate and reset-mid-job's count.
        std::uint64_t received = 0;
        std::int64_t since = 0;
    };
    struct Pending {
        std::int64_t due = 0;
        bool udp = false;
        std::uint64_t connection = 0;
        std::vector<std::uint8_t> peer; // sockaddr bytes for UDP
        std::vector<std::uint8_t> bytes;
    };

    void Accept(int listener, Kind kind);
    void ReadFrom(Connection& c, bool hangup = false);
    void WriteTo(Connection& c);
    void HandleDatagram();
    void Deliver(const Pending& p);
    void Queue(std::uint64_t connection, bool udp, const std::vector<std::uint8_t>& peer, const CVirtualPrinter::Answer& a);
    Connection* Find(std::uint64_t id);
    // Under slow-raw: the bytes a raw connection may take now (0: none yet,
    // and `nextMs` says when some may); unlimited otherwise.
    std::size_t RawAllowance(const Connection& c, std::int64_t now, std::int64_t& nextMs) const;
    // Under reset-mid-job: resets the connection (RST) and drops its job.
    void ResetJob(Connection& c);
    static std::int64_t NowMs();

    CVirtualPrinter& m_printer;
    std::string m_host;
    PrinterPorts m_ports;
    int m_rawListener = -1;
    int m_localListener = -1;
    int m_controlListener = -1;
    int m_udp = -1;
    int m_wake[2] = {-1, -1};
    std::list<Connection> m_connections;
    std::vector<Pending> m_pending;
    std::uint64_t m_nextId = 1;
    volatile bool m_stop = false;
};

} // namespace vprinter
