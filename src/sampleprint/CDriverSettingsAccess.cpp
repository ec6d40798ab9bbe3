#include "sampleprint/CDriverSettingsAccess.h"

#include <cstring>

#include "app/CSharedObjects.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CMediaTable.h"

namespace {

std::uint16_t U16At(const std::uint8_t* p, int offset) {
    return static_cast<std::uint16_t>(p[offset] | (p[offset + 1] << 8));
}
std::uint32_t U32At(const std::uint8_t* p, int offset) {
    return static_cast<std::uint32_t>(p[offset]) | (static_cast<std::uint32_t>(p[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(p[offset + 2]) << 16) | (static_cast<std::uint32_t>(p[offset + 3]) << 24);
}
void PutU16(std::uint8_t* p, int offset, std::uint32_t v) {
    p[offset] = static_cast<std::uint8_t>(v & 0xFF);
    p[offset + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}
void PutU32(std::uint8_t* p, int offset, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[offset + i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

const CMediaTable* ApplicationMediaTable() {
    CSharedObjects* shared = CSharedObjects::Current();
    return shared ? shared->mediaTable.get() : nullptr;
}

}  // namespace

CDriverSettingsAccess::CDriverSettingsAccess(CDriverSettingsLibrary* library, const std::string& printer,
                                             const std::string& port, const void* devMode,
                                             const CMediaTable* mediaTable)
    : m_library(library), m_mediaTable(mediaTable ? mediaTable : ApplicationMediaTable()) {
    if (!m_library) return;
    KRDM_HANDLE handle = 0;
    if (m_library->Open(printer, port, devMode, &handle) != 0 || handle == 0) return;
    m_handle = handle;
    std::uint8_t record[8] = {};
    m_library->GetData(m_handle, KRDM_ITEM_MEDIA, record);
    m_currentMediaValue = static_cast<std::int16_t>(U16At(record, 4));
}

CDriverSettingsAccess::~CDriverSettingsAccess() {
    if (m_handle) m_library->Close(m_handle);
}

int CDriverSettingsAccess::SetMediaValue(std::int32_t value, int mode) {
    if (!m_handle) return kNoHandle;
    int result;
    if (mode == 1 || mode == 2) {
        std::uint8_t record[8] = {};
        PutU16(record, 0, 1);
        PutU16(record, 2, mode == 1 ? 2 : 1);
        PutU16(record, 4, static_cast<std::uint32_t>(value));
        PutU16(record, 6, 2);
        result = m_library->SetData(m_handle, KRDM_ITEM_MEDIA, record);
    } else if (mode == 3 || mode == 4) {
        std::uint8_t record[20] = {};
        PutU32(record, 0, 1);
        PutU32(record, 4, 20);
        PutU32(record, 8, 2);
        PutU32(record, 12, static_cast<std::uint32_t>(value));
        PutU32(record, 16, mode == 3 ? 6 : 15);
        result = m_library->SetData(m_handle, KRDM_ITEM_MEDIA_QUALITY, record);
    } else {
        return -1;
    }
    if (result < 0) return result;
    m_currentMediaValue = value;
    return 0;
}

int CDriverSettingsAccess::CurrentMediaThickness() {
    if (!m_handle || !m_mediaTable) return -1;
    return m_mediaTable->DefaultThickness(m_currentMediaValue, DriverKind() != 1 ? 1 : 0);
}

std::string CDriverSettingsAccess::InkPatternText() {
    if (!m_handle) return std::string(1, '\xFF');
    std::uint8_t record[44] = {};
    PutU32(record, 0, 1);
    m_library->GetData(m_handle, KRDM_ITEM_INK_LAYOUT, record);
    return U32At(record, 28) == kDoubledHeadInks ? kInkPatternDoubled : kInkPatternEightColour;
}

int CDriverSettingsAccess::DriverKind() {
    if (!m_handle) return -1;
    std::uint8_t record[4] = {};
    if (m_library->GetData(m_handle, KRDM_ITEM_COLOR_MODE, record) < 0) return -1;
    const int value = static_cast<std::int16_t>(U16At(record, 0));
    if (value == 258 || value == 7) return 2;
    if (value == 4 || value == 264) return 3;
    return 1;
}

int CDriverSettingsAccess::SetValue(int item, std::uintptr_t value) {
    // The library takes these items' values in place of a record.
    const int result = m_library->SetData(m_handle, item, reinterpret_cast<void*>(value));
    return result < 0 ? result : 0;
}

int CDriverSettingsAccess::SelectKindMode(int kind) {
    if (!m_handle) return kNoHandle;
    switch (kind) {
    case 1: return SetValue(KRDM_ITEM_COLOR_MODE, 256);
    case 2: return SetValue(KRDM_ITEM_COLOR_MODE, 7);
    case 3: return SetValue(KRDM_ITEM_COLOR_MODE, 4);
    default: return -1;
    }
}

int CDriverSettingsAccess::ReadFlags(int item, std::uint32_t& flags) {
    std::uint8_t record[12] = {};
    PutU32(record, 0, 1);
    PutU32(record, 4, 12);
    const int result = m_library->GetData(m_handle, item, record);
    flags = U32At(record, 8);
    return result < 0 ? result : 0;
}

int CDriverSettingsAccess::WriteFlags(int item, std::uint32_t flags) {
    std::uint8_t record[12] = {};
    PutU32(record, 0, 1);
    PutU32(record, 4, 12);
    PutU32(record, 8, flags);
    const int result = m_library->SetData(m_handle, item, record);
    return result < 0 ? result : 0;
}

int CDriverSettingsAccess::SetItem205Flags(int bit3) {
    if (!m_handle) return kNoHandle;
    std::uint32_t flags = 0;
    // Writing back the zeros of a failed read would clear every other flag
    // of the driver.
    if (const int read = ReadFlags(KRDM_ITEM_PRINT_FLAGS, flags); read < 0) return read;
    flags |= 0x01;
    flags = bit3 ? (flags | 0x08) : (flags & ~0x08u);
    return WriteFlags(KRDM_ITEM_PRINT_FLAGS, flags);
}

int CDriverSettingsAccess::Item205Bit3() {
    if (!m_handle) return kNoHandle;
    std::uint32_t flags = 0;
    if (ReadFlags(KRDM_ITEM_PRINT_FLAGS, flags) < 0) return -1;
    return (flags >> 3) & 1;
}

int CDriverSettingsAccess::ClearItem204Bit1() {
    if (!m_handle) return kNoHandle;
    std::uint32_t flags = 0;
    if (ReadFlags(KRDM_ITEM_OUTPUT_FLAGS, flags) < 0) return -1;
    return WriteFlags(KRDM_ITEM_OUTPUT_FLAGS, flags & ~0x02u);
}

int CDriverSettingsAccess::ReadItem30(int index) {
    if (!m_handle) return kNoHandle;
    std::uint8_t record[16] = {};
    if (m_library->GetData(m_handle, KRDM_ITEM_PAPER_SIZE, record) < 0) return -1;
    return U16At(record, 2 * index);
}

int CDriverSettingsAccess::Item30First() { return ReadItem30(0); }
int CDriverSettingsAccess::Item30Second() { return ReadItem30(1); }

int CDriverSettingsAccess::SampleItem30Second() const { return m_handle ? kSampleItem30Second : kNoHandle; }

int CDriverSettingsAccess::SetItem30(int first, int second) {
    if (!m_handle) return kNoHandle;
    std::uint8_t record[8] = {};
    PutU16(record, 0, static_cast<std::uint32_t>(first));
    PutU16(record, 2, static_cast<std::uint32_t>(second));
    PutU16(record, 4, 0x0100);
    const int result = m_library->SetData(m_handle, KRDM_ITEM_PAPER_SIZE, record);
    return result < 0 ? result : 0;
}

int CDriverSettingsAccess::SetItem20() {
    if (!m_handle) return kNoHandle;
    return SetValue(KRDM_ITEM_SETTINGS_SOURCE, 1);
}

int CDriverSettingsAccess::GetPaperRecord(SamplePaperRecord& record) {
    // From zeros: after a failed read the record must not hold the caller's
    // old bytes as if the driver had given them.
    record = SamplePaperRecord{};
    if (!m_handle) return kNoHandle;
    return m_library->GetData(m_handle, KRDM_ITEM_PAPER_ADJUST, &record);
}

int CDriverSettingsAccess::SetPaperRecord(const SamplePaperRecord& record) {
    if (!m_handle) return kNoHandle;
    SamplePaperRecord copy = record;
    return m_library->SetData(m_handle, KRDM_ITEM_PAPER_ADJUST, &copy);
}
