#include "comm/CDriverSettingsLibrary.h"

#include "platform/DriverDescription.h"
#include "platform/LibraryLoader.h"

namespace {

template <typename Fn>
void BindOne(void* module, const char* name, Fn& out) {
    out = reinterpret_cast<Fn>(LibraryLoader::Symbol(module, name));
}

std::string SpoolerDriverPath(const std::string& printer) {
    const auto description = GetDriverDescription(printer);
    return description ? description->driverPath : std::string();
}

}  // namespace

CDriverSettingsLibrary::CDriverSettingsLibrary() : m_driverPathFinder(SpoolerDriverPath) {}

CDriverSettingsLibrary::~CDriverSettingsLibrary() { Unload(); }

std::string CDriverSettingsLibrary::LibraryPathFor(const std::string& driverPath) {
    const auto slash = driverPath.rfind('/');
    if (slash == std::string::npos) return kLibraryName;
    return driverPath.substr(0, slash + 1) + kLibraryName;
}

int CDriverSettingsLibrary::Load(const std::string& printer) {
    const std::string driverPath = m_driverPathFinder ? m_driverPathFinder(printer) : std::string();
    const std::string path = LibraryPathFor(driverPath);
    // The driver folder is whatever the printer's PPD names: load only from
    // a place that nobody but root and this user can change. The bare name
    // goes through the system's own library search.
    void* module = path.find('/') == std::string::npos ? LibraryLoader::Open(path) : LibraryLoader::OpenTrusted(path);
    if (!module) return 0;
    m_module = module;
    BindOne(m_module, "KRDM_Open", m_open);
    BindOne(m_module, "KRDM_GetDriverInfo", m_getDriverInfo);
    BindOne(m_module, "KRDM_GetCommandLevel", m_getCommandLevel);
    BindOne(m_module, "KRDM_GetRange", m_getRange);
    BindOne(m_module, "KRDM_GetData", m_getData);
    BindOne(m_module, "KRDM_SetData", m_setData);
    BindOne(m_module, "KRDM_CreateDC", m_createDC);
    BindOne(m_module, "KRDM_ResetDC", m_resetDC);
    BindOne(m_module, "KRDM_DeleteDC", m_deleteDC);
    BindOne(m_module, "KRDM_GetDevMode", m_getDevMode);
    BindOne(m_module, "KRDM_Close", m_close);
    return BoundCount() == kEntryPointCount ? 1 : 0;
}

void CDriverSettingsLibrary::Unload() {
    if (m_module) LibraryLoader::Close(m_module);
    m_module = nullptr;
    Clear();
}

void CDriverSettingsLibrary::Clear() {
    m_open = nullptr;
    m_getDriverInfo = nullptr;
    m_getCommandLevel = nullptr;
    m_getRange = nullptr;
    m_getData = nullptr;
    m_setData = nullptr;
    m_createDC = nullptr;
    m_resetDC = nullptr;
    m_deleteDC = nullptr;
    m_getDevMode = nullptr;
    m_close = nullptr;
}

int CDriverSettingsLibrary::BoundCount() const {
    const void* all[] = {reinterpret_cast<const void*>(m_open),        reinterpret_cast<const void*>(m_getDriverInfo),
                         reinterpret_cast<const void*>(m_getCommandLevel), reinterpret_cast<const void*>(m_getRange),
                         reinterpret_cast<const void*>(m_getData),     reinterpret_cast<const void*>(m_setData),
                         reinterpret_cast<const void*>(m_createDC),    reinterpret_cast<const void*>(m_resetDC),
                         reinterpret_cast<const void*>(m_deleteDC),    reinterpret_cast<const void*>(m_getDevMode),
                         reinterpret_cast<const void*>(m_close)};
    int n = 0;
    for (const void* p : all) n += p != nullptr;
    return n;
}

int CDriverSettingsLibrary::Open(const std::string& printer, const std::string& port, const void* devMode,
                                 KRDM_HANDLE* handle) {
    if (!m_open) return kNotBound;
    return m_open(printer.c_str(), port.c_str(), devMode ? KRDM_OPEN_DEVMODE : KRDM_OPEN_CURRENT, devMode, handle);
}

int CDriverSettingsLibrary::GetRange(KRDM_HANDLE handle, int item, KRDM_RANGE* range) {
    return m_getRange ? m_getRange(handle, item, range) : kNotBound;
}

int CDriverSettingsLibrary::GetData(KRDM_HANDLE handle, int item, void* record) {
    return m_getData ? m_getData(handle, item, record) : kNotBound;
}

int CDriverSettingsLibrary::SetData(KRDM_HANDLE handle, int item, void* record) {
    return m_setData ? m_setData(handle, item, record) : kNotBound;
}

int CDriverSettingsLibrary::GetDevMode(KRDM_HANDLE handle, void* output) {
    return m_getDevMode ? m_getDevMode(handle, output) : kNotBound;
}

int CDriverSettingsLibrary::Close(KRDM_HANDLE handle) { return m_close ? m_close(handle) : kNotBound; }
