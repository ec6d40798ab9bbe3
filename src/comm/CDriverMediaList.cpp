#include "comm/CDriverMediaList.h"

#include <algorithm>
#include <cstring>

#include "comm/CDriverSettingsLibrary.h"

namespace {

struct SharedList {
    std::string printer;
    std::vector<std::uint16_t> ids;
    std::vector<std::string> names;
    int users = 0;
};

SharedList& Shared() {
    static SharedList list;
    return list;
}

// Element sizes above this are not media ids: refuse instead of allocating.
constexpr std::uint16_t kMaxElementSize = 16;

}  // namespace

CDriverMediaList::CDriverMediaList(CDriverSettingsLibrary* library, const std::string& printer,
                                   const std::string& port) {
    SharedList& s = Shared();
    ++s.users;
    if (!library || printer == s.printer) return;
    s.printer = printer;
    s.ids.clear();
    s.names.clear();
    // A list that could not be read is not this printer's list: the next
    // object for the printer tries again.
    if (!Read(*library, printer, port)) s.printer.clear();
}

CDriverMediaList::~CDriverMediaList() {
    SharedList& s = Shared();
    if (--s.users > 0) return;
    s.users = 0;
    s.ids.clear();
    s.names.clear();
}

bool CDriverMediaList::Read(CDriverSettingsLibrary& library, const std::string& printer, const std::string& port) {
    SharedList& s = Shared();
    KRDM_HANDLE handle = 0;
    if (library.Open(printer, port, nullptr, &handle) != 0) return false;

    KRDM_RANGE range{};
    bool read = library.GetRange(handle, KRDM_ITEM_MEDIA_LIST, &range) >= 0;
    if (read && range.count > 0) {
        read = range.elementSize >= 2 && range.elementSize <= kMaxElementSize;
        const std::size_t count = range.count;
        const std::size_t elementSize = range.elementSize;
        std::vector<std::uint8_t> buffer(read ? count * elementSize : 0);
        range.buffer = buffer.data();
        read = read && library.GetRange(handle, KRDM_ITEM_MEDIA_LIST, &range) >= 0;
        if (read) {
            const std::size_t got = std::min<std::size_t>(count, range.count);
            for (std::size_t i = 0; i < got; ++i) {
                const std::uint8_t* e = buffer.data() + i * elementSize;
                s.ids.push_back(static_cast<std::uint16_t>(e[0] | (e[1] << 8)));
            }
        }
    }
    for (std::uint16_t id : s.ids) {
        char text[kNameBufferSize] = {};
        KRDM_TEXT_REQUEST request{1, sizeof(KRDM_TEXT_REQUEST), kNameBufferSize, 3, id, text};
        library.GetData(handle, KRDM_ITEM_MEDIA_NAME, &request);
        text[kNameBufferSize - 1] = '\0';
        s.names.emplace_back(text);
    }
    library.Close(handle);
    return read;
}

std::uint16_t CDriverMediaList::GetIdAt(int index) const {
    const SharedList& s = Shared();
    return index >= 0 && static_cast<std::size_t>(index) < s.ids.size() ? s.ids[index] : 0;
}

std::string CDriverMediaList::GetNameAt(int index) const {
    const SharedList& s = Shared();
    return index >= 0 && static_cast<std::size_t>(index) < s.names.size() ? s.names[index] : std::string();
}

std::string CDriverMediaList::GetNameById(int id) const {
    const SharedList& s = Shared();
    for (std::size_t i = 0; i < s.ids.size() && i < s.names.size(); ++i)
        if (s.ids[i] == id) return s.names[i];
    return {};
}

int CDriverMediaList::CopyIds(std::uint16_t* out, int capacity) const {
    const SharedList& s = Shared();
    if (s.ids.empty() || !out || capacity < static_cast<int>(s.ids.size())) return 0;
    std::memcpy(out, s.ids.data(), s.ids.size() * sizeof(std::uint16_t));
    return 1;
}

int CDriverMediaList::Count() const { return static_cast<int>(Shared().ids.size()); }

int CDriverMediaList::UserCount() { return Shared().users; }

const std::string& CDriverMediaList::StoredPrinter() { return Shared().printer; }
