#pragma once

// The printer's answers on its back channels: queries (firmware version, SN
// level, custom paper settings and names, job information), the status
// record and the device id, on the local channel as plain bytes and through
// the SNMP agent wrapped in GetResponse messages. The reply faults act here.

#include "CPrinterCore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vprinter {

class CQueryResponder {
public:
    // Bytes to send back, and how long to hold them first (real ms).
    struct Answer {
        bool send = false;
        std::vector<std::uint8_t> bytes;
        int delayMs = 0;
    };

    explicit CQueryResponder(CPrinterCore& core) : m_core(core) {}

    // One command read from the local channel: a query, or the library's
    // "ST" (status) and "DI" (device id) requests.
    Answer AnswerLocal(const std::string& name, const std::vector<std::uint8_t>& params);
    // One SNMP datagram.
    Answer AnswerSnmp(const std::uint8_t* data, std::size_t length);

    // The reply text of a query (without any transport framing); empty when
    // the printer does not answer it.
    std::string QueryReply(const std::string& name, const std::vector<std::uint8_t>& params);

    std::vector<std::uint8_t> StatusReply() const;
    std::string DeviceId() const;

private:
    void Garble(std::string& text) const;

    CPrinterCore& m_core;
};

} // namespace vprinter
