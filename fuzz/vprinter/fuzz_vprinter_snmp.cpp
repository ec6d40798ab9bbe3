// The virtual printer's SNMP agent: any datagram.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzPrinter.h"
#include "SnmpV1.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = FuzzPrinter().AnswerSnmp(data, size);
    if (answer.send) {
        // Whatever it sends is a well-formed message.
        snmpv1::Message response;
        if (!snmpv1::Decode(answer.bytes.data(), answer.bytes.size(), response)) std::abort();
    }
    snmpv1::Message message;
    if (snmpv1::Decode(data, size, message)) {
        std::vector<std::uint8_t> command;
        snmpv1::UnwrapCommand(message.oid, command);
        const auto again = snmpv1::Encode(message);
        snmpv1::Message back;
        if (!snmpv1::Decode(again.data(), again.size(), back)) std::abort();
    }
    return 0;
}
