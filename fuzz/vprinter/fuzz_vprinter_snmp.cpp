// The virtual printer's SNMP agent: any datagram.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "CVirtualPrinter.h"
#include "SnmpV1.h"

namespace {

char g_folder[256];

vprinter::CVirtualPrinter& Printer() {
    static vprinter::CVirtualPrinter* printer = [] {
        const std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-vprinter-snmp-XXXXXX").string();
        if (pattern.size() >= sizeof g_folder) std::abort();
        pattern.copy(g_folder, pattern.size());
        if (!mkdtemp(g_folder)) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(g_folder, ec);
        });
        return new vprinter::CVirtualPrinter({g_folder, {}, 0.0, false, vprinter::Model::CorvanMax7100, false},
                                             [] { return std::int64_t{0}; });
    }();
    return *printer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto answer = Printer().AnswerSnmp(data, size);
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
