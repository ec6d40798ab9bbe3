#include "CQueryResponder.h"

#include "JobParser.h"
#include "SnmpV1.h"

#include <algorithm>

namespace vprinter {

std::vector<std::uint8_t> CQueryResponder::StatusReply() const {
    std::vector<std::uint8_t> reply = BuildStatusReply(m_core.Status());
    if (m_core.CurrentFaults().truncatedStatus) {
        // The header and the first field arrive; the length still claims all.
        const std::size_t header = std::char_traits<char>::length(kStatusHeader);
        reply.resize(std::min(reply.size(), header + 2 + 3));
    }
    return reply;
}

std::string CQueryResponder::DeviceId() const {
    const Model model = m_core.Working().model;
    return BuildDeviceId(model, m_core.CurrentFaults().wrongDeviceId ? "ORVEX Lumen 2400"
                                                                     : ModelDriverName(model));
}

std::vector<std::uint8_t> CQueryResponder::Noise(int length) {
    static constexpr std::uint8_t kPattern[] = {0xFF, '#', 0xFE, '~', '*', 0x7F, '%', '!'};
    std::vector<std::uint8_t> noise(static_cast<std::size_t>(std::max(0, length)));
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = kPattern[i % sizeof kPattern];
    return noise;
}

void CQueryResponder::ShapeLocal(Answer& answer, bool query, bool marked) {
    const Faults& f = m_core.CurrentFaults();
    const std::vector<std::uint8_t> current = answer.bytes;
    std::vector<std::uint8_t> stale;
    if (query) {
        if (f.staleReply) stale = m_lastLocal;
        m_lastLocal = current;
    }
    if (!f.nothingYetCount && !f.markerOffsetBytes && !f.splitReplyBytes && stale.empty()) return;
    std::vector<Piece> pieces;
    int at = answer.delayMs;
    // One SYN per receive that finds nothing: they come one gap apart.
    for (int i = 0; i < f.nothingYetCount; ++i, at += kPieceGapMs)
        pieces.push_back({at, {kNothingYet}});
    if (!stale.empty()) {
        pieces.push_back({at, stale});
        at += kPieceGapMs;
    }
    std::vector<std::uint8_t> body =
        marked ? Noise(f.markerOffsetBytes) : std::vector<std::uint8_t>{};
    body.insert(body.end(), current.begin(), current.end());
    if (f.splitReplyBytes > 0) {
        const std::size_t step = static_cast<std::size_t>(f.splitReplyBytes);
        for (std::size_t i = 0; i < body.size(); i += step, at += kPieceGapMs)
            pieces.push_back(
                {at, std::vector<std::uint8_t>(
                         body.begin() + static_cast<long>(i),
                         body.begin() + static_cast<long>(std::min(body.size(), i + step)))});
    } else {
        pieces.push_back({at, body});
    }
    answer.pieces = std::move(pieces);
}

void CQueryResponder::ShapeSnmp(Answer& answer, const std::vector<std::uint8_t>& empty,
                                bool query) {
    const Faults& f = m_core.CurrentFaults();
    std::vector<std::uint8_t> stale;
    if (query) {
        if (f.staleReply) stale = m_lastSnmp;
        m_lastSnmp = answer.bytes;
    }
    if (!f.nothingYetCount && stale.empty()) return;
    std::vector<Piece> pieces;
    int at = answer.delayMs;
    for (int i = 0; i < f.nothingYetCount; ++i, at += kPieceGapMs)
        pieces.push_back({at, empty});
    if (!stale.empty()) {
        pieces.push_back({at, stale});
        at += kPieceGapMs;
    }
    pieces.push_back({at, answer.bytes});
    answer.pieces = std::move(pieces);
}

void CQueryResponder::Garble(std::string& text) const {
    for (std::size_t i = 0; i < text.size(); i += 2)
        text[i] = static_cast<char>(text[i] ^ 0x2A);
}

std::string CQueryResponder::QueryReply(const std::string& name,
                                        const std::vector<std::uint8_t>& p) {
    m_core.AddLog("query " + name + (p.empty() ? "" : " " + SpacedHex(p)));
    if (m_core.CurrentFaults().noReply) return {};
    const PrinterState& state = m_core.Working();
    if (name == "VI" && p.size() == 2 && p[0] == 0x01) return ReplyVersion(state.firmware);
    if (name == "SN" && p.size() == 2 && p[0] == 0x01 && p[1] == 0x01)
        return ReplySN(state.snLevel);
    if (name == "EX" && p.size() == 7 && p[0] == 0x01) {
        const int n = p[5];
        if (p[4] == 0x1B) {
            if (n >= 0x80 && n < 0x8A)
                return ReplySlotSettings(state.slots[static_cast<std::size_t>(n - 0x80)].data);
            return ReplySlotSettings(MediaSettings(state, n));
        }
        if (p[4] == 0x1D) return ReplyNameList(state, n);
    }
    if (name == "JI" && p.size() == 2 && p[0] == 0x01) {
        const std::size_t k = p[1];
        const JobRecord* job =
            k < state.jobs.size() ? &state.jobs[state.jobs.size() - 1 - k] : nullptr;
        return ReplyJob(job, static_cast<int>(k));
    }
    return ReplyUnknown(name);
}

CQueryResponder::Answer CQueryResponder::AnswerLocal(const std::string& name,
                                                     const std::vector<std::uint8_t>& params) {
    Answer answer;
    if (m_core.IsOffline()) return answer;
    if (name == "ST") {
        answer.bytes = StatusReply();
        answer.send = true;
        ShapeLocal(answer, false, true);
        return answer;
    }
    if (name == "DI") {
        const std::string id = DeviceId();
        const std::size_t n = id.size() + 2;
        answer.bytes.push_back(static_cast<std::uint8_t>(n >> 8));
        answer.bytes.push_back(static_cast<std::uint8_t>(n & 0xFF));
        answer.bytes.insert(answer.bytes.end(), id.begin(), id.end());
        answer.send = true;
        // The device id starts with its length, not with a marker.
        ShapeLocal(answer, false, false);
        return answer;
    }
    std::string text = QueryReply(name, params);
    if (text.empty()) return answer;
    if (m_core.CurrentFaults().garbledReply) Garble(text);
    answer.bytes.assign(text.begin(), text.end());
    answer.delayMs = m_core.CurrentFaults().lateReplyMs;
    answer.send = true;
    ShapeLocal(answer, true, true);
    return answer;
}

CQueryResponder::Answer CQueryResponder::AnswerSnmp(const std::uint8_t* data, std::size_t length) {
    Answer answer;
    if (m_core.IsOffline()) return answer;
    snmpv1::Message request;
    if (!snmpv1::Decode(data, length, request)) {
        m_core.AddLog("snmp refused: malformed message");
        return answer;
    }
    if (request.community != snmpv1::kCommunity) {
        m_core.AddLog("snmp refused: community");
        return answer;
    }
    if (request.pduType != snmpv1::kGetRequest) {
        m_core.AddLog("snmp refused: not a GetRequest");
        return answer;
    }
    snmpv1::Message response;
    response.community = request.community;
    response.pduType = snmpv1::kGetResponse;
    response.requestId = request.requestId;
    response.oid = request.oid;
    const std::vector<std::uint8_t> noiseBytes = Noise(m_core.CurrentFaults().markerOffsetBytes);
    const std::string noise(noiseBytes.begin(), noiseBytes.end());
    bool query = false;
    std::vector<std::uint8_t> command;
    if (snmpv1::UnwrapCommand(request.oid, command)) {
        std::vector<std::uint8_t> buffer = command;
        std::string name;
        std::vector<std::uint8_t> params;
        if (!TakeCommand(buffer, name, params) || !buffer.empty()) {
            response.errorStatus = snmpv1::kNoSuchName;
            response.errorIndex = 1;
        } else {
            std::string text = QueryReply(name, params);
            if (text.empty()) return answer;
            if (m_core.CurrentFaults().garbledReply) Garble(text);
            response.valueType = snmpv1::kTypeOctetString;
            response.value = noise + std::string(snmpv1::kReplyMarker) + text;
            answer.delayMs = m_core.CurrentFaults().lateReplyMs;
            query = true;
        }
    } else if (request.oid == snmpv1::StatusOid()) {
        const std::vector<std::uint8_t> status = StatusReply();
        response.valueType = snmpv1::kTypeOctetString;
        response.value = noise + std::string(status.begin(), status.end());
    } else if (request.oid == snmpv1::DeviceIdOid()) {
        response.valueType = snmpv1::kTypeOctetString;
        response.value = DeviceId();
    } else {
        response.errorStatus = snmpv1::kNoSuchName;
        response.errorIndex = 1;
    }
    answer.bytes = snmpv1::Encode(response);
    answer.send = true;
    if (response.errorStatus == snmpv1::kNoError) {
        // "Nothing yet": the same response with an empty value.
        snmpv1::Message empty = response;
        empty.value.clear();
        ShapeSnmp(answer, snmpv1::Encode(empty), query);
    }
    return answer;
}

} // namespace vprinter
