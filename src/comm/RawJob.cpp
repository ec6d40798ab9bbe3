#include "comm/RawJob.h"

#include "platform/Spooler.h"

int SendRawJob(const std::string& printer, const std::uint8_t* data, std::size_t length) {
    Spooler& spooler = Spooler::Current();
    const Spooler::Handle handle = spooler.OpenPrinter(printer);
    if (handle == 0) return -1;

    int result = -1;
    if (spooler.StartRawDocument(handle, kRawJobDocumentName) > 0) {
        const std::int64_t written = spooler.WriteDocument(handle, data, length);
        if (written >= 0 && static_cast<std::uint64_t>(written) == length) {
            // A job the spooler would not end did not reach the printer either.
            result = spooler.EndDocument(handle) ? 0 : -1;
        } else {
            // A command job cut short must not reach the printer: the printer
            // would run its first commands and perhaps stay in remote mode.
            spooler.CancelDocument(handle);
        }
    }
    spooler.ClosePrinter(handle);
    return result;
}
