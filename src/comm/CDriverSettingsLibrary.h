#pragma once

#include <functional>
#include <string>

#include "krset32.h"

// The binding of the printer maker's driver-settings library
// (libkrset32.so), which lies in the folder of the selected printer's
// driver. Owned by the application object; the main window unloads it on
// every page switch and loads it again for the selected printer. Every
// wrapper returns kNotBound without calling when its entry point is
// missing, else the library's own result.
class CDriverSettingsLibrary {
public:
    static constexpr const char* kLibraryName = "libkrset32.so";
    static constexpr int kNotBound = -7;
    static constexpr int kEntryPointCount = 11;

    // The printer's driver file path ("" when the spooler cannot tell).
    using DriverPathFinder = std::function<std::string(const std::string& printer)>;

    CDriverSettingsLibrary();
    virtual ~CDriverSettingsLibrary();
    CDriverSettingsLibrary(const CDriverSettingsLibrary&) = delete;
    CDriverSettingsLibrary& operator=(const CDriverSettingsLibrary&) = delete;

    // 1 when the library was loaded from the printer's driver folder and all
    // eleven entry points were found, else 0. A driver folder that fails
    // LibraryLoader::OpenTrusted counts as a missing library. Does not
    // unload a library loaded before: callers Unload first.
    int Load(const std::string& printer);
    // Frees the module and clears every entry point.
    void Unload();
    bool IsLoaded() const { return m_module != nullptr; }
    int BoundCount() const;

    // Mode 2 when a device mode block is passed, 0 otherwise; 0 = success
    // with the handle written.
    int Open(const std::string& printer, const std::string& port, const void* devMode, KRDM_HANDLE* handle);
    int GetRange(KRDM_HANDLE handle, int item, KRDM_RANGE* range);
    int GetData(KRDM_HANDLE handle, int item, void* record);
    int SetData(KRDM_HANDLE handle, int item, void* record);
    int GetDevMode(KRDM_HANDLE handle, void* output);
    int Close(KRDM_HANDLE handle);

    // Where the driver file is found; the default asks the spooler for the
    // printer's driver description.
    void SetDriverPathFinder(DriverPathFinder finder) { m_driverPathFinder = std::move(finder); }

    // The library's path for a driver file path: the folder of the driver
    // file (up to and including its last '/') and the library name; the
    // bare library name when the driver path has no folder.
    static std::string LibraryPathFor(const std::string& driverPath);

private:
    void Clear();

    void* m_module = nullptr;
    decltype(&KRDM_Open) m_open = nullptr;
    decltype(&KRDM_GetDriverInfo) m_getDriverInfo = nullptr;
    decltype(&KRDM_GetCommandLevel) m_getCommandLevel = nullptr;
    decltype(&KRDM_GetRange) m_getRange = nullptr;
    decltype(&KRDM_GetData) m_getData = nullptr;
    decltype(&KRDM_SetData) m_setData = nullptr;
    decltype(&KRDM_CreateDC) m_createDC = nullptr;
    decltype(&KRDM_ResetDC) m_resetDC = nullptr;
    decltype(&KRDM_DeleteDC) m_deleteDC = nullptr;
    decltype(&KRDM_GetDevMode) m_getDevMode = nullptr;
    decltype(&KRDM_Close) m_close = nullptr;

    DriverPathFinder m_driverPathFinder;
};
