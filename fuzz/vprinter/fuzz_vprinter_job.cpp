// The virtual printer's raw job port and local channel: any bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzPrinter.h"
#include "JobParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vprinter::ParsedJob parsed = vprinter::ParseJob(data, size);
    for (const vprinter::JobItem& item : parsed.items)
        if (item.offset + item.length > size) std::abort();

    vprinter::CVirtualPrinter& printer = FuzzPrinter();
    printer.ExecuteJob(data, size);

    std::vector<std::uint8_t> stream(data, data + size);
    std::string name;
    std::vector<std::uint8_t> params;
    while (vprinter::TakeCommand(stream, name, params)) printer.AnswerLocal(name, params);
    return 0;
}
