// The virtual printer's raw job port and local channel: any bytes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "CVirtualPrinter.h"
#include "JobParser.h"

namespace {

char g_folder[256];

vprinter::CVirtualPrinter& Printer() {
    static vprinter::CVirtualPrinter* printer = [] {
        const std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-vprinter-XXXXXX").string();
        if (pattern.size() >= sizeof g_folder) std::abort();
        pattern.copy(g_folder, pattern.size());
        if (!mkdtemp(g_folder)) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(g_folder, ec);
        });
        // Nothing is written to disk: the state stays in memory.
        return new vprinter::CVirtualPrinter({g_folder, {}, 0.0, false, vprinter::Model::CorvanMax7100, false},
                                             [] { return std::int64_t{0}; });
    }();
    return *printer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vprinter::ParsedJob parsed = vprinter::ParseJob(data, size);
    for (const vprinter::JobItem& item : parsed.items)
        if (item.offset + item.length > size) std::abort();

    vprinter::CVirtualPrinter& printer = Printer();
    printer.ExecuteJob(data, size);

    std::vector<std::uint8_t> stream(data, data + size);
    std::string name;
    std::vector<std::uint8_t> params;
    while (vprinter::TakeCommand(stream, name, params)) printer.AnswerLocal(name, params);
    return 0;
}
