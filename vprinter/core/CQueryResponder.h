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
    // `bytes` is the answer itself; `pieces`, when not empty, is how it
    // travels under the transport faults (each piece sent `atMs` after the
    // request, in order), and then replaces `bytes` on the wire.
    struct Piece {
        int atMs = 0;
        std::vector<std::uint8_t> bytes;
    };
    struct Answer {
        bool send = false;
        std::vector<std::uint8_t> bytes;
        int delayMs = 0;
        std::vector<Piece> pieces;
    };

    // The pause between the pieces of a shaped answer (real ms, not scaled:
    // it is the back channel's, not the engine's).
    static constexpr int kPieceGapMs = 20;
    // The byte that says "nothing yet" on the local channel (SYN: the link
    // is idle), one per receive that finds nothing.
    static constexpr std::uint8_t kNothingYet = 0x16;
    // Noise for marker-offset: no zero byte, CR, LF, ';' or SYN, so the
    // replies' readers can still find what follows it.
    static std::vector<std::uint8_t> Noise(int length);

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
    // The transport faults on a local-channel answer: "nothing yet" bytes,
    // the stale answer, noise, pieces. `query` is true for query replies,
    // `marked` for answers that start with a marker (or are a reply text).
    void ShapeLocal(Answer& answer, bool query, bool marked);
    // The same on SNMP: `empty` is the response with an empty value that
    // says "nothing yet".
    void ShapeSnmp(Answer& answer, const std::vector<std::uint8_t>& empty, bool query);

    // The last query answer of each channel kind, for stale-reply.
    std::vector<std::uint8_t> m_lastLocal;
    std::vector<std::uint8_t> m_lastSnmp;

    CPrinterCore& m_core;
};

} // namespace vprinter
