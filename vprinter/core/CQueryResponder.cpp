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
        return answer;
    }
    if (name == "DI") {
        const std::string id = DeviceId();
        const std::size_t n = id.size() + 2;
        answer.bytes.push_back(static_cast<std::uint8_t>(n >> 8));
        answer.bytes.push_back(static_cast<std::uint8_t>(n & 0xFF));
        answer.bytes.insert(answer.bytes.end(), id.begin(), id.end());
        answer.send = true;
        return answer;
    }
    std::string text = QueryReply(name, params);
    if (text.empty()) return answer;
    if (m_core.CurrentFaults().garbledReply) Garble(text);
    answer.bytes.assign(text.begin(), text.end());
    answer.delayMs = m_core.CurrentFaults().lateReplyMs;
    answer.send = true;
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
            response.value = std::string(snmpv1::kReplyMarker) + text;
            answer.delayMs = m_core.CurrentFaults().lateReplyMs;
        }
    } else if (request.oid == snmpv1::StatusOid()) {
        const std::vector<std::uint8_t> status = StatusReply();
        response.valueType = snmpv1::kTypeOctetString;
        response.value.assign(status.begin(), status.end());
    } else if (request.oid == snmpv1::DeviceIdOid()) {
        response.valueType = snmpv1::kTypeOctetString;
        response.value = DeviceId();
    } else {
        response.errorStatus = snmpv1::kNoSuchName;
        response.errorIndex = 1;
    }
    answer.bytes = snmpv1::Encode(response);
    answer.send = true;
    return answer;
}

} // namespace vprinter
