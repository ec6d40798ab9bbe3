// The printer's job information reply: "JI:" and hexadecimal digits, decoded
// into a job record and its report. Whatever arrives, the texts are valid
// UTF-8 and nothing is read beyond the reply buffer.
#include "comm/CPrinterLink.h"
#include "status/JobInfoRecord.h"
#include "status/JobReport.h"

#include <QString>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void CheckUtf8(const std::string& s) {
    const QByteArray bytes(s.data(), static_cast<qsizetype>(s.size()));
    if (QString::fromUtf8(bytes).toUtf8() != bytes) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // As the channel hands it over: the reply buffer, zero-filled.
    std::uint8_t reply[CPrinterLink::kReplySize] = {};
    const std::size_t received = size < sizeof reply ? size : sizeof reply;
    std::memcpy(reply, data, received);
    JobInfoRecord record;
    if (JobInfoFromReply(reply, static_cast<int>(received), record)) {
        CheckUtf8(record.user);
        CheckUtf8(record.name);
        const std::string report =
            JobReport::Format(record, [](int id) { return std::to_string(id); });
        CheckUtf8(report);
    }
    // The digits alone, at their exact size, and the text rule on raw bytes.
    const JobInfoRecord direct = DecodeJobInfo(reinterpret_cast<const char*>(data), size);
    CheckUtf8(direct.name);
    CheckUtf8(JobInfoText(data, size));
    return 0;
}
