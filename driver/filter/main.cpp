// orvex-sheetfilter: the CUPS filter of the ORVEX driver for page data.
//
//   orvex-sheetfilter JOB USER TITLE COPIES OPTIONS [FILE]
//
// Reads a PDF (FILE, else standard input) and writes it to standard output
// behind a sheet header that carries the job's driver settings (see
// SheetHeader.h), once per copy. The queue's PPD comes from the PPD
// environment variable. Messages go to standard error with the prefixes CUPS
// reads (ERROR:, WARNING:, INFO:); exit status 0 when the whole job was
// written, 1 otherwise.

#include "SheetHeader.h"
#include "SheetOptions.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cups/cups.h>
#include <string>
#include <vector>

using namespace sheetfilter;

namespace {

// More copies than anyone prints of a sample sheet: a larger count is cut.
constexpr long kMaxCopies = 999;
// A PDF's mark may come after some bytes of other things.
constexpr std::size_t kMarkWindow = 1024;

int Fail(const std::string& message) {
    std::fprintf(stderr, "ERROR: %s\n", message.c_str());
    return 1;
}

long Copies(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    if (errno || !end || *end || n < 1) return 1;
    return n > kMaxCopies ? kMaxCopies : n;
}

bool WriteAll(const void* data, std::size_t size, std::FILE* out = stdout) {
    return size == 0 || std::fwrite(data, 1, size, out) == size;
}

// Copies the rest of `in` to `out`.
bool Copy(std::FILE* in, std::FILE* out = stdout) {
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        if (n && !WriteAll(buffer.data(), n, out)) return false;
        if (n < buffer.size()) return !std::ferror(in);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
        return 1;
    }
    // A backend that went away shows as a failed write, not as a signal.
    std::signal(SIGPIPE, SIG_IGN);

    const char* ppdPath = std::getenv("PPD");
    if (!ppdPath || !*ppdPath) return Fail("The queue has no PPD file (PPD is not set).");
    const auto ppd = ReadSheetPpd(ppdPath);
    if (!ppd) return Fail(std::string("Cannot read the PPD file ") + ppdPath + ".");

    cups_option_t* options = nullptr;
    const int count = cupsParseOptions(argv[5], 0, &options);
    std::vector<std::string> warnings;
    const SheetSettings settings = SettingsFromOptions(*ppd, options, count, argv[3], warnings);
    cupsFreeOptions(count, options);
    for (const std::string& w : warnings)
        std::fprintf(stderr, "WARNING: %s\n", w.c_str());

    std::uint8_t header[kSheetMaxSize];
    const std::size_t headerSize = BuildSheetHeader(settings, header, sizeof header);
    if (!headerSize) return Fail("Cannot build the sheet header.");

    std::FILE* in = stdin;
    if (argc == 7) {
        in = std::fopen(argv[6], "rb");
        if (!in)
            return Fail(std::string("Cannot open the document: ") + std::strerror(errno) + ".");
    }
    const long copies = Copies(argv[4]);
    // Each copy reads the document again: standard input goes to a
    // temporary file first.
    if (copies > 1 && in == stdin) {
        std::FILE* spool = std::tmpfile();
        if (!spool) return Fail("No room for the document's copies.");
        if (!Copy(stdin, spool) || std::fflush(spool) != 0 || std::fseek(spool, 0, SEEK_SET) != 0)
            return Fail("Cannot keep the document for its copies.");
        in = spool;
    }
    char start[kMarkWindow];
    const std::size_t got = std::fread(start, 1, sizeof start, in);
    if (got == 0) return Fail("The document is empty.");
    if (!memmem(start, got, "%PDF-", 5)) return Fail("The document is not a PDF file.");

    std::fprintf(stderr, "INFO: Sheet settings: media %u, print mode %u, paper bytes %s\n",
                 settings.fields & kFieldMedia ? settings.mediaValue : 0u,
                 settings.fields & kFieldMode ? settings.printMode : 0u,
                 settings.fields & kFieldPaper ? "given" : "the printer's own");
    for (long copy = 0; copy < copies; ++copy) {
        // The first copy goes on from the bytes already read; the others
        // read the document from its start.
        if (copy > 0 && std::fseek(in, 0, SEEK_SET) != 0)
            return Fail("Cannot read the document again.");
        const bool written = WriteAll(header, headerSize) && (copy > 0 || WriteAll(start, got)) &&
                             Copy(in) && std::fflush(stdout) == 0;
        if (!written)
            return Fail(std::string("Cannot write the job: ") + std::strerror(errno) + ".");
    }
    if (in != stdin) std::fclose(in);
    return 0;
}
