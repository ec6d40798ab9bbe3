#include "firmware/FirmwareJob.h"

#include "base/CRegularFileReader.h"
#include "comm/CRawJobStream.h"
#include "firmware/CUpgScanner.h"

#include <new>
#include <vector>

FirmwareSend SendFirmwareJob(const std::string& printer, const std::string& path,
                             const std::string& printerVersion, const UpgScan& checked,
                             std::uint64_t& jobBytes,
                             const std::function<void(std::uint64_t)>& sending) {
    jobBytes = 0;
    CRegularFileReader reader;
    switch (reader.Open(path, kUpgMaxFileBytes)) {
    case RegularFile::Result::Ok:
        break;
    case RegularFile::Result::TooLarge:
        return FirmwareSend::BadImage;
    default:
        return FirmwareSend::CannotOpen;
    }
    std::vector<std::uint8_t> chunk;
    try {
        chunk.resize(kUpgChunkBytes);
    } catch (const std::bad_alloc&) {
        return FirmwareSend::NoMemory;
    }

    std::uint8_t head[kFirmwareJobHeadRoom];
    const int headLength = BuildFirmwareJobHead(head, sizeof head, printerVersion);
    if (sending) sending(static_cast<std::uint64_t>(headLength) + checked.size);
    CRawJobStream job;
    if (!job.Start(printer) || !job.Write(head, static_cast<std::size_t>(headLength)))
        return FirmwareSend::NotSent;

    CUpgScanner scanner;
    for (;;) {
        std::size_t got = 0;
        const RegularFile::Result read = reader.Next(chunk.data(), chunk.size(), got);
        if (read == RegularFile::Result::TooLarge)
            return FirmwareSend::BadImage; // the job is dropped
        if (read != RegularFile::Result::Ok) return FirmwareSend::CannotOpen;
        if (got == 0) break;
        scanner.Feed(chunk.data(), got);
        // Grown beyond what was checked: no need to send the rest.
        if (scanner.Size() > checked.size) return FirmwareSend::Changed;
        if (!job.Write(chunk.data(), got)) return FirmwareSend::NotSent;
    }

    std::string version;
    switch (scanner.Result(version)) {
    case kUpgValid:
        break;
    case kUpgBadVersionMark:
        return FirmwareSend::BadVersionMark;
    default:
        return FirmwareSend::BadImage;
    }
    UpgScan sent;
    sent.size = scanner.Size();
    sent.digest = scanner.Digest();
    if (!sent.SameBytes(checked)) return FirmwareSend::Changed;
    if (job.Finish() != 0) return FirmwareSend::NotSent;
    jobBytes = static_cast<std::uint64_t>(headLength) + sent.size;
    return FirmwareSend::Sent;
}
