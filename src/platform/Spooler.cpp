#include "platform/Spooler.h"

#include "platform/CupsSpooler.h"

namespace {

Spooler* g_current = nullptr;

} // namespace

Spooler::~Spooler() = default;

Spooler& Spooler::Current() {
    if (g_current) return *g_current;
    static CupsSpooler cups;
    return cups;
}

void Spooler::SetCurrent(Spooler* spooler) {
    g_current = spooler;
}
