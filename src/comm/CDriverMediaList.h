#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CDriverSettingsLibrary;

// The driver's list of media types (ids and names), read once per printer
// and shared by every user: all objects see one static list. The list is
// read again only when an object is created with a library for another
// printer than the stored one, or when reading failed (no printer is stored
// then); it is freed when the last object goes (the stored printer name
// stays).
class CDriverMediaList {
public:
    // With a null library only the user count changes (start-up keeps the
    // shared list alive this way for the whole run).
    CDriverMediaList(CDriverSettingsLibrary* library, const std::string& printer, const std::string& port);
    ~CDriverMediaList();
    CDriverMediaList(const CDriverMediaList&) = delete;
    CDriverMediaList& operator=(const CDriverMediaList&) = delete;

    // 0 outside 0 .. Count()-1.
    std::uint16_t GetIdAt(int index) const;
    // Empty outside 0 .. Count()-1.
    std::string GetNameAt(int index) const;
    // The name of the first entry with that id, or empty.
    std::string GetNameById(int id) const;
    // 1 with the ids copied; 0 when there is no list or capacity < Count().
    int CopyIds(std::uint16_t* out, int capacity) const;
    int Count() const;

    // The shared state, for diagnostics and tests.
    static int UserCount();
    static const std::string& StoredPrinter();

    // Media name buffer size of the driver's name request.
    static constexpr std::uint32_t kNameBufferSize = 260;

private:
    // False when the driver would not open or give its list.
    static bool Read(CDriverSettingsLibrary& library, const std::string& printer, const std::string& port);
};
