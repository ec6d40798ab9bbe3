// The virtual printer's raw job port and local channel: any bytes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "CVirtualPrinter.h"
#include "JobParser.h"

namespace {

vprinter::CVirtualPrinter& Printer() {
    static std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-vprinter-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    static vprinter::CVirtualPrinter printer({folder, {}, 0.0, false, vprinter::Model::CorvanMax7100}, [] {
        return std::int64_t{0};
    });
    return printer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vprinter::ParsedJob parsed = vprinter::ParseJob(data, size);
    for (const vprinter::JobItem& item : parsed.items)
        if (item.offset + item.length > size) std::abort();

    // What prints goes to files; keep the folder from growing without end.
    static int runs = 0;
    vprinter::CVirtualPrinter& printer = Printer();
    if (++runs % 500 == 0) {
        const std::string output = printer.Control("GET output")[0].substr(3);
        std::error_code ec;
        std::filesystem::remove_all(output, ec);
        std::filesystem::create_directories(output, ec);
    }
    printer.ExecuteJob(data, size);

    std::vector<std::uint8_t> stream(data, data + size);
    std::string name;
    std::vector<std::uint8_t> params;
    while (vprinter::TakeCommand(stream, name, params)) printer.AnswerLocal(name, params);
    return 0;
}
