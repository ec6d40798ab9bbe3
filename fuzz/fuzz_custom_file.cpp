// Custom files come from users and other systems: whatever a file holds,
// the reader refuses it or reads it, without a crash, a hang or an
// unbounded allocation; and what the writer's editor puts into any text is
// what a lookup then finds (for texts whose lines the reader does not split).
#include "FuzzInputFile.h"
#include "base/CKeyFileEditor.h"
#include "custompaper/CCustomFile.h"
#include "custompaper/CCustomFileIndex.h"
#include "custompaper/CustomFileText.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string& path = FuzzInputFile("customfile", data, size);
    for (const char* driver : {"ORVEX Corvan Max 7100", "ORVEX ", ""}) {
        CCustomFile file(driver);
        if (file.Attach(path) != 0) continue;
        const int count = file.MediaCount();
        std::vector<std::string> names;
        if (count > 0 && file.ReadNames(names, count) == 0) {
            if (static_cast<int>(names.size()) != count) std::abort();
            for (const std::string& name : names)
                if (CustomFileText::CharacterCount(name) > CCustomFile::kNameLength) std::abort();
        }
        CustomFileRecord record;
        for (int k = 0; k <= count + 1 && k < 4; ++k)
            file.ReadEntry(k, record);
    }

    CKeyFileEditor editor(text);
    editor.SetValue("Media01", "CustomName", "x=y");
    editor.SetValue("Base", "MediaCount", "3");
    const std::string edited = editor.Text();
    bool longLine = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= edited.size(); ++i)
        if (i == edited.size() || edited[i] == '\n') {
            longLine = longLine || i - start >= 255;
            start = i + 1;
        }
    if (!longLine && edited.find('\0') == std::string::npos) {
        const CCustomFileIndex index(edited);
        const std::string* name = index.Find("Media01", "CustomName");
        const std::string* count = index.Find("Base", "MediaCount");
        if (!name || *name != "x=y" || !count || *count != "3") std::abort();
    }
    return 0;
}
