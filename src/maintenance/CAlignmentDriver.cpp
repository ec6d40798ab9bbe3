#include "maintenance/CAlignmentDriver.h"

#include "comm/CDriverMediaList.h"
#include "sampleprint/CDriverSettingsAccess.h"

#include <utility>

CAlignmentDriver::CAlignmentDriver(CDriverSettingsLibrary* library, std::string printer,
                                   std::string port, const void* devMode, const CMediaTable* table)
    : m_library(library), m_printer(std::move(printer)), m_port(std::move(port)),
      m_devMode(devMode), m_table(table) {}

CAlignmentDriver::~CAlignmentDriver() = default;

int CAlignmentDriver::DriverKind() {
    CDriverSettingsAccess access(m_library, m_printer, m_port, m_devMode, m_table);
    return access.DriverKind();
}

MediaTypeList::DriverMedia CAlignmentDriver::Media() {
    if (!m_library) return {};
    CDriverMediaList list(m_library, m_printer, m_port);
    return MediaTypeList::FromDriver(list);
}

int CAlignmentDriver::ApplyMedia(std::uint32_t mediaId) {
    CDriverSettingsAccess access(m_library, m_printer, m_port, m_devMode, m_table);
    access.SetMediaValue(static_cast<std::int32_t>(mediaId), 2);
    return access.CurrentMediaThickness();
}
