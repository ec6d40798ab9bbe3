#include "custompaper/CCustomPaperTable.h"

#include "comm/CPrinterLink.h"
#include "comm/RawJob.h"
#include "comm/RemotePackets.h"
#include "custompaper/SlotCodec.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kListFirstSlots[] = {1, 4, 7, 10};

} // namespace

CCustomPaperTable::CCustomPaperTable(std::string notRegisteredLabel)
    : m_notRegisteredLabel(std::move(notRegisteredLabel)) {}

void CCustomPaperTable::SetCurrentIndex(int index) {
    if (index >= 0 && index < kSlotCount) m_current = index;
}

CustomPaperSlot& CCustomPaperTable::SlotAt(int index) {
    const int i = index < 0 || index >= kSlotCount ? m_current : index;
    return m_slots[static_cast<std::size_t>(i)];
}

const CustomPaperSlot& CCustomPaperTable::SlotAt(int index) const {
    const int i = index < 0 || index >= kSlotCount ? m_current : index;
    return m_slots[static_cast<std::size_t>(i)];
}

bool CCustomPaperTable::IsRegistered(int index) const {
    if (index >= kSlotCount) return false;
    return SlotAt(index).Registered != 0;
}

std::string CCustomPaperTable::SlotLabel(int index) const {
    if (index < kSlotCount && IsRegistered(index)) return SlotAt(index).Name;
    return m_notRegisteredLabel;
}

namespace {

// Only the reply to this read of the list: one to an earlier read of it
// names other slots.
CPrinterLink::ReplyCheck NamesFrom(int firstSlot) {
    return [firstSlot](const std::uint8_t* text, int size) {
        return SlotCodec::NamesReplyStartsAt(text, size, firstSlot);
    };
}

} // namespace

int CCustomPaperTable::QueryNames(CPrinterLink& link, const std::string& printer) {
    m_lastQueryComplete = false;
    const int handle = link.OpenChannel(printer);
    if (handle < 1) return -1;
    int result = 0;
    bool complete = true;
    for (const int first : kListFirstSlots) {
        std::uint8_t command[16];
        const int length =
            BuildQueryEXList(command, sizeof command, static_cast<std::uint8_t>(first));
        std::uint8_t reply[kReplySize] = {};
        result = link.Exchange(handle, command, length, reply, sizeof reply, kReplyTimeoutMs, NamesFrom(first));
        if (result < 0) {
            complete = false;
            break;
        }
        const int wanted = std::min(SlotCodec::kListEntriesPerReply, kSlotCount - first + 1);
        const int read =
            result > 0 ? SlotCodec::DecodeNames(reply, sizeof reply, first, wanted, m_slots) : -1;
        if (read < wanted) complete = false;
        if (read < 0) break;
    }
    link.CloseChannel(handle);
    m_lastQueryComplete = complete;
    return result;
}

int CCustomPaperTable::QueryName(CPrinterLink& link, const std::string& printer, int index) {
    m_lastQueryComplete = false;
    if (index < 0 || index >= kSlotCount) return -1;
    const int handle = link.OpenChannel(printer);
    if (handle < 1) return -1;
    std::uint8_t command[16];
    const int length =
        BuildQueryEXList(command, sizeof command, static_cast<std::uint8_t>(index + 1));
    std::uint8_t reply[kReplySize] = {};
    const int result =
        link.Exchange(handle, command, length, reply, sizeof reply, kReplyTimeoutMs, NamesFrom(index + 1));
    link.CloseChannel(handle);
    if (result > 0)
        m_lastQueryComplete =
            SlotCodec::DecodeNames(reply, sizeof reply, index + 1, 1, m_slots) == 1;
    return result;
}

int CCustomPaperTable::QuerySettings(CPrinterLink& link, const std::string& printer, int index) {
    m_lastQueryComplete = false;
    if (index >= kSlotCount) return -1;
    const int i = Resolve(index);
    std::uint8_t command[16];
    const int length = BuildQueryEXRead(
        command, sizeof command, static_cast<std::uint8_t>(SlotCodec::kSettingsSlotBase + i));
    std::uint8_t reply[kReplySize] = {};
    const int result =
        link.SendReceive(printer, command, length, reply, sizeof reply, kReplyTimeoutMs);
    if (result <= 0) return result;
    m_lastQueryComplete =
        SlotCodec::DecodeSettings(reply, sizeof reply, m_slots[static_cast<std::size_t>(i)]);
    return result;
}

int CCustomPaperTable::BuildWriteJob(std::uint8_t* out, std::size_t room, int slotNumber,
                                     const std::string& name, const CustomPaperSlot& source) {
    if (!out) return 0;
    std::size_t n = 0;
    n += static_cast<std::size_t>(BuildEnterRemote(out + n, room - n));
    n += static_cast<std::size_t>(
        SlotCodec::BuildSlotWritePacket(out + n, room - n, slotNumber, name, source));
    n += static_cast<std::size_t>(BuildCmdSV(out + n, room - n));
    n += static_cast<std::size_t>(BuildExitRemote(out + n, room - n));
    return static_cast<int>(n);
}

int CCustomPaperTable::BuildCallJob(std::uint8_t* out, std::size_t room, int slotNumber) {
    if (!out) return 0;
    std::size_t n = 0;
    n += static_cast<std::size_t>(BuildEnterRemote(out + n, room - n));
    n += static_cast<std::size_t>(
        BuildCmdEXWrite(out + n, room - n, static_cast<std::uint8_t>(slotNumber)));
    n += static_cast<std::size_t>(BuildCmdSV(out + n, room - n));
    n += static_cast<std::size_t>(BuildExitRemote(out + n, room - n));
    return static_cast<int>(n);
}

int CCustomPaperTable::WriteSlot(const std::string& printer, int index, const std::string& name,
                                 const CustomPaperSlot& source) {
    if (index >= kSlotCount) return -1;
    std::uint8_t job[kWriteJobRoom];
    const int n = BuildWriteJob(job, sizeof job, Resolve(index) + 1, name, source);
    return SendRawJob(printer, job, static_cast<std::size_t>(n));
}

int CCustomPaperTable::CallSlot(const std::string& printer, int index) {
    if (index >= kSlotCount) return -1;
    return CallNumber(printer, Resolve(index) + 1);
}

int CCustomPaperTable::CallStandard(const std::string& printer) {
    return CallNumber(printer, 0);
}

int CCustomPaperTable::CallNumber(const std::string& printer, int slotNumber) {
    std::uint8_t job[64];
    const int n = BuildCallJob(job, sizeof job, slotNumber);
    return SendRawJob(printer, job, static_cast<std::size_t>(n));
}
