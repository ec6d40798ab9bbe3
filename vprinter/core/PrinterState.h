#pragma once

// Everything the virtual printer keeps across restarts, and its file in the
// state folder ("printer.state", key=value lines, written atomically).

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vprinter {

enum class Model { CorvanMax7100, QZ7100 };

const char* ModelDriverName(Model model); // "ORVEX Corvan Max 7100" / "ORVEX QZ-7100"
const char* ModelName(Model model);       // "Corvan Max 7100" / "QZ-7100"
const char* ModelKey(Model model);        // "corvan" / "qz"
bool ParseModel(const std::string& text, Model& model);
// The name of ink `index` (0-based) of a head with 8 or 4 inks.
const char* InkName(int inkCount, int index);

// The settings bytes of one custom paper slot: bytes 9..106 of the slot
// write packet (slot number, 00, 64 setting bytes, 01, 00 00, 30 name bytes).
inline constexpr std::size_t kSlotDataSize = 98;
using SlotData = std::array<std::uint8_t, kSlotDataSize>;

struct CustomSlot {
    bool registered = false;
    SlotData data{};
};

// The setting bytes a slot holds before anything was written into it.
SlotData DefaultSlotData(int slotNumber);

struct JobRecord {
    int number = 0;          // 1..255, wrapping
    int state = 1;           // 1 printed
    int secondState = 1;
    std::string source;      // up to 16 characters
    std::string name;        // up to 32 characters
    int lengthMm = 0;        // paper used, in mm (thousandths of a metre)
    int printedPages = 0;    // pages printed so far (all of them once it ended well)
    int pages = 1;           // pages the job holds
    std::int64_t time = 0;   // seconds since the epoch, when it was received
    int durationS = 0;
};

struct PrinterState {
    Model model = Model::CorvanMax7100;
    std::string firmware = "I02010";
    int inkCount = 8;                     // 8 or 4
    std::array<int, 8> inkLevels{{100, 100, 100, 100, 100, 100, 100, 100}};
    int maintenanceCapacity = 80;         // status field 0D
    std::array<CustomSlot, 10> slots{};
    int activeSetting = 0;                // 0 standard, 1..10 a custom slot
    std::map<std::string, int> alignment; // "bi.<code>" / "uni.<code>" -> pattern value
    int snLevel = 0;                      // the answer to the SN function 01 query
    std::map<int, int> mediaPlaten;       // media code -> platen gap the printer answers
    int nextJobNumber = 1;
    std::vector<JobRecord> jobs;          // oldest first
    int sheetsPrinted = 0;

    PrinterState();
};

// Missing file: default state, true. Unreadable values keep their defaults.
bool LoadPrinterState(const std::string& folder, PrinterState& state);
// Writes "printer.state" through a temporary file and a rename.
bool SavePrinterState(const std::string& folder, const PrinterState& state);

std::string ToHex(const std::uint8_t* data, std::size_t length);
// "00 10": bytes in hex, a space between them (the log's way).
std::string SpacedHex(const std::vector<std::uint8_t>& bytes);
bool FromHex(const std::string& hex, std::vector<std::uint8_t>& out);

} // namespace vprinter
