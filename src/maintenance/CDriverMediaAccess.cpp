#include "maintenance/CDriverMediaAccess.h"

#include "comm/CDriverMediaList.h"
#include "sampleprint/CDriverSettingsAccess.h"

#include <utility>

namespace {

// The pages write the chosen media through the driver's media item (mode 2).
constexpr int kMediaValueMode = 2;

}  // namespace

CDriverMediaAccess::CDriverMediaAccess(CDriverSettingsLibrary* library, std::string printer,
                                       std::string port, const void* devMode,
                                       const CMediaTable* table)
    : m_library(library), m_printer(std::move(printer)), m_port(std::move(port)),
      m_devMode(devMode), m_table(table) {}

int CDriverMediaAccess::DriverKind() {
    CDriverSettingsAccess access(m_library, m_printer, m_port, m_devMode, m_table);
    return access.DriverKind();
}

MediaTypeList::DriverMedia CDriverMediaAccess::Media() {
    if (!m_library) return {};
    CDriverMediaList list(m_library, m_printer, m_port);
    return MediaTypeList::FromDriver(list);
}

int CDriverMediaAccess::ApplyMedia(std::uint32_t mediaId) {
    CDriverSettingsAccess access(m_library, m_printer, m_port, m_devMode, m_table);
    access.SetMediaValue(static_cast<std::int32_t>(mediaId), kMediaValueMode);
    return access.CurrentMediaThickness();
}

std::string CDriverMediaAccess::InkPatternText() {
    CDriverSettingsAccess access(m_library, m_printer, m_port, m_devMode, m_table);
    return access.InkPatternText();
}
