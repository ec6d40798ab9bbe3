#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tqapi.h"

// The binding of the printer maker's bidirectional communication library
// (libtqapi.so). One instance, owned by the application object, loaded for
// the selected printer. Every wrapper returns kNotBound without calling when
// its entry point is missing, else the library's own result.
//
// What may run at once: once loaded, one binding serves several threads.
// The wrappers only read the bound entry points, and the library lets
// several threads call it at once as long as each channel is used by one
// thread at a time (see tqapi.h), so each thread opens its own channels
// through its own CPrinterLink. Load, Unload, SetPathFinder and
// SetLibraryName change the binding: nothing else may run on the same
// binding meanwhile (load it before the threads start, unload it after they
// have ended). Separate bindings may be loaded and unloaded while others are
// in use, also bindings of the same library file: the library counts its
// initialisations, so one binding's Unload does not end another's channels.
class CBidiLibrary {
public:
    static constexpr const char* kLibraryName = "libtqapi.so";
    static constexpr int kNotBound = -100;
    static constexpr int kEntryPointCount = 12;
    // Where the driver's data file names the library.
    static constexpr const char* kDriverInfoSection = "User Mode Printer Driver Information";
    static constexpr const char* kDriverInfoKey = "TQAPII";

    // Finds the library path in the printer's driver folder ("" when none).
    using PathFinder = std::function<std::string(const std::string& printer)>;

    CBidiLibrary();
    ~CBidiLibrary();
    CBidiLibrary(const CBidiLibrary&) = delete;
    CBidiLibrary& operator=(const CBidiLibrary&) = delete;

    // 1 when loaded and initialised, else 0. Search mode 1 tries the plain
    // library name first; any mode then falls back to the driver folder,
    // which is used only when it passes LibraryLoader::OpenTrusted.
    // Does nothing (returns 1) while a module is loaded.
    int Load(const std::string& printer, int searchMode);
    // Releases the library, frees the module and clears every entry point.
    int Unload();
    bool IsLoaded() const { return m_module != nullptr; }
    // How many of the twelve entry points are bound.
    int BoundCount() const;

    int Initialize();
    int Release();
    int GetDeviceID(std::int32_t by, const std::string& printer, char* buffer, std::int32_t* size);
    int GetAvailableChannel(std::int32_t by, const std::string& printer, void* list, std::int32_t* size);
    int OpenChannel(std::int32_t by, const std::string& printer, std::int32_t channelType);
    int CloseChannel(std::int32_t handle);
    int GetStatus(std::int32_t handle, void* buffer, std::int32_t* size);
    int Send(std::int32_t handle, const void* data, std::int32_t length);
    int Receive(std::int32_t handle, void* buffer, std::int32_t* size, std::int32_t timeoutMs);

    // The driver-folder search; the default asks the spooler for the
    // printer's driver description.
    void SetPathFinder(PathFinder finder) { m_pathFinder = std::move(finder); }
    // The name tried by search mode 1 (tests point it elsewhere).
    void SetLibraryName(std::string name) { m_libraryName = std::move(name); }

private:
    void Bind();
    void Clear();

    void* m_module = nullptr;
    decltype(&TQInitialize) m_initialize = nullptr;
    decltype(&TQRelease) m_release = nullptr;
    decltype(&TQGetDeviceID) m_getDeviceId = nullptr;
    decltype(&TQGetAvailableChannel) m_getAvailableChannel = nullptr;
    decltype(&TQOpenChannel) m_openChannel = nullptr;
    decltype(&TQCloseChannel) m_closeChannel = nullptr;
    decltype(&TQSetOption) m_setOption = nullptr;
    decltype(&TQGetOption) m_getOption = nullptr;
    decltype(&TQReceiveCancel) m_receiveCancel = nullptr;
    decltype(&TQGetStatus) m_getStatus = nullptr;
    decltype(&TQSend) m_send = nullptr;
    decltype(&TQReceive) m_receive = nullptr;

    PathFinder m_pathFinder;
    std::string m_libraryName = kLibraryName;
};

// The library path in a driver folder: the driver file's path cut after its
// last '/', followed by the data file's library name; "" when the name is
// empty or holds a path (LibraryLoader::IsPlainFileName).
std::string DriverFolderLibraryPath(const std::string& driverPath, const std::string& libraryName);

// The library named by the printer's driver: the driver description's data
// file names it ("TQAPII" in "User Mode Printer Driver Information"), and it
// lies in the driver's folder. "" when any of that is missing.
std::string FindDriverFolderLibrary(const std::string& printer);
