// Reply readers of the printer link: the wrapped reply's marker search and
// copy, the SN and EX level readers, the device id's model.
#include "comm/CPrinterLink.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // As a receive leaves it: a 512-byte work buffer.
    std::uint8_t work[CPrinterLink::kReplySize] = {};
    const int n = static_cast<int>(std::min(size, sizeof work));
    std::memcpy(work, data, static_cast<std::size_t>(n));
    volatile int sink = FindReplyMarker(work, sizeof work);

    // The readers get exactly the bytes, so reads past them show up.
    std::vector<std::uint8_t> exact(data, data + size);
    const int len = static_cast<int>(exact.size());
    sink = sink + SN01LevelFromReply(1, exact.data(), len) + EX1BLevelFromReply(1, exact.data(), len);
    std::string value;
    sink = sink + ReplyValue(exact.data(), len, "VI:00", value) + static_cast<int>(value.size());
    // Whether a reply answers a command: the command is the reply's first
    // bytes, so both run over outside bytes.
    sink = sink + CPrinterLink::AnswersCommand(exact.data(), std::min(len, 11), exact.data(), len);
    std::string model;
    sink = sink + DeviceIdModel(reinterpret_cast<const char*>(exact.data()), len, model);

    // Wrapping arbitrary commands never writes past the message buffer.
    std::uint8_t message[128];
    sink = sink + BuildWrappedMessage(exact.data(), std::min(len, 200), message, sizeof message);
    (void)sink;
    return 0;
}
