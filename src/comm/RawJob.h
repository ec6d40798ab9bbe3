#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The document name of every command job the utility sends.
constexpr const char* kRawJobDocumentName = "ZAMU Command";

// Sends `length` bytes unchanged to the printer as one raw print job named
// "ZAMU Command", through the current spooler. Returns 0 when every byte was
// accepted, -1 otherwise (no such printer, the job could not be started, a
// failed or short write, or the job could not be ended). A job whose bytes
// did not all go in is cancelled, so nothing of it is printed. The printer
// is closed again in every case.
int SendRawJob(const std::string& printer, const std::uint8_t* data, std::size_t length);
