#pragma once

#include "firmware/FirmwareImage.h"

#include <cstdint>
#include <functional>
#include <string>

// How sending an image file as a firmware job ended.
enum class FirmwareSend {
    Sent,           // the spooler took the whole job
    CannotOpen,     // the file could not be opened or read
    NoMemory,       // no room for a piece of it
    BadImage,       // the bytes read fail the image checks
    BadVersionMark, // ... the version mark
    Changed,        // they pass, but are not the bytes checked before
    NotSent,        // the spooler did not take the job
};

// Sends an image file as one firmware job: the head (fill block unless the
// printer says "I00000", then the escape header), then the file, read and
// written in pieces so it is never held whole. Every byte is checked again
// on its way out: the job is handed over only when the bytes sent pass the
// image checks and are the bytes `checked` describes; otherwise the spooler
// drops the job and nothing of it reaches the printer. `sending` hears the
// job's size before the first byte goes; `jobBytes` is what was handed over.
FirmwareSend SendFirmwareJob(const std::string& printer, const std::string& path,
                             const std::string& printerVersion, const UpgScan& checked,
                             std::uint64_t& jobBytes,
                             const std::function<void(std::uint64_t)>& sending = {});
