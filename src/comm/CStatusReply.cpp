#include "comm/CStatusReply.h"

#include <algorithm>

std::size_t CStatusReply::Assign(const std::uint8_t* record, std::size_t available) {
    m_record.clear();
    if (!record || available < 2) return 0;
    const std::size_t length = record[0] | (record[1] << 8);
    if (length == 0) return 0;
    // The length is the printer's word; the copy stays within what is there.
    const std::size_t count = std::min(length + 2, available);
    m_record.assign(record, record + count);
    return count;
}

int CStatusReply::DeclaredLength() const {
    return m_record.size() < 2 ? 0 : (m_record[0] | (m_record[1] << 8));
}

std::size_t CStatusReply::FieldBytes() const {
    if (m_record.size() < 2) return 0;
    return std::min<std::size_t>(DeclaredLength(), m_record.size() - 2);
}

std::vector<CStatusReply::Field> CStatusReply::Fields() const {
    std::vector<Field> out;
    const std::size_t end = FieldBytes();
    if (end == 0) return out;
    const std::uint8_t* f = m_record.data() + 2;
    std::size_t pos = 0;
    while (pos < end) {
        Field field;
        field.id = f[pos];
        field.declaredSize = pos + 1 < end ? f[pos + 1] : 0;
        const std::size_t start = pos + 2;
        field.data = f + std::min(start, end);
        field.size = static_cast<int>(start >= end ? 0 : std::min<std::size_t>(field.declaredSize, end - start));
        out.push_back(field);
        if (pos + 1 >= end) break;
        pos = start + field.declaredSize;
    }
    return out;
}

CStatusReply::Field CStatusReply::FindField(int id) const {
    for (const Field& f : Fields())
        if (f.id == id) return f;
    return {};
}

int CStatusReply::StateCode() const { return FindField(kFieldState).At(0); }

bool CStatusReply::IsReady() const { return StateCode() == kStateReady; }

bool CStatusReply::IsStatusCodeZero() const { return StateCode() == 0; }

bool CStatusReply::HasField0DBelow13() const {
    const int v = FindField(kField0D).At(0);
    return v >= 0 && v < 13;
}

int CStatusReply::InkSlotCount() const {
    const Field f = FindField(kFieldInk);
    return (f.At(17) == 4 && f.At(20) == 5 && f.At(23) == 8) ? 8 : 4;
}

int CStatusReply::MaintenanceTankFree() const { return FindField(kField0D).At(0); }

std::vector<CStatusReply::InkEntry> CStatusReply::InkEntries() const {
    std::vector<InkEntry> out;
    const Field f = FindField(kFieldInk);
    const int entrySize = f.At(0);
    if (entrySize <= 0) return out;
    const int entries = f.declaredSize / entrySize;
    // Entries follow the size byte. Their count comes from the declared field
    // length; an entry whose level byte lies past the record ends the list.
    const std::size_t end = FieldBytes();
    const std::size_t first = static_cast<std::size_t>(f.data - (m_record.data() + 2)) + 1;
    for (int i = 0; i < entries; ++i) {
        const std::size_t entry = first + static_cast<std::size_t>(i) * entrySize;
        if (entry + 2 >= end) break;
        out.push_back({m_record[2 + entry + 1], m_record[2 + entry + 2]});
    }
    return out;
}

const char* CStatusReply::InkColourName(int colour, int inkSlots) {
    switch (colour) {
    case 1: return inkSlots == 8 ? "Photo Black" : "Black";
    case 2: return "Cyan";
    case 3: return "Magenta";
    case 4: return "Yellow";
    case 5: return "Light Black";
    case 6: return "Light Cyan";
    case 7: return "Light Magenta";
    case 8: return "Matte Black";
    default: return "";
    }
}

bool CStatusReply::IsInkLow() const {
    for (const InkEntry& ink : InkEntries())
        if (ink.level <= kInkLowLevel) return true;
    return false;
}
