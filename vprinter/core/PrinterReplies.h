#pragma once

// The printer's answers, byte for byte as the utility's readers take them.

#include <cstdint>
#include <string>
#include <vector>

#include "PrinterState.h"

namespace vprinter {

// Status field 01 values.
inline constexpr int kStateError = 0;
inline constexpr int kStateBusy = 3;
inline constexpr int kStateReady = 4;

// The header line in front of every status record.
inline constexpr const char* kStatusHeader = "@BDC ST2\r\n";

struct StatusInfo {
    int state = kStateReady;
    int errorCode = 0;
    int maintenanceCapacity = 80; // field 0D
    int inkCount = 8;             // 8 or 4
    int inkLevels[8] = {100, 100, 100, 100, 100, 100, 100, 100};
};

// Header, then the record: 16-bit little-endian length, then the fields
// 01 (state), 02 (error code), 0D, 0F (entry size 3, one entry per ink:
// 00, colour code, level in percent).
std::vector<std::uint8_t> BuildStatusReply(const StatusInfo& info);

// The IEEE 1284 device id text; DES: is the driver name of the model.
std::string BuildDeviceId(Model model, const std::string& description);

std::string ReplyVersion(const std::string& firmware);         // "VI:00I02010;"
std::string ReplySN(int level);                                // "SN:010;"
std::string ReplySlotSettings(const SlotData& data);           // "EX:0000001B<196 digits>;"
std::string ReplyNameList(const PrinterState& state, int first); // "EX:0000001D<entries>;"
std::string ReplyJob(const JobRecord* job, int index);         // "JI:<136 digits>;" or "JI;" for no job
std::string ReplyUnknown(const std::string& name);             // "XX:NA;"

// The settings a slot would hold for a media code (what the printer answers
// when asked by media code instead of slot).
SlotData MediaSettings(const PrinterState& state, int mediaCode);

// The 68 bytes of one job information record.
std::vector<std::uint8_t> JobRecordBytes(const JobRecord& job, int index);

} // namespace vprinter
