// The sheet as a PDF: the page format from the driver's PPDs, the drawing
// checked by rendering the PDF with poppler, and the single embedded image.
#include "GuiApp.h"
#include "TestFiles.h"
#include "platform/DeviceMode.h"
#include "platform/PpdPageFormat.h"
#include "sampleprint/PrintSampleSheet.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <sstream>

namespace {

std::string DriverPpd(const std::string& model) {
    const char* out = std::getenv("PLOTCARE_OUTPUT_DIR");
    return std::string(out && *out ? out : PLOTCARE_TEST_OUTPUT_DIR) + "/driver/" + model + ".ppd";
}

// Output of a shell command, or "" when it failed.
std::string Run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0)
            out.append(buffer, n);
        if (pclose(p) != 0) return {};
    }
    return out;
}

// The images `pdfimages -list` finds in a document: each object once,
// however often the page draws it, with its encoding.
std::set<std::string> ListedImages(const std::string& pdfPath) {
    std::istringstream list(Run("pdfimages -list '" + pdfPath + "'"));
    std::set<std::string> objects;
    std::string line;
    for (int heading = 0; heading < 2 && std::getline(list, line); ++heading) {
    }
    while (std::getline(list, line)) {
        // page num type width height color comp bpc enc interp object generation ...
        std::istringstream fields(line);
        std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
        if (f.size() >= 12) objects.insert(f[10] + " " + f[11] + " " + f[8]);
    }
    return objects;
}

// Left half red, right half blue: tells tiles, their order and the gaps.
QImage TwoColourImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, x < width / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    return image;
}

bool Reddish(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool Bluish(QRgb c) {
    return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
}
bool White(QRgb c) {
    return qRed(c) > 240 && qGreen(c) > 240 && qBlue(c) > 240;
}

} // namespace

TEST(SampleSheetPage, PageAndResolutionFromTheQueuesChoices) {
    struct Case {
        const char* model;
        DeviceMode::Entries choices;
        double widthPt;
        int dpiX;
        int dpiY;
        int pageWidth;
    };
    const Case cases[] = {
        // The defaults: 44 in roll, standard quality at 720 dpi; 8.5 pt margins.
        {"ovcm7100", {}, 3168, 720, 720, 31510},
        {"ovcm7100", {{"PageSize", "A4"}, {"OVPrintQuality", "Mode1"}}, 595.28, 360, 720, 2891},
        {"ovcm7100",
         {{"PageSize", "Roll24x36in"}, {"OVPrintQuality", "Mode4"}},
         1728,
         1440,
         1440,
         34220},
        {"ovqz7100", {}, 1728, 720, 720, 17110},
        {"ovqz7100", {{"PageSize", "Custom.1000x2000"}}, 1000, 720, 720, 9830},
    };
    for (const Case& c : cases) {
        DeviceMode mode;
        mode.options = c.choices;
        const auto page = SampleSheetPageFor(DriverPpd(c.model), mode);
        ASSERT_TRUE(page.has_value()) << c.model;
        EXPECT_NEAR(page->paperWidthPt, c.widthPt, 0.01) << c.model;
        EXPECT_EQ(page->dpiX, c.dpiX) << c.model;
        EXPECT_EQ(page->dpiY, c.dpiY) << c.model;
        EXPECT_EQ(page->PageWidth(), c.pageWidth) << c.model;
    }
    EXPECT_FALSE(SampleSheetPageFor("/nonexistent.ppd", DeviceMode{}).has_value());
}

TEST(SampleSheetPage, ResolutionTexts) {
    int x = 0;
    int y = 0;
    EXPECT_TRUE(ParseResolutionText("720dpi", x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(720, 720));
    EXPECT_TRUE(ParseResolutionText("1440x720dpi", x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(1440, 720));
    for (const char* bad : {"", "dpi", "720", "0dpi", "-5dpi", "720dpix", "720x0dpi"}) {
        EXPECT_FALSE(ParseResolutionText(bad, x, y)) << bad;
    }
}

// A 4 in wide printable area at 360 dpi (1440 pixels) with a 200 x 100 image:
// tiles every 205 pixels from 0 to 1435, the last one cut at the edge.
// Rendered at 72 dpi one rendered pixel is 5 device pixels.
TEST(SampleSheetPdf, RenderedSheetShowsLabelsAndTilesWithOneImage) {
    EnsureGuiApp();
    TempDir dir;
    SampleSheetPage page;
    page.paperWidthPt = 4 * 72 + 20;
    page.paperHeightPt = 2 * 72;
    page.marginLeftPt = 10;
    page.marginRightPt = 10;
    page.dpiX = page.dpiY = 360;
    ASSERT_EQ(page.PageWidth(), 1440);

    QFont font(QStringLiteral("DejaVu Sans"));
    const std::vector<std::string> labels = {"Media=Glossy,", "Feed=-35,", "Thickness=3"};
    const QByteArray pdf = RenderSampleSheetPdf(page, TwoColourImage(200, 100), labels, 1, font);
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    const std::string path = dir.file("sheet.pdf");
    std::ofstream(path, std::ios::binary).write(pdf.constData(), pdf.size());

    // One image, stored losslessly: a sample must show the image's fine
    // lines as they are, not a lossy copy of them.
    const std::set<std::string> images = ListedImages(path);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images.begin()->substr(images.begin()->rfind(' ') + 1), "image");

    // Rendered at 360 dpi, one rendered pixel per device pixel.
    ASSERT_EQ(
        std::system(("pdftoppm -r 360 -png -singlefile '" + path + "' '" + dir.file("sheet") + "'")
                        .c_str()),
        0);
    const QImage shot(QString::fromStdString(dir.file("sheet.png")));
    ASSERT_FALSE(shot.isNull());
    ASSERT_EQ(shot.width(), 1540);

    const int originX = 50; // the left margin
    auto inkIn = [&](int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (!White(shot.pixel(x, y))) return true;
        return false;
    };
    // The labels fit on one line at y 13 .. 68; nothing between the line and
    // the image, which starts at 106.
    EXPECT_TRUE(inkIn(originX, 13, originX + 200, 68));
    const SampleSheetLayout layout = LayoutSampleSheet({1, 1, 1}, 1440, 360, 360, 200, 100);
    ASSERT_EQ(layout.imageTop, 106);
    EXPECT_FALSE(inkIn(originX, 80, originX + 1440, 104));

    // Each tile: red left half, blue right half, a white gap of 5 after it.
    const int rowY = 106 + 50;
    for (int tile = 0; tile < 7; ++tile) {
        const int left = originX + tile * 205;
        EXPECT_TRUE(Reddish(shot.pixel(left + 2, rowY))) << "tile " << tile;
        EXPECT_TRUE(Reddish(shot.pixel(left + 97, rowY))) << "tile " << tile;
        EXPECT_TRUE(Bluish(shot.pixel(left + 103, rowY))) << "tile " << tile;
        EXPECT_TRUE(Bluish(shot.pixel(left + 197, rowY))) << "tile " << tile;
        EXPECT_TRUE(White(shot.pixel(left + 202, rowY))) << "gap after tile " << tile;
    }
    // The eighth tile starts at 1435, 5 pixels before the edge: red up to
    // the edge, nothing in the margin beyond it.
    EXPECT_TRUE(Reddish(shot.pixel(originX + 1437, rowY)));
    EXPECT_FALSE(inkIn(originX + 1441, 0, shot.width(), shot.height()));
    // The image is 100 rows high; below it the page is empty.
    EXPECT_TRUE(Reddish(shot.pixel(originX + 2, 108)));
    EXPECT_TRUE(Reddish(shot.pixel(originX + 2, 204)));
    EXPECT_FALSE(inkIn(originX, 208, originX + 1440, shot.height()));
}

// Each tile draws the same image, so the document holds it once and its
// size does not grow with the page width.
TEST(SampleSheetPdf, DocumentSizeDoesNotGrowWithTheTiles) {
    EnsureGuiApp();
    QImage image = TwoColourImage(400, 200);
    // Noise, so the image does not compress to nothing.
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x)
            image.setPixel(x, y, qRgb((x * 7 + y * 13) % 256, (x * y) % 256, (x ^ y) % 256));
    auto pdfFor = [&](double widthIn) {
        SampleSheetPage page;
        page.paperWidthPt = widthIn * 72;
        page.paperHeightPt = 3 * 72;
        page.dpiX = page.dpiY = 720;
        return RenderSampleSheetPdf(page, image, {"A=1,", "B=2"}, 0, QFont());
    };
    const QByteArray one = pdfFor(1);
    const QByteArray many = pdfFor(44);
    ASSERT_FALSE(one.isEmpty());
    ASSERT_FALSE(many.isEmpty());
    EXPECT_LT(many.size(), one.size() + 4096);
}
