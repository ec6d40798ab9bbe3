#pragma once

#include "custompaper/CustomPaperSlot.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CPrinterLink;

// The mirror of the printer's ten custom paper slots, shared by every custom
// paper page for the whole run: reads names and settings from the printer,
// writes one slot, and calls a slot (or the standard setting) as the active
// paper setting. An index is 0..9 (slot number minus one); a negative index
// means the current slot. Results are reported only by the return value.
class CCustomPaperTable {
public:
    static constexpr int kSlotCount = 10;
    // The label of a slot that holds no custom paper.
    static constexpr int kTextNotRegistered = 30110;
    static constexpr int kReplyTimeoutMs = 10000;
    static constexpr int kReplySize = 512;
    static constexpr std::size_t kWriteJobRoom = 256;
    static constexpr int kWriteJobLength = 130;
    static constexpr int kCallJobLength = 34;

    // `notRegisteredLabel` is what SlotLabel gives for a slot without custom
    // paper (the localized text kTextNotRegistered).
    explicit CCustomPaperTable(std::string notRegisteredLabel = {});

    int CurrentIndex() const { return m_current; }
    // Takes 0..9; other values leave the current index as it is.
    void SetCurrentIndex(int index);

    // The slot at the index; 10 or more also gives the current slot.
    CustomPaperSlot& SlotAt(int index);
    const CustomPaperSlot& SlotAt(int index) const;
    // `Registered` of the slot; false for 10 or more.
    bool IsRegistered(int index) const;
    // The slot's name when it is registered (index below 10), otherwise the
    // not-registered label.
    std::string SlotLabel(int index) const;
    const std::string& NotRegisteredLabel() const { return m_notRegisteredLabel; }
    void SetNotRegisteredLabel(std::string label) { m_notRegisteredLabel = std::move(label); }

    // Names and registration of all ten slots: four exchanges (first slots 1,
    // 4, 7, 10) on one channel. The last exchange's result (above 0 when it
    // answered), -1 when no channel opens, or a negative exchange result. A
    // reply without the marker ends the reading.
    int QueryNames(CPrinterLink& link, const std::string& printer);
    // The same for one slot; -1 for an index outside 0..9.
    int QueryName(CPrinterLink& link, const std::string& printer, int index);
    // All settings of one slot; -1 for an index of 10 or more. The exchange's
    // result; a reply without the marker leaves the slot as it was.
    int QuerySettings(CPrinterLink& link, const std::string& printer, int index);
    // Whether the last query read everything it asked for: every name entry
    // (QueryNames, QueryName) or the settings reply's marker (QuerySettings).
    // A positive result alone does not say so: a reply without the marker
    // still counts as an answer.
    bool LastQueryComplete() const { return m_lastQueryComplete; }

    // Writes `source`'s settings under `name` into printer slot index + 1 as
    // one raw job; the table itself is not changed. 0 sent, -1 not sent (or
    // an index of 10 or more: nothing sent).
    int WriteSlot(const std::string& printer, int index, const std::string& name,
                  const CustomPaperSlot& source);
    // Makes printer slot index + 1 the active paper setting. 0 / -1.
    int CallSlot(const std::string& printer, int index);
    // Makes the printer's standard setting active. 0 / -1.
    int CallStandard(const std::string& printer);

    // The jobs, for tests and reports: enter remote mode, the slot write
    // packet, "SV", exit remote mode (130 bytes); enter remote mode, "EX"
    // call of slot number `slotNumber` (0 standard), "SV", exit (34 bytes).
    static int BuildWriteJob(std::uint8_t* out, std::size_t room, int slotNumber,
                             const std::string& name, const CustomPaperSlot& source);
    static int BuildCallJob(std::uint8_t* out, std::size_t room, int slotNumber);

private:
    // The index an operation works on: negative means the current slot.
    int Resolve(int index) const { return index < 0 ? m_current : index; }
    int CallNumber(const std::string& printer, int slotNumber);

    int m_current = 0;
    std::array<CustomPaperSlot, kSlotCount> m_slots{};
    std::string m_notRegisteredLabel;
    bool m_lastQueryComplete = false;
};
