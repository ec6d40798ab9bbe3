// The printer's status buffer: text header, CR LF, binary status record.
#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // As the library hands it over: a 256-byte buffer, zero-filled.
    std::uint8_t buffer[CPrinterLink::kStatusBufferSize] = {};
    std::memcpy(buffer, data, size < sizeof buffer ? size : sizeof buffer);
    CStatusReply reply;
    AssignStatusBuffer(buffer, sizeof buffer, reply);
    volatile int sink = reply.IsReady() + reply.IsStatusCodeZero() + reply.HasField0DBelow13() +
                        reply.InkSlotCount() + reply.IsInkLow() + reply.StateCode();
    for (const auto& f : reply.Fields()) sink = sink + f.At(0) + f.At(f.size - 1);
    // The record on its own, at its exact size.
    CStatusReply exact;
    exact.Assign(data, size);
    sink = sink + exact.IsInkLow() + exact.InkSlotCount() + exact.HasField0DBelow13();
    (void)sink;
    return 0;
}
