// The virtual printer's reader of the driver's sheet header: any bytes. A
// header it takes lies within the bytes given and within the header's own
// limits, and its title is as long as the header says.
#include "SheetHeader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vprinter::SheetHeaderRead read = vprinter::ReadSheetHeader(data, size);
    if (read.status != vprinter::SheetHeaderStatus::Ok) {
        if (read.length != 0) std::abort();
        return 0;
    }
    if (read.length > size || read.length < vprinter::kSheetHeaderFixed ||
        read.length != vprinter::kSheetHeaderFixed + read.settings.title.size() ||
        read.settings.title.size() > vprinter::kSheetHeaderMaxTitle)
        std::abort();
    if ((read.settings.given & vprinter::SheetSettings::Mode) &&
        (read.settings.printMode < 1 || read.settings.printMode > 4))
        std::abort();
    return 0;
}
