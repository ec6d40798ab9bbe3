#pragma once

#include "maintenance/MediaDriver.h"

#include <string>

class CDriverSettingsLibrary;
class CMediaTable;

// The media driver of a printer through the driver-settings library: each
// call opens a CDriverSettingsAccess (or reads the shared CDriverMediaList)
// for the printer, and closes it again.
class CDriverMediaAccess final : public MediaDriver {
public:
    // `devMode` is the printer's driver settings block (may be null); it
    // must outlive this object.
    CDriverMediaAccess(CDriverSettingsLibrary* library, std::string printer, std::string port,
                       const void* devMode, const CMediaTable* table);

    int DriverKind() override;
    MediaTypeList::DriverMedia Media() override;
    int ApplyMedia(std::uint32_t mediaId) override;
    std::string InkPatternText() override;

private:
    CDriverSettingsLibrary* m_library;
    std::string m_printer;
    std::string m_port;
    const void* m_devMode;
    const CMediaTable* m_table;
};
