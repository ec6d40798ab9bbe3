#include "SnmpV1.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/types.h>
#include <net-snmp/library/asn1.h>

#include <mutex>

namespace snmpv1 {

namespace {

// net-snmp's ASN.1 readers note why they refused a message in one static
// buffer of the library (snmp_set_detail); channels decode on their own
// threads, so one decode runs at a time.
std::mutex g_decodeMutex;

std::vector<std::uint32_t> MakerOid(std::uint32_t last) {
    return {1, 3, 6, 1, 4, 1, TQ_SNMP_ENTERPRISE, 1, 2, 2, 40, 1, 1, last};
}

void PutLength(std::vector<std::uint8_t>& out, std::size_t length) {
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
        return;
    }
    std::uint8_t bytes[sizeof(std::size_t)];
    int n = 0;
    while (length) {
        bytes[n++] = static_cast<std::uint8_t>(length & 0xFF);
        length >>= 8;
    }
    out.push_back(static_cast<std::uint8_t>(0x80 | n));
    while (n) out.push_back(bytes[--n]);
}

void PutTlv(std::vector<std::uint8_t>& out, std::uint8_t type, const std::vector<std::uint8_t>& content) {
    out.push_back(type);
    PutLength(out, content.size());
    out.insert(out.end(), content.begin(), content.end());
}

std::vector<std::uint8_t> Integer(long value) {
    std::vector<std::uint8_t> bytes;
    // Big-endian two's complement, shortest form.
    for (int shift = (sizeof(long) - 1) * 8; shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>((static_cast<unsigned long>(value) >> shift) & 0xFF));
    std::size_t start = 0;
    while (start + 1 < bytes.size() &&
           ((bytes[start] == 0x00 && !(bytes[start + 1] & 0x80)) ||
            (bytes[start] == 0xFF && (bytes[start + 1] & 0x80))))
        ++start;
    std::vector<std::uint8_t> out;
    PutTlv(out, 0x02, std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(start), bytes.end()));
    return out;
}

std::vector<std::uint8_t> ObjectId(const std::vector<std::uint32_t>& oid) {
    std::vector<std::uint8_t> content;
    if (oid.size() >= 2) {
        std::vector<std::uint32_t> subs;
        subs.push_back(oid[0] * 40 + oid[1]);
        subs.insert(subs.end(), oid.begin() + 2, oid.end());
        for (std::uint32_t sub : subs) {
            std::uint8_t groups[5];
            int n = 0;
            do {
                groups[n++] = static_cast<std::uint8_t>(sub & 0x7F);
                sub >>= 7;
            } while (sub);
            while (n) {
                --n;
                content.push_back(static_cast<std::uint8_t>(groups[n] | (n ? 0x80 : 0)));
            }
        }
    }
    std::vector<std::uint8_t> out;
    PutTlv(out, 0x06, content);
    return out;
}

void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& more) {
    out.insert(out.end(), more.begin(), more.end());
}

} // namespace

std::vector<std::uint32_t> CommandOid() { return MakerOid(2); }
std::vector<std::uint32_t> StatusOid() { return MakerOid(1); }
std::vector<std::uint32_t> DeviceIdOid() { return {1, 3, 6, 1, 4, 1, 2699, 1, 2, 1, 2, 1, 1, 3, 1}; }

bool Decode(const std::uint8_t* data, std::size_t length, Message& out) {
    if (!data || length == 0 || length > 65535) return false;
    std::lock_guard<std::mutex> lock(g_decodeMutex);
    // The net-snmp readers take non-const pointers but do not write.
    std::vector<u_char> copy(data, data + length);
    u_char* p = copy.data();
    size_t rem = copy.size();
    u_char type = 0;

    // The readers leave the content length of a constructed value in `rem`;
    // each one must end where its parent ends, and the message where the
    // datagram ends.
    p = asn_parse_sequence(p, &rem, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "message");
    if (!p) return false;
    const u_char* const messageEnd = p + rem;
    if (messageEnd != copy.data() + copy.size()) return false;
    long version = -1;
    p = asn_parse_int(p, &rem, &type, &version, sizeof(version));
    if (!p || type != ASN_INTEGER || version != 0) return false;

    u_char community[256];
    size_t communityLength = sizeof(community);
    p = asn_parse_string(p, &rem, &type, community, &communityLength);
    if (!p || type != ASN_OCTET_STR) return false;

    if (rem < 1) return false;
    const u_char pduType = *p;
    if (pduType < 0xA0 || pduType > 0xA3) return false;
    p = asn_parse_header(p, &rem, &type);
    if (!p || p + rem != messageEnd) return false;
    const u_char* const pduEnd = p + rem;

    long requestId = 0, errorStatus = 0, errorIndex = 0;
    p = asn_parse_int(p, &rem, &type, &requestId, sizeof(requestId));
    if (!p || type != ASN_INTEGER) return false;
    p = asn_parse_int(p, &rem, &type, &errorStatus, sizeof(errorStatus));
    if (!p || type != ASN_INTEGER) return false;
    p = asn_parse_int(p, &rem, &type, &errorIndex, sizeof(errorIndex));
    if (!p || type != ASN_INTEGER) return false;

    p = asn_parse_sequence(p, &rem, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "varbind list");
    if (!p || p + rem != pduEnd) return false;
    p = asn_parse_sequence(p, &rem, &type, ASN_SEQUENCE | ASN_CONSTRUCTOR, "varbind");
    if (!p || p + rem != pduEnd) return false;

    oid name[MAX_OID_LEN];
    size_t nameLength = MAX_OID_LEN;
    p = asn_parse_objid(p, &rem, &type, name, &nameLength);
    if (!p || type != ASN_OBJECT_ID) return false;

    if (rem < 1) return false;
    const u_char valueType = *p;
    std::string value;
    if (valueType == ASN_NULL) {
        p = asn_parse_null(p, &rem, &type);
        if (!p) return false;
    } else if (valueType == ASN_OCTET_STR) {
        std::vector<u_char> buffer(rem);
        size_t valueLength = buffer.size();
        p = asn_parse_string(p, &rem, &type, buffer.data(), &valueLength);
        if (!p) return false;
        value.assign(reinterpret_cast<const char*>(buffer.data()), valueLength);
    } else {
        return false;
    }
    // Exactly one binding: nothing may follow it.
    if (rem != 0 || p != pduEnd) return false;

    out.version = version;
    out.community.assign(reinterpret_cast<const char*>(community), communityLength);
    out.pduType = pduType;
    out.requestId = requestId;
    out.errorStatus = errorStatus;
    out.errorIndex = errorIndex;
    out.oid.clear();
    for (size_t i = 0; i < nameLength; ++i) {
        if (name[i] > 0xFFFFFFFFul) return false;
        out.oid.push_back(static_cast<std::uint32_t>(name[i]));
    }
    out.valueType = valueType;
    out.value = std::move(value);
    return true;
}

std::vector<std::uint8_t> Encode(const Message& message) {
    std::vector<std::uint8_t> value;
    if (message.valueType == kTypeOctetString) {
        PutTlv(value, 0x04, std::vector<std::uint8_t>(message.value.begin(), message.value.end()));
    } else {
        value = {0x05, 0x00};
    }
    std::vector<std::uint8_t> binding = ObjectId(message.oid);
    Append(binding, value);
    std::vector<std::uint8_t> bindingTlv;
    PutTlv(bindingTlv, 0x30, binding);
    std::vector<std::uint8_t> list;
    PutTlv(list, 0x30, bindingTlv);

    std::vector<std::uint8_t> pdu = Integer(message.requestId);
    Append(pdu, Integer(message.errorStatus));
    Append(pdu, Integer(message.errorIndex));
    Append(pdu, list);

    std::vector<std::uint8_t> body = Integer(message.version);
    PutTlv(body, 0x04, std::vector<std::uint8_t>(message.community.begin(), message.community.end()));
    PutTlv(body, message.pduType, pdu);

    std::vector<std::uint8_t> out;
    PutTlv(out, 0x30, body);
    return out;
}

bool UnwrapCommand(const std::vector<std::uint32_t>& oid, std::vector<std::uint8_t>& command) {
    const std::vector<std::uint32_t> prefix = CommandOid();
    if (oid.size() <= prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (oid[i] != prefix[i]) return false;
    // An escaped pair 81 xx on the wire is the encoded sub-identifier
    // 80 + xx, so every sub-identifier of the tail is one byte.
    std::vector<std::uint8_t> tail;
    for (std::size_t i = prefix.size(); i < oid.size(); ++i) {
        if (oid[i] > 0xFF) return false;
        tail.push_back(static_cast<std::uint8_t>(oid[i]));
    }
    if (tail.size() < 4 || tail[1] != 0x08) return false;
    const std::size_t length = (static_cast<std::size_t>(tail[2]) << 8) | tail[3];
    if (length != tail.size() - 4 || tail[0] != static_cast<std::uint8_t>(length + 3)) return false;
    command.assign(tail.begin() + 4, tail.end());
    return true;
}

std::vector<std::uint32_t> WrapCommand(const std::uint8_t* command, std::size_t length) {
    std::vector<std::uint32_t> oid = CommandOid();
    std::vector<std::uint8_t> tail = {static_cast<std::uint8_t>(length + 3), 0x08,
                                      static_cast<std::uint8_t>((length >> 8) & 0xFF),
                                      static_cast<std::uint8_t>(length & 0xFF)};
    tail.insert(tail.end(), command, command + length);
    for (std::uint8_t b : tail) oid.push_back(b); // encodes as 81 (b - 80) for b >= 80
    return oid;
}

} // namespace snmpv1
