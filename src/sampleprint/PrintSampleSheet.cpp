#include "sampleprint/PrintSampleSheet.h"

#include "app/ShellApp.h"
#include "comm/CDriverSettingsLibrary.h"
#include "platform/DeviceMode.h"
#include "platform/PpdPageFormat.h"
#include "platform/Spooler.h"
#include "sampleprint/SampleImage.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>

namespace {

// Space between labels on a line, between lines, and above the first line.
constexpr int kLabelGap = 50;
constexpr int kLineGap = 13;
// The gap between two tiles, in image pixels.
constexpr int kTileGap = 5;

constexpr const char* kPdfFormat = "application/pdf";

// The device mode the driver prints with for this printer; none when the
// driver cannot be opened or gives no block.
std::optional<DeviceMode> DriverDeviceMode(CDriverSettingsLibrary* library,
                                           const std::string& printer) {
    if (!library) return std::nullopt;
    KRDM_HANDLE handle = 0;
    if (library->Open(printer, {}, nullptr, &handle) != 0 || handle == 0) return std::nullopt;
    std::optional<DeviceMode> mode;
    const int size = library->GetDevMode(handle, nullptr);
    if (size >= 1 && static_cast<std::size_t>(size) <= DeviceModeBlock::kMaxSize) {
        std::vector<std::uint8_t> block(static_cast<std::size_t>(size));
        const int written = library->GetDevMode(handle, block.data());
        if (written >= 1 && written <= size)
            mode = DeviceModeBlock::Decode(block.data(), static_cast<std::size_t>(written));
    }
    library->Close(handle);
    return mode;
}

// A label's font: the base font's face and attributes at the given pixel
// height. On a device whose pixels are not square the glyphs are widened
// or narrowed so that they keep their shape on paper.
QFont LabelFont(const QFont& base, int pixelHeight, bool bold, int dpiX, int dpiY) {
    QFont font = base;
    font.setPixelSize(std::max(1, pixelHeight));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    if (dpiX != dpiY) font.setStretch(std::clamp(MulDiv(100, dpiX, dpiY), 1, 4000));
    return font;
}

} // namespace

int SampleSheetPage::PageWidth() const {
    const double width = (paperWidthPt - marginLeftPt - marginRightPt) * dpiX / 72.0;
    return width > 0 ? static_cast<int>(width) : 0;
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return 0;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = (c < 0 ? -static_cast<std::int64_t>(c) : c) / 2;
    // Rounds half away from zero.
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude =
        ((product < 0 ? -product : product) + half) / (c < 0 ? -static_cast<std::int64_t>(c) : c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

SheetRect SampleSheetLayout::BandRect(int imageHeight, int rowsDone, int band) const {
    SheetRect r;
    r.left = 0;
    r.top = imageTop + static_cast<int>(static_cast<float>(imageHeight - band - rowsDone) * scaleY);
    r.right = tileWidth;
    r.bottom = r.top + static_cast<int>(static_cast<float>(band) * scaleY);
    return r;
}

SampleSheetLayout LayoutSampleSheet(const std::vector<int>& labelWidths, int pageWidth, int dpiX,
                                    int dpiY, int imageWidth, int imageHeight) {
    (void)imageHeight;
    SampleSheetLayout layout;
    layout.scaleX = static_cast<float>(dpiX) * (1.0f / kSampleImageDpi);
    layout.scaleY = static_cast<float>(dpiY) * (1.0f / kSampleImageDpi);
    layout.lineHeight = MulDiv(11, dpiY, 72);
    layout.labelHeight = MulDiv(10, dpiY, 72);

    int x = 0;
    int y = kLineGap;
    for (const int width : labelWidths) {
        if (x + width < pageWidth) {
            layout.labels.push_back({x, y, pageWidth, y + layout.lineHeight});
            x = x + width + kLabelGap;
        } else {
            y = y + layout.lineHeight + kLineGap;
            layout.labels.push_back({0, y, pageWidth, y + layout.lineHeight});
            x = width + kLabelGap;
        }
    }
    layout.imageTop = y + layout.lineHeight + kLineGap + MulDiv(5, dpiY, 72);

    layout.tileWidth = static_cast<int>(static_cast<float>(imageWidth) * layout.scaleX);
    layout.tileStep = static_cast<int>(static_cast<float>(imageWidth + kTileGap) * layout.scaleX);
    // A tile that starts inside the page (its edge included) is drawn even
    // when it runs past the edge.
    if (layout.tileStep > 0) {
        for (int tile = 0; tile <= pageWidth; tile += layout.tileStep)
            layout.tileX.push_back(tile);
    } else {
        layout.tileX.push_back(0);
    }
    return layout;
}

int DrawImageBands(int imageHeight, const std::function<bool(int rowsDone, int band)>& drawBand) {
    int band = imageHeight;
    int rowsDone = 0;
    while (rowsDone < imageHeight) {
        while (!drawBand(rowsDone, band)) {
            band /= 2;
            if (band == 0) return -1;
        }
        rowsDone += band;
        if (rowsDone + band > imageHeight) band = imageHeight - rowsDone;
    }
    return 0;
}

std::optional<SampleSheetPage> SampleSheetPageFor(const std::string& ppdPath,
                                                  const DeviceMode& mode) {
    const auto format = ReadPpdPageFormat(ppdPath, mode.options);
    if (!format) return std::nullopt;
    SampleSheetPage page;
    page.paperWidthPt = format->widthPt;
    page.paperHeightPt = format->lengthPt;
    page.marginLeftPt = format->left;
    page.marginBottomPt = format->bottom;
    page.marginRightPt = std::max(0.0, format->widthPt - format->right);
    page.marginTopPt = std::max(0.0, format->lengthPt - format->top);
    // The sample image's own resolution when the driver names none.
    page.dpiX = format->dpiX > 0 ? format->dpiX : kSampleImageDpi;
    page.dpiY = format->dpiY > 0 ? format->dpiY : kSampleImageDpi;
    return page;
}

QByteArray RenderSampleSheetPdf(const SampleSheetPage& page, const QImage& image,
                                const std::vector<std::string>& labels, int highlightIndex,
                                const QFont& baseFont) {
    if (image.isNull() || page.dpiX <= 0 || page.dpiY <= 0) return {};
    QByteArray pdf;
    QBuffer buffer(&pdf);
    if (!buffer.open(QIODevice::WriteOnly)) return {};
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("plotcare"));
        // Device units are 1/dpiY inch on the writer; x units are mapped to
        // 1/dpiX inch by the painter's scale below.
        writer.setResolution(page.dpiY);
        const QPageSize size(QSizeF(page.paperWidthPt, page.paperHeightPt), QPageSize::Point,
                             QString(), QPageSize::ExactMatch);
        const QPageLayout layout(
            size, QPageLayout::Portrait,
            QMarginsF(page.marginLeftPt, page.marginTopPt, page.marginRightPt, page.marginBottomPt),
            QPageLayout::Point, QMarginsF());
        if (!writer.setPageLayout(layout)) return {};

        QPainter painter;
        if (!painter.begin(&writer)) return {};
        painter.scale(static_cast<double>(page.dpiY) / page.dpiX, 1.0);
        // The sample shows the image's fine lines and grey steps as they
        // are: no lossy (JPEG) copy of it.
        painter.setRenderHint(QPainter::LosslessImageRendering);
        const int pageWidth = page.PageWidth();
        // The printer prints nothing outside the printable area: a tile that
        // runs past the edge is cut there.
        const double pageHeight =
            (page.paperHeightPt - page.marginTopPt - page.marginBottomPt) * page.dpiY / 72.0;
        painter.setClipRect(QRectF(0, 0, pageWidth, std::max(0.0, pageHeight)));

        const int lineHeight = MulDiv(11, page.dpiY, 72);
        const int labelHeight = MulDiv(10, page.dpiY, 72);
        std::vector<QFont> fonts;
        std::vector<int> widths;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const bool highlighted = static_cast<int>(i) == highlightIndex;
            fonts.push_back(LabelFont(baseFont, highlighted ? lineHeight : labelHeight, highlighted,
                                      page.dpiX, page.dpiY));
            widths.push_back(QFontMetrics(fonts.back(), &writer)
                                 .horizontalAdvance(QString::fromStdString(labels[i])));
        }
        const SampleSheetLayout sheet = LayoutSampleSheet(widths, pageWidth, page.dpiX, page.dpiY,
                                                          image.width(), image.height());

        painter.setPen(Qt::black);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const SheetRect& r = sheet.labels[i];
            painter.setFont(fonts[i]);
            painter.drawText(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine |
                                 Qt::TextDontClip,
                             QString::fromStdString(labels[i]));
        }

        // Every tile of a band draws the same image object, so the PDF
        // holds its pixels once. The whole image is one band unless a band
        // image cannot be made.
        const int result = DrawImageBands(image.height(), [&](int rowsDone, int band) {
            QImage part;
            if (band == image.height()) {
                part = image;
            } else {
                try {
                    part = image.copy(0, image.height() - rowsDone - band, image.width(), band);
                } catch (const std::bad_alloc&) {
                    return false;
                }
                if (part.isNull()) return false;
            }
            const SheetRect r = sheet.BandRect(image.height(), rowsDone, band);
            for (const int x : sheet.tileX) {
                painter.drawImage(QRect(x, r.top, r.right - r.left, r.bottom - r.top), part);
            }
            return true;
        });
        painter.end();
        if (result != 0) return {};
    }
    buffer.close();
    return pdf;
}

std::vector<std::pair<std::string, std::string>> SampleSheetJobOptions(const DeviceMode& mode) {
    std::vector<std::pair<std::string, std::string>> options = mode.options;
    for (const auto& [name, value] : mode.driverValues)
        options.emplace_back("OV" + name, value);
    return options;
}

int PrintSampleSheet(CDriverSettingsLibrary* library, const SampleSheetRequest& request) {
    const auto mode = DriverDeviceMode(library, request.printerName);
    if (!mode) return kSheetNoDeviceMode;

    Spooler& spooler = Spooler::Current();
    const auto page = SampleSheetPageFor(spooler.PpdPath(request.printerName), *mode);
    if (!page || page->PageWidth() < 1) return kSheetNoPrinterContext;

    const QImage image = LoadSampleImage(request.imagePath);
    if (image.isNull()) return kSheetNotDrawn;
    const QFont font = request.baseFont ? *request.baseFont : ShellApp::BaseFont();
    const QByteArray pdf =
        RenderSampleSheetPdf(*page, image, request.labels, request.highlightIndex, font);
    if (pdf.isEmpty()) return kSheetNotDrawn;

    const bool highlighted = request.highlightIndex >= 0 &&
                             request.highlightIndex < static_cast<int>(request.labels.size());
    const std::string title = highlighted
                                  ? request.labels[static_cast<std::size_t>(request.highlightIndex)]
                                  : std::string();

    const Spooler::Handle printer = spooler.OpenPrinter(request.printerName);
    if (printer == 0) return kSheetNoPrinterContext;
    int result = kSheetNotSubmitted;
    if (spooler.StartDocument(printer, title, kPdfFormat, SampleSheetJobOptions(*mode)) > 0) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(pdf.constData());
        std::size_t done = 0;
        bool ok = true;
        while (ok && done < static_cast<std::size_t>(pdf.size())) {
            const std::int64_t n = spooler.WriteDocument(
                printer, data + done, static_cast<std::size_t>(pdf.size()) - done);
            if (n <= 0)
                ok = false;
            else
                done += static_cast<std::size_t>(n);
        }
        if (ok && spooler.EndDocument(printer))
            result = kSheetPrinted;
        else if (!ok)
            spooler.CancelDocument(printer);
    }
    spooler.ClosePrinter(printer);
    return result;
}
