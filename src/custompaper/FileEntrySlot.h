#pragma once

#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"

class CMediaTable;

// A custom file entry as the settings of a printer slot: the media found
// again from the entry's ID and SID, its code on the printer, and the paper
// handling values the two share. What only a file keeps (print mode,
// density, ink arrangement) stays behind; the slot's three-choice setting,
// which a file does not keep, is 0. The slot keeps its `Name` and
// `Registered` (the caller names the slot). False when no media of the table carries the entry's
// ID and SID (`slot` unchanged).
bool SlotFromFileEntry(const CustomFileRecord& entry, const CMediaTable& media,
                       CustomPaperSlot& slot);
