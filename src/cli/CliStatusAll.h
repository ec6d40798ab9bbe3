#pragma once

#include "cli/CliContext.h"
#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"
#include "platform/Spooler.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace cli {

class CliLibraryShelf;

// One printer's answer to the status query.
struct PrinterStatus {
    SpoolerPrinter printer;
    int exitCode = kExitNoAnswer; // kExitOk: answered; kExitNotSupported: no library; kExitNoAnswer
    std::string problem; // why not, in the words of `status PRINTER` ("gave no status record")
    std::string neutralProblem; // the same in English, for --json
    std::int32_t channelType = CPrinterLink::kChannelNone;
    CStatusReply status;
};

// Told, from the asking threads, when each printer's query begins and when
// it has ended (by its place in the list).
class StatusQueryObserver {
public:
    virtual ~StatusQueryObserver() = default;
    virtual void QueryBegins(std::size_t index) = 0;
    virtual void QueryEnds(std::size_t index) = 0;
};

// How many printers are asked at the same time at most: enough that a long
// list of printers costs about as long as its slowest one, few enough that
// threads and sockets stay within bounds.
constexpr int kMaxStatusQueries = 64;

// Asks one printer for its status record: with the shelf's plain binding
// first, with its driver folder's when no channel opens with that.
PrinterStatus AskPrinterStatus(const SpoolerPrinter& printer, CliLibraryShelf& shelf);

// Asks every printer, up to `maxConcurrent` at a time (1: one after another
// on this thread), each on its own thread with its own channel. The answers
// come back in the printers' order, whatever order they arrive in. A
// printer that does not answer holds up only its own thread.
std::vector<PrinterStatus> AskAllPrinterStatus(const std::vector<SpoolerPrinter>& printers,
                                               CliLibraryShelf& shelf,
                                               int maxConcurrent = kMaxStatusQueries,
                                               StatusQueryObserver* observer = nullptr);

// One printer's status as `status PRINTER` shows it: the text block, and the
// members of its JSON object (without the braces).
void WriteStatusText(std::ostream& out, const std::string& printer, std::int32_t channelType,
                     const CStatusReply& status);
std::string StatusJsonMembers(const std::string& printer, std::int32_t channelType,
                              const CStatusReply& status);
const char* ChannelName(std::int32_t type);

// `status --all [--json]`: every supported printer of the spooler at once.
// Exit 0 when every one answered, kExitNoAnswer when at least one did not,
// kExitNotSupported when none is installed or none answered for want of
// the library.
int StatusAll(Context& c);

} // namespace cli
