// Weak stand-ins for the sheet printer's parts (see SampleSheetParts.h).
#include "custompaper/CustomFileRecord.h"
#include "custompaper/CustomPaperSlot.h"
#include "sampleprint/PrintSampleSheet.h"
#include "sampleprint/SampleSheetParts.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#define PLOTCARE_WEAK __attribute__((weak))

namespace {

std::string Pick(const TextLookup& text, int value, int low, int high, int firstText) {
    return value >= low && value <= high ? text(firstText + value - low) : std::string();
}
std::string Cut(const TextLookup& text, int value, int t0, int t1, int t2, int t3) {
    const int ids[] = {t0, t1, t2, t3};
    return value >= 0 && value <= 3 ? text(ids[value]) : std::string();
}
std::string Draw(const TextLookup& text, int level, int firstText) {
    return level <= 0 && level >= -4 ? text(firstText - level) : std::string();
}
std::int32_t I32(const unsigned char* p) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

} // namespace

PLOTCARE_WEAK int PaperdrawPercent(int level) {
    switch (level) {
    case -1:
        return 50;
    case -2:
        return 30;
    case -3:
        return 10;
    case -4:
        return 6;
    default:
        return 100;
    }
}

PLOTCARE_WEAK std::string NumberLabel(const std::string& name, int value, bool last) {
    return name + "=" + std::to_string(value) + (last ? "" : ",");
}

PLOTCARE_WEAK std::string TextLabel(const std::string& name, const std::string& value, bool last) {
    return name + "=" + value + (last ? "" : ",");
}

PLOTCARE_WEAK std::vector<std::string> BuildRegistrationLabels(const CustomPaperSlot& r,
                                                               const TextLookup& text,
                                                               const MediaNameLookup& mediaName) {
    return {TextLabel(text(30003), mediaName(r.MediaId)),
            NumberLabel(text(30004), r.Paperthick),
            TextLabel(text(30006), Pick(text, r.Platen, 1, 4, 30131)),
            NumberLabel(text(30009), r.Forward),
            NumberLabel(text(30013), r.Drytime),
            TextLabel(text(30017), Cut(text, r.PaperCut, 30140, 30143, 30141, 30142)),
            TextLabel(text(30018), Pick(text, r.Roller, 0, 3, 30150)),
            TextLabel(text(30019), Draw(text, r.Paperdraw, 30020), true)};
}

PLOTCARE_WEAK std::vector<std::string> BuildCustomFileLabels(const CustomFileRecord& r,
                                                             const TextLookup& text,
                                                             const MediaNameLookup& mediaName) {
    return {TextLabel(text(50004), mediaName(r.MediaId)),
            NumberLabel(text(50005), r.Paperthick),
            TextLabel(text(50007), Pick(text, r.Platen, 1, 4, 50131)),
            TextLabel(text(50010), Pick(text, r.Mode, 1, 4, 50160)),
            NumberLabel(text(50011), r.Density),
            NumberLabel(text(30009), r.Forward),
            NumberLabel(text(30013), r.Drytime),
            TextLabel(text(30017), Cut(text, r.PaperCut, 50140, 50143, 50141, 50142)),
            TextLabel(text(30018), Pick(text, r.Roller, 0, 3, 50150)),
            TextLabel(text(30019), Draw(text, r.Paperdraw, 50026), true)};
}

PLOTCARE_WEAK int CheckSampleImage(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -2;
    unsigned char h[54];
    const bool read = std::fread(h, 1, sizeof h, f) == sizeof h;
    std::fclose(f);
    struct stat st {};
    if (!read || ::stat(path.c_str(), &st) != 0) return -2;
    const std::int64_t width = I32(h + 18), height = I32(h + 22),
                       offset = static_cast<std::uint32_t>(I32(h + 10));
    if (width != 4060 || height != 1190) {
        const std::int64_t need = offset + ((width * 3 + 3) / 4) * height * 4;
        return st.st_size < need ? -2 : -1;
    }
    return st.st_size < offset + ((width * 3 + 3) / 4) * height * 4 ? -2 : 0;
}

PLOTCARE_WEAK std::string StandardSampleImagePath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "Sample.bmp";
    const std::string program(buffer, static_cast<std::size_t>(n));
    return program.substr(0, program.rfind('/') + 1) + "Sample.bmp";
}

PLOTCARE_WEAK int PrintSampleSheet(CDriverSettingsLibrary*, const SampleSheetRequest&) {
    return -1;
}
