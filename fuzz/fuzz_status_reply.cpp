// The printer's status buffer: text header, CR LF, binary status record.
#include "comm/CPrinterLink.h"
#include "comm/CStatusReply.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // As the library hands it over: a 256-byte buffer, zero-filled, and the
    // count of bytes it placed.
    std::uint8_t buffer[CPrinterLink::kStatusBufferSize] = {};
    const std::size_t received = size < sizeof buffer ? size : sizeof buffer;
    std::memcpy(buffer, data, received);
    CStatusReply reply;
    AssignStatusBuffer(buffer, static_cast<int>(received), reply);
    volatile int sink = reply.IsReady() + reply.IsStatusCodeZero() + reply.HasField0DBelow13() +
                        reply.InkSlotCount() + reply.IsInkLow() + reply.StateCode();
    for (const auto& f : reply.Fields()) sink = sink + f.At(0) + f.At(f.size - 1);
    // The record on its own, at its exact size.
    CStatusReply exact;
    exact.Assign(data, size);
    sink = sink + exact.IsInkLow() + exact.InkSlotCount() + exact.HasField0DBelow13() + exact.MaintenanceTankFree();
    for (const auto& ink : exact.InkEntries())
        sink = sink + ink.level + CStatusReply::InkColourName(ink.colour, exact.InkSlotCount())[0];
    (void)sink;
    return 0;
}
