#include "custompaper/FileEntrySlot.h"

#include "custompaper/CMediaTable.h"

bool SlotFromFileEntry(const CustomFileRecord& entry, const CMediaTable& media,
                       CustomPaperSlot& slot) {
    const int id = media.IdFromFileIds(entry.ID, entry.SID);
    if (id == 0) return false;
    CustomPaperSlot s;
    s.Name = slot.Name;
    s.Registered = slot.Registered;
    s.MediaId = id;
    s.MediaCode = media.MediaCodeOf(id, -1);
    s.Paperthick = entry.Paperthick;
    s.Platen = entry.Platen;
    s.Forward = entry.Forward;
    s.Drytime = entry.Drytime;
    s.Paperdraw = entry.Paperdraw;
    s.PaperCut = entry.PaperCut;
    s.Roller = entry.Roller;
    s.ThreeWay = 0;
    slot = s;
    return true;
}
