#include "comm/CBidiLibrary.h"

#include "platform/DriverDescription.h"
#include "platform/LibraryLoader.h"
#include "platform/PrivateProfile.h"

namespace {

template <typename Fn>
void BindOne(void* module, const char* name, Fn& out) {
    out = reinterpret_cast<Fn>(LibraryLoader::Symbol(module, name));
}

} // namespace

CBidiLibrary::CBidiLibrary() : m_pathFinder(FindDriverFolderLibrary) {}

CBidiLibrary::~CBidiLibrary() {
    // Normally unloaded at program end already; never leave the module behind.
    if (m_module) Unload();
}

int CBidiLibrary::Load(const std::string& printer, int searchMode) {
    if (m_module) return 1;
    if (searchMode == 1) m_module = LibraryLoader::Open(m_libraryName);
    if (!m_module && m_pathFinder) {
        const std::string path = m_pathFinder(printer);
        // The driver folder is whatever the printer's PPD names: load only
        // from a place that nobody but root and this user can change.
        if (!path.empty()) m_module = LibraryLoader::OpenTrusted(path);
    }
    if (!m_module) return 0;
    Bind();
    // Initialised even when an entry point is missing: the library may need
    // it to release cleanly later.
    const int init = Initialize();
    return (BoundCount() == kEntryPointCount && init == 0) ? 1 : 0;
}

int CBidiLibrary::Unload() {
    const int released = Release();
    if (m_module) LibraryLoader::Close(m_module);
    m_module = nullptr;
    Clear();
    return released <= 0 ? 1 : 0;
}

void CBidiLibrary::Bind() {
    BindOne(m_module, "TQInitialize", m_initialize);
    BindOne(m_module, "TQRelease", m_release);
    BindOne(m_module, "TQGetDeviceID", m_getDeviceId);
    BindOne(m_module, "TQGetAvailableChannel", m_getAvailableChannel);
    BindOne(m_module, "TQOpenChannel", m_openChannel);
    BindOne(m_module, "TQCloseChannel", m_closeChannel);
    BindOne(m_module, "TQSetOption", m_setOption);
    BindOne(m_module, "TQGetOption", m_getOption);
    BindOne(m_module, "TQReceiveCancel", m_receiveCancel);
    BindOne(m_module, "TQGetStatus", m_getStatus);
    BindOne(m_module, "TQSend", m_send);
    BindOne(m_module, "TQReceive", m_receive);
}

void CBidiLibrary::Clear() {
    m_initialize = nullptr;
    m_release = nullptr;
    m_getDeviceId = nullptr;
    m_getAvailableChannel = nullptr;
    m_openChannel = nullptr;
    m_closeChannel = nullptr;
    m_setOption = nullptr;
    m_getOption = nullptr;
    m_receiveCancel = nullptr;
    m_getStatus = nullptr;
    m_send = nullptr;
    m_receive = nullptr;
}

int CBidiLibrary::BoundCount() const {
    const void* all[] = {
        reinterpret_cast<const void*>(m_initialize),    reinterpret_cast<const void*>(m_release),
        reinterpret_cast<const void*>(m_getDeviceId),   reinterpret_cast<const void*>(m_getAvailableChannel),
        reinterpret_cast<const void*>(m_openChannel),   reinterpret_cast<const void*>(m_closeChannel),
        reinterpret_cast<const void*>(m_setOption),     reinterpret_cast<const void*>(m_getOption),
        reinterpret_cast<const void*>(m_receiveCancel), reinterpret_cast<const void*>(m_getStatus),
        reinterpret_cast<const void*>(m_send),          reinterpret_cast<const void*>(m_receive),
    };
    int n = 0;
    for (const void* p : all) n += p != nullptr;
    return n;
}

int CBidiLibrary::Initialize() { return m_initialize ? m_initialize() : kNotBound; }

int CBidiLibrary::Release() { return m_release ? m_release() : kNotBound; }

int CBidiLibrary::GetDeviceID(std::int32_t by, const std::string& printer, char* buffer, std::int32_t* size) {
    return m_getDeviceId ? m_getDeviceId(by, printer.c_str(), buffer, size) : kNotBound;
}

int CBidiLibrary::GetAvailableChannel(std::int32_t by, const std::string& printer, void* list,
                                      std::int32_t* size) {
    return m_getAvailableChannel ? m_getAvailableChannel(by, printer.c_str(), list, size) : kNotBound;
}

int CBidiLibrary::OpenChannel(std::int32_t by, const std::string& printer, std::int32_t channelType) {
    return m_openChannel ? m_openChannel(by, printer.c_str(), channelType) : kNotBound;
}

int CBidiLibrary::CloseChannel(std::int32_t handle) {
    return m_closeChannel ? m_closeChannel(handle) : kNotBound;
}

int CBidiLibrary::GetStatus(std::int32_t handle, void* buffer, std::int32_t* size) {
    return m_getStatus ? m_getStatus(handle, buffer, size) : kNotBound;
}

int CBidiLibrary::Send(std::int32_t handle, const void* data, std::int32_t length) {
    return m_send ? m_send(handle, data, length) : kNotBound;
}

int CBidiLibrary::Receive(std::int32_t handle, void* buffer, std::int32_t* size, std::int32_t timeoutMs) {
    return m_receive ? m_receive(handle, buffer, size, timeoutMs) : kNotBound;
}

std::string DriverFolderLibraryPath(const std::string& driverPath, const std::string& libraryName) {
    // A name with a path would leave the driver folder.
    if (!LibraryLoader::IsPlainFileName(libraryName)) return {};
    const auto slash = driverPath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : driverPath.substr(0, slash + 1);
    return folder + libraryName;
}

std::string FindDriverFolderLibrary(const std::string& printer) {
    const std::optional<DriverDescription> d = GetDriverDescription(printer);
    if (!d) return {};
    const std::string value = ReadPrivateProfileString(d->dataFile, CBidiLibrary::kDriverInfoSection,
                                                       CBidiLibrary::kDriverInfoKey, std::string());
    return DriverFolderLibraryPath(d->driverPath, value);
}
