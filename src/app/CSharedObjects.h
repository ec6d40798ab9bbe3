#pragma once

#include <memory>

class CBidiLibrary;
class CCustomPaperTable;
class CDriverSettingsLibrary;
class CInkChipImages;
class CMediaTable;

// The objects the application creates at start-up and every page shares,
// from start-up to exit. Created and destroyed by the start-up sequence in
// its fixed order; pages reach them through Current().
struct CSharedObjects {
    std::unique_ptr<CCustomPaperTable> customPaperTable;
    std::unique_ptr<CInkChipImages> inkChips;
    std::unique_ptr<CDriverSettingsLibrary> driverSettingsLibrary;
    std::unique_ptr<CBidiLibrary> bidiLibrary;
    std::unique_ptr<CMediaTable> mediaTable;

    CSharedObjects();
    ~CSharedObjects();

    // The set in use, null outside a run.
    static CSharedObjects* Current();
    static void SetCurrent(CSharedObjects* objects);
};
