#include "app/CSharedObjects.h"

#include "app/CInkChipImages.h"
#include "comm/CBidiLibrary.h"
#include "comm/CDriverSettingsLibrary.h"
#include "custompaper/CCustomPaperTable.h"
#include "custompaper/CMediaTable.h"

namespace {
CSharedObjects* g_current = nullptr;
}

CSharedObjects::CSharedObjects() = default;

CSharedObjects::~CSharedObjects() {
    if (g_current == this) g_current = nullptr;
}

CSharedObjects* CSharedObjects::Current() {
    return g_current;
}

void CSharedObjects::SetCurrent(CSharedObjects* objects) {
    g_current = objects;
}
