#pragma once

#include "custompaper/MediaTypeList.h"

#include <cstdint>
#include <string>

class CDriverSettingsLibrary;
class CMediaTable;

// What the alignment pages ask of the selected printer's driver: its kind,
// its media list, and the media the operator chose (written into the
// driver, which answers the media's default paper thickness). Each call
// stands for one short-lived driver access through the driver-settings
// library. Tests and the review renderings derive a driver of their own.
class CAlignmentDriver {
public:
    // `devMode` (the printer's driver settings block, may be null) and
    // `table` (null: the application's) must outlive this object.
    CAlignmentDriver(CDriverSettingsLibrary* library, std::string printer, std::string port,
                     const void* devMode, const CMediaTable* table);
    virtual ~CAlignmentDriver();

    // 1, 2 or 3; -1 when the driver cannot be asked.
    virtual int DriverKind();
    // Media ids and names in the driver's order; empty when there is none.
    virtual MediaTypeList::DriverMedia Media();
    // Makes `mediaId` the driver's media and returns its default paper
    // thickness in 0.1 mm; -1 for none.
    virtual int ApplyMedia(std::uint32_t mediaId);

protected:
    CAlignmentDriver() = default;

private:
    CDriverSettingsLibrary* m_library = nullptr;
    std::string m_printer;
    std::string m_port;
    const void* m_devMode = nullptr;
    const CMediaTable* m_table = nullptr;
};
