#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The printer's binary status record: a 16-bit little-endian length L, then
// L bytes of fields (id byte, data length byte, data). Every read is bounded
// by the bytes actually held, whatever the length field claims.
class CStatusReply {
public:
    static constexpr int kFieldState = 0x01;
    // Free capacity of the maintenance tank, in %.
    static constexpr int kField0D = 0x0D;
    static constexpr int kFieldInk = 0x0F;
    static constexpr int kStateReady = 4;
    static constexpr int kInkLowLevel = 25;

    // A field as found in the record; data points into the record and holds
    // `size` bytes (clipped to the record's end).
    struct Field {
        int id = -1;
        int declaredSize = 0;
        const std::uint8_t* data = nullptr;
        int size = 0;
        explicit operator bool() const { return data != nullptr; }
        // Data byte i, or -1 when it is not there.
        int At(int i) const { return (i >= 0 && i < size) ? data[i] : -1; }
    };

    // Drops the old record, then copies the record at `record` (2 + L bytes,
    // never more than `available`). Returns the bytes copied; 0 when L is 0
    // or the length itself is not there.
    std::size_t Assign(const std::uint8_t* record, std::size_t available);
    void Clear() { m_record.clear(); }

    bool HasRecord() const { return !m_record.empty(); }
    // The length field as the printer sent it.
    int DeclaredLength() const;
    const std::vector<std::uint8_t>& Bytes() const { return m_record; }

    // The first field with the id (only the first counts).
    Field FindField(int id) const;
    // Every field in order (for display).
    std::vector<Field> Fields() const;

    bool IsReady() const;
    bool IsStatusCodeZero() const;
    bool HasField0DBelow13() const;
    int InkSlotCount() const;
    bool IsInkLow() const;

    // The state byte of field 01, or -1.
    int StateCode() const;

    // The free capacity of the maintenance tank in % (field 0D), or -1.
    int MaintenanceTankFree() const;

    // One ink of field 0F: its colour code and its level in %.
    struct InkEntry {
        int colour;
        int level;
    };
    // The ink entries of field 0F in order, as far as their level bytes are
    // held (the entries IsInkLow examines).
    std::vector<InkEntry> InkEntries() const;
    // The name of an ink colour code in the operator's words; empty for a
    // code the printers do not use. Code 1 is Photo Black on the eight-ink
    // printer and Black on the four-ink one.
    static const char* InkColourName(int colour, int inkSlots);

private:
    // The field bytes that are both declared and held.
    std::size_t FieldBytes() const;

    std::vector<std::uint8_t> m_record;
};
