// bench_samplesheet: render time and job size of a sample sheet.
//
//   bench_samplesheet [--rounds N] [--keep FOLDER]
//
// For each model's PPD (in the build's driver folder), on its widest media
// at the driver's default resolution, with the standard Sample.bmp and the
// ten labels of a custom file entry:
//  1. the time to load the image and draw the sheet into its PDF (median of
//     N rounds, default 5);
//  2. the PDF's size against one compressed copy of the image plus its
//     labels: the same sheet on a page one tile wide (target: at most 1.1
//     times, whatever the tile count), and, for reference, the image's
//     pixels deflated on their own.
#include "platform/DeviceMode.h"
#include "sampleprint/PrintSampleSheet.h"
#include "sampleprint/SampleImage.h"

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cups/ppd.h>
#include <string>
#include <vector>

namespace {

double Seconds() {
    using namespace std::chrono;
    return duration_cast<duration<double>>(steady_clock::now().time_since_epoch()).count();
}

// The widest page size the PPD offers.
std::string WidestPageSize(const std::string& ppdPath, double& widthPt) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    std::string name;
    widthPt = 0;
    if (ppd_file_t* ppd = ppdOpenFile(ppdPath.c_str())) {
        for (int i = 0; i < ppd->num_sizes; ++i) {
            if (ppd->sizes[i].width > widthPt) {
                widthPt = ppd->sizes[i].width;
                name = ppd->sizes[i].name;
            }
        }
        ppdClose(ppd);
    }
#pragma GCC diagnostic pop
    return name;
}

const std::vector<std::string> kLabels = {"Media Type=Premium Glossy Photo Paper 260,",
                                          "Paper Thickness=3,",
                                          "Platen Gap=Standard,",
                                          "Print Mode=Standard,",
                                          "Color Density=-12,",
                                          "Paper Feed Adjustment=-35,",
                                          "Drying Time=20,",
                                          "Cut Method=Standard,",
                                          "Roll Tension=Normal,",
                                          "Paper Suction=Standard"};

} // namespace

int main(int argc, char** argv) {
    int rounds = 5;
    std::string keep; // a folder for the sheets' PDFs, for a look at them
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--keep") == 0) keep = argv[i + 1];
    }
    if (!std::getenv("PLOTCARE_OUTPUT_DIR"))
        setenv("PLOTCARE_OUTPUT_DIR", PLOTCARE_OUTPUT_DIR_DEFAULT, 1);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const std::string out = std::getenv("PLOTCARE_OUTPUT_DIR");
    QGuiApplication app(argc, argv);
    const QFont font(QStringLiteral("DejaVu Sans"));
    const std::string imagePath = out + "/Sample.bmp";

    const QImage image = LoadSampleImage(imagePath);
    if (image.isNull()) {
        std::fprintf(stderr, "bench_samplesheet: no sample image at %s\n", imagePath.c_str());
        return 1;
    }
    const QByteArray pixels(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    const qsizetype deflated = qCompress(pixels).size();
    qsizetype labelBytes = 0;
    for (const auto& l : kLabels)
        labelBytes += static_cast<qsizetype>(l.size());

    std::printf(
        "sample image %dx%d, %lld bytes of pixels, deflated %lld bytes; labels %lld bytes\n",
        image.width(), image.height(), static_cast<long long>(pixels.size()),
        static_cast<long long>(deflated), static_cast<long long>(labelBytes));
    std::printf("%-9s %-12s %-10s %5s %10s %12s %12s %9s %9s\n", "model", "media", "dpi", "tiles",
                "render ms", "job bytes", "1-tile bytes", "ratio", "/deflate");

    for (const char* model : {"ovcm7100", "ovqz7100"}) {
        const std::string ppd = out + "/driver/" + model + ".ppd";
        double widthPt = 0;
        const std::string media = WidestPageSize(ppd, widthPt);
        DeviceMode mode;
        mode.options = {{"PageSize", media}};
        const auto page = SampleSheetPageFor(ppd, mode);
        if (media.empty() || !page) {
            std::fprintf(stderr, "bench_samplesheet: cannot read %s\n", ppd.c_str());
            return 1;
        }

        std::vector<double> times;
        QByteArray pdf;
        for (int r = 0; r < rounds; ++r) {
            const double start = Seconds();
            const QImage loaded = LoadSampleImage(imagePath);
            pdf = RenderSampleSheetPdf(*page, loaded, kLabels, 5, font);
            times.push_back((Seconds() - start) * 1000);
        }
        std::sort(times.begin(), times.end());
        if (!keep.empty()) {
            if (std::FILE* f = std::fopen((keep + "/" + model + ".pdf").c_str(), "wb")) {
                std::fwrite(pdf.constData(), 1, static_cast<std::size_t>(pdf.size()), f);
                std::fclose(f);
            }
        }

        // The same sheet on a page that holds exactly one tile.
        SampleSheetPage single = *page;
        const SampleSheetLayout layout = LayoutSampleSheet(
            {}, page->PageWidth(), page->dpiX, page->dpiY, image.width(), image.height());
        single.paperWidthPt =
            single.marginLeftPt + single.marginRightPt + layout.tileWidth * 72.0 / page->dpiX + 1;
        const QByteArray one = RenderSampleSheetPdf(single, image, kLabels, 5, font);

        const double ratio = one.isEmpty() ? 0 : static_cast<double>(pdf.size()) / one.size();
        const double toDeflate =
            static_cast<double>(pdf.size()) / static_cast<double>(deflated + labelBytes);
        std::printf("%-9s %-12s %4dx%-5d %5zu %10.0f %12lld %12lld %9.3f %9.3f\n", model,
                    media.c_str(), page->dpiX, page->dpiY, layout.tileX.size(),
                    times[times.size() / 2], static_cast<long long>(pdf.size()),
                    static_cast<long long>(one.size()), ratio, toDeflate);
    }
    std::printf("target: job bytes at most 1.1 x one compressed copy (one tile's sheet; deflated "
                "pixels + labels), whatever the tile count\n");
    return 0;
}
