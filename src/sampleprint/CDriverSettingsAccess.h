#pragma once

#include <cstdint>
#include <string>

#include "krset32.h"

class CDriverSettingsLibrary;
class CMediaTable;

// The driver's paper adjustment record (item 219): u32 1, u32 20 (the record
// size), then 12 bytes addressed by their offset in the record (8 .. 19).
struct SamplePaperRecord {
    std::uint32_t version = 1;
    std::uint32_t size = 20;
    std::uint8_t data[12] = {};

    std::uint8_t& Byte(int offset) { return data[offset - 8]; }
    std::uint8_t Byte(int offset) const { return data[offset - 8]; }
};
static_assert(sizeof(SamplePaperRecord) == 20);

// Short-lived access to the few driver items the utility reads and writes,
// through the driver-settings library, for the selected printer. What it
// writes stays in effect in the driver for later jobs.
//
// Without a handle (no library, or the driver would not open) every
// operation fails with -1; a failing library call's negative result is
// passed on.
class CDriverSettingsAccess {
public:
    static constexpr int kNoHandle = -1;
    // The ink arrangement texts that custom files record.
    static constexpr const char* kInkPatternDoubled = "0B000301040205030B00030104020503";
    static constexpr const char* kInkPatternEightColour = "0B000301040205030100060407050A08";
    static constexpr std::uint32_t kDoubledHeadInks = 0x0504030B;
    static constexpr int kSampleItem30Second = 1600;

    // `mediaTable` null: the application's media table.
    CDriverSettingsAccess(CDriverSettingsLibrary* library, const std::string& printer, const std::string& port,
                          const void* devMode, const CMediaTable* mediaTable = nullptr);
    ~CDriverSettingsAccess();
    CDriverSettingsAccess(const CDriverSettingsAccess&) = delete;
    CDriverSettingsAccess& operator=(const CDriverSettingsAccess&) = delete;

    bool HasHandle() const { return m_handle != 0; }
    // The media value read on opening, replaced by each successful
    // SetMediaValue; 0 when unread.
    std::int32_t CurrentMediaValue() const { return m_currentMediaValue; }

    // Modes 1 and 2 through item 70, modes 3 and 4 through item 214.
    int SetMediaValue(std::int32_t value, int mode);
    // The media table's default thickness of the current media (variant 1
    // unless the driver kind is 1); -1 without a handle.
    int CurrentMediaThickness();
    // The ink arrangement as custom files record it; "\xFF" without a handle.
    std::string InkPatternText();
    // 1, 2 or 3; -1 without a handle or when the read fails.
    int DriverKind();
    int SelectKindMode(int kind);
    int SetItem205Flags(int bit3);
    int Item205Bit3();
    int ClearItem204Bit1();
    int Item30First();
    int Item30Second();
    int SampleItem30Second() const;
    int SetItem30(int first, int second);
    int SetItem20();
    // Fills the whole record: zeros after the header when the read fails.
    int GetPaperRecord(SamplePaperRecord& record);
    int SetPaperRecord(const SamplePaperRecord& record);

private:
    int ReadItem30(int index);
    int ReadFlags(int item, std::uint32_t& flags);
    int WriteFlags(int item, std::uint32_t flags);
    int SetValue(int item, std::uintptr_t value);

    CDriverSettingsLibrary* m_library = nullptr;
    const CMediaTable* m_mediaTable = nullptr;
    KRDM_HANDLE m_handle = 0;
    std::int32_t m_currentMediaValue = 0;
};
