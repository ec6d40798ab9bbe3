#include "app/Artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace Artwork {
namespace {

// One palette for every picture, so the windows look of a piece.
const QColor kBrandDark(0x17, 0x3F, 0x66);
const QColor kBrand(0x1F, 0x5A, 0x8C);
const QColor kBrandLight(0x3C, 0x86, 0xC4);
const QColor kAccent(0x2A, 0x9D, 0x8F);
const QColor kWarm(0xE9, 0x8A, 0x2B);
const QColor kPaper(0xFB, 0xFC, 0xFD);
const QColor kInkC(0x00, 0xA3, 0xDF);
const QColor kInkM(0xD8, 0x1B, 0x7E);
const QColor kInkY(0xF2, 0xC9, 0x1B);
const QColor kInkK(0x2A, 0x2D, 0x31);

QPixmap Blank(QSize size) {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    return pm;
}

void Antialias(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QFont WordmarkFont(int pixelSize) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(true);
    f.setLetterSpacing(QFont::PercentageSpacing, 96);
    return f;
}

// "plotcare" with the last four letters in the accent colour.
void DrawWordmark(QPainter& p, QPointF baseline, int pixelSize, const QColor& first,
                  const QColor& second) {
    p.save();
    p.setFont(WordmarkFont(pixelSize));
    const QString a = QStringLiteral("plot");
    const QString b = QStringLiteral("care");
    p.setPen(first);
    p.drawText(baseline, a);
    const qreal w = p.fontMetrics().horizontalAdvance(a);
    p.setPen(second);
    p.drawText(baseline + QPointF(w, 0), b);
    p.restore();
}

// Four ink dots, the product's small signature.
void DrawInkDots(QPainter& p, QPointF start, qreal d, qreal gap) {
    p.save();
    p.setPen(Qt::NoPen);
    const QColor inks[] = {kInkC, kInkM, kInkY, kInkK};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(inks[i]);
        p.drawEllipse(QRectF(start.x() + i * (d + gap), start.y(), d, d));
    }
    p.restore();
}

// A wide-format printer seen from the front, in a box of w × h (aspect ~1.1).
void DrawPlotter(QPainter& p, const QRectF& box, bool light) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 40.0, box.height() / 36.0);
    const QColor body = light ? QColor(0xF2, 0xF5, 0xF8) : QColor(0x4A, 0x55, 0x60);
    const QColor bodyEdge = light ? QColor(0xB8, 0xC4, 0xD0) : QColor(0x2C, 0x33, 0x3A);
    const QColor top = light ? QColor(0xDD, 0xE4, 0xEB) : QColor(0x33, 0x3B, 0x44);

    // Stand.
    p.setPen(QPen(bodyEdge, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 22), QPointF(6, 34));
    p.drawLine(QPointF(32, 22), QPointF(34, 34));
    p.drawLine(QPointF(4.5, 34), QPointF(9, 34));
    p.drawLine(QPointF(31, 34), QPointF(35.5, 34));
    p.drawLine(QPointF(7, 29), QPointF(33, 29));

    // Body with a darker lid.
    QLinearGradient g(0, 8, 0, 22);
    g.setColorAt(0, body.lighter(104));
    g.setColorAt(1, body.darker(108));
    p.setPen(QPen(bodyEdge, 0.8));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1.5, 8, 37, 14), 2.2, 2.2);
    p.setBrush(top);
    p.drawRoundedRect(QRectF(3, 5, 34, 5), 1.5, 1.5);

    // Paper leaving the front, printed in four inks.
    p.setPen(QPen(QColor(0xB0, 0xB8, 0xC0), 0.6));
    p.setBrush(kPaper);
    QPainterPath sheet;
    sheet.moveTo(9, 18);
    sheet.lineTo(31, 18);
    sheet.lineTo(31.5, 27);
    sheet.quadTo(20, 25.5, 8.5, 27);
    sheet.closeSubpath();
    p.drawPath(sheet);
    p.setPen(Qt::NoPen);
    const QColor inks[] = {kInkC, kInkM, kInkY, kInkK};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(inks[i]);
        p.drawRect(QRectF(11 + i * 4.8, 20, 4.2, 3.2));
    }

    // Control panel and a green ready lamp.
    p.setBrush(light ? QColor(0x9A, 0xA8, 0xB5) : QColor(0x22, 0x28, 0x2E));
    p.drawRoundedRect(QRectF(28.5, 10.5, 7, 4), 0.8, 0.8);
    p.setBrush(QColor(0x3C, 0xC8, 0x6E));
    p.drawEllipse(QRectF(33.2, 11.5, 1.8, 1.8));
    p.restore();
}

// The rounded tile every function picture sits on.
void DrawTile(QPainter& p, qreal s) {
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, kBrandLight);
    g.setColorAt(1, kBrandDark);
    p.setPen(QPen(kBrandDark.darker(130), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.2, s * 0.2);
    // Soft highlight on the upper half.
    QLinearGradient h(0, 0, 0, s * 0.5);
    h.setColorAt(0, QColor(255, 255, 255, 70));
    h.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(h);
    p.drawRoundedRect(QRectF(1.5, 1.5, s - 3, s * 0.5), s * 0.17, s * 0.17);
}

void Badge(QPainter& p, QPointF centre, const QColor& colour) {
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(colour);
    p.drawEllipse(centre, 5.2, 5.2);
}

void Sheet(QPainter& p, const QRectF& r) {
    QPainterPath path;
    const qreal fold = 4;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(0xD0, 0xDA, 0xE4), 0.8));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setBrush(QColor(0xC8, 0xD4, 0xE0));
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.drawPath(corner);
}

void Arrow(QPainter& p, QPointF from, QPointF to, bool both, const QColor& c, qreal width = 2.0) {
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const auto head = [&](QPointF tip, QPointF tail) {
        const qreal dx = tip.x() - tail.x(), dy = tip.y() - tail.y();
        const qreal len = std::hypot(dx, dy);
        const qreal ux = dx / len, uy = dy / len;
        const qreal a = 3.4;
        p.drawLine(tip, QPointF(tip.x() - a * ux - a * uy, tip.y() - a * uy + a * ux));
        p.drawLine(tip, QPointF(tip.x() - a * ux + a * uy, tip.y() - a * uy - a * ux));
    };
    head(to, from);
    if (both) head(from, to);
}

// The white symbol of each function on a 32-unit tile.
void DrawGlyph(QPainter& p, int function) {
    const QColor w = Qt::white;
    p.setBrush(Qt::NoBrush);
    switch (function) {
    case 1: { // automatic adjustment: head, sensor beam, spark
        p.setPen(Qt::NoPen);
        p.setBrush(w);
        p.drawRoundedRect(QRectF(7, 7, 14, 7), 1.5, 1.5);
        p.setBrush(QColor(255, 255, 255, 90));
        QPainterPath beam;
        beam.moveTo(12, 14);
        beam.lineTo(16, 14);
        beam.lineTo(19, 22);
        beam.lineTo(9, 22);
        beam.closeSubpath();
        p.drawPath(beam);
        Arrow(p, QPointF(6, 25.5), QPointF(22, 25.5), true, w, 1.8);
        // Spark: the printer adjusts itself.
        p.setPen(Qt::NoPen);
        p.setBrush(kInkY);
        QPainterPath star;
        const QPointF c(24.5, 10);
        for (int i = 0; i < 8; ++i) {
            const qreal r = (i % 2 == 0) ? 5.0 : 1.8;
            const qreal a = i * M_PI / 4 - M_PI / 2;
            const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
            i == 0 ? star.moveTo(pt) : star.lineTo(pt);
        }
        star.closeSubpath();
        p.drawPath(star);
        break;
    }
    case 2: { // nozzle check and cleaning: stepped pattern and a drop
        p.setPen(QPen(w, 1.6, Qt::SolidLine, Qt::FlatCap));
        for (int i = 0; i < 6; ++i) {
            const qreal x = 6 + i * 2.6;
            const qreal y = 8 + (i % 3) * 3;
            p.drawLine(QPointF(x, y), QPointF(x, y + 8));
        }
        p.setPen(QPen(w, 1.0));
        p.drawLine(QPointF(5, 24.5), QPointF(20, 24.5));
        QPainterPath drop;
        drop.moveTo(24, 9);
        drop.cubicTo(27.5, 14, 29, 16.5, 29, 19);
        drop.cubicTo(29, 22, 26.8, 24, 24, 24);
        drop.cubicTo(21.2, 24, 19, 22, 19, 19);
        drop.cubicTo(19, 16.5, 20.5, 14, 24, 9);
        p.setPen(QPen(kInkC.darker(150), 0.8));
        p.setBrush(kInkC.lighter(115));
        p.drawPath(drop);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawEllipse(QRectF(21.2, 17.5, 2.2, 3.2));
        break;
    }
    case 3: { // custom paper registration: sheet with a plus
        Sheet(p, QRectF(7, 5, 15, 20));
        p.setPen(QPen(QColor(0xA8, 0xB8, 0xC8), 1.0));
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(10, 12 + i * 3.5), QPointF(19, 12 + i * 3.5));
        Badge(p, QPointF(23.5, 23.5), kAccent);
        p.setPen(QPen(w, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(23.5, 20.8), QPointF(23.5, 26.2));
        p.drawLine(QPointF(20.8, 23.5), QPointF(26.2, 23.5));
        break;
    }
    case 4: { // custom paper call: stack of sheets, arrow out
        Sheet(p, QRectF(10, 5, 13, 17));
        Sheet(p, QRectF(7.5, 7.5, 13, 17));
        Sheet(p, QRectF(5, 10, 13, 17));
        p.setPen(QPen(QColor(0xA8, 0xB8, 0xC8), 1.0));
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(7.5, 16 + i * 3.2), QPointF(15, 16 + i * 3.2));
        Badge(p, QPointF(24, 22), kWarm);
        Arrow(p, QPointF(21.2, 22), QPointF(26.8, 22), false, w, 1.6);
        break;
    }
    case 5: { // custom file: folder holding a sheet
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xF4, 0xC4, 0x5E));
        QPainterPath back;
        back.moveTo(5, 9);
        back.lineTo(12, 9);
        back.lineTo(14, 11);
        back.lineTo(27, 11);
        back.lineTo(27, 26);
        back.lineTo(5, 26);
        back.closeSubpath();
        p.drawPath(back);
        Sheet(p, QRectF(9, 7, 13, 13));
        p.setPen(QPen(QColor(0xA8, 0xB8, 0xC8), 1.0));
        p.drawLine(QPointF(11, 12), QPointF(19, 12));
        p.drawLine(QPointF(11, 15), QPointF(19, 15));
        QLinearGradient g(0, 15, 0, 26);
        g.setColorAt(0, QColor(0xFF, 0xD9, 0x7A));
        g.setColorAt(1, QColor(0xF0, 0xB4, 0x40));
        p.setPen(QPen(QColor(0xC9, 0x8A, 0x1E), 0.8));
        p.setBrush(g);
        QPainterPath front;
        front.moveTo(4, 16);
        front.lineTo(28, 16);
        front.lineTo(26.5, 26);
        front.lineTo(5.5, 26);
        front.closeSubpath();
        p.drawPath(front);
        break;
    }
    case 6: { // printer status: printer with ink level bars
        DrawPlotter(p, QRectF(2, 3, 22, 20), true);
        p.setPen(Qt::NoPen);
        const QColor inks[] = {kInkC, kInkM, kInkY, kInkK};
        const qreal levels[] = {0.9, 0.55, 0.75, 0.35};
        for (int i = 0; i < 4; ++i) {
            const QRectF slot(20 + i * 2.6, 12, 2.0, 14);
            p.setBrush(QColor(255, 255, 255, 80));
            p.drawRect(slot);
            p.setBrush(inks[i] == kInkK ? QColor(0xE8, 0xEC, 0xF0) : inks[i]);
            const qreal h = slot.height() * levels[i];
            p.drawRect(QRectF(slot.left(), slot.bottom() - h, slot.width(), h));
        }
        break;
    }
    case 7: { // firmware update: chip with an upward arrow
        p.setPen(QPen(w, 1.2));
        for (int i = 0; i < 4; ++i) {
            const qreal t = 10 + i * 3.6;
            p.drawLine(QPointF(t, 5), QPointF(t, 8));
            p.drawLine(QPointF(t, 24), QPointF(t, 27));
            p.drawLine(QPointF(5, t), QPointF(8, t));
            p.drawLine(QPointF(24, t), QPointF(27, t));
        }
        p.setPen(QPen(QColor(0x10, 0x2A, 0x44), 0.8));
        p.setBrush(QColor(0x2B, 0x34, 0x3E));
        p.drawRoundedRect(QRectF(8, 8, 16, 16), 2, 2);
        Arrow(p, QPointF(16, 21), QPointF(16, 11), false, QColor(0x5C, 0xE0, 0x8C), 2.0);
        break;
    }
    case 8:
    case 9: { // alignment: ruled lines, one or two directions
        p.setPen(QPen(w, 1.6, Qt::SolidLine, Qt::FlatCap));
        for (int i = 0; i < 5; ++i) {
            const qreal x = 7 + i * 4.5;
            const qreal shift = (i == 2) ? 0 : (i < 2 ? -0.8 : 0.8);
            p.drawLine(QPointF(x, 6), QPointF(x, 13));
            p.drawLine(QPointF(x + shift, 13.5), QPointF(x + shift, 19));
        }
        const QColor c = function == 8 ? kInkY : QColor(0x7F, 0xE0, 0xD2);
        Arrow(p, QPointF(6, 25), QPointF(26, 25), function == 8, c, 2.0);
        break;
    }
    default: break;
    }
}

QPixmap FunctionPicture(int function, int size) {
    if (function < 1 || function > 9) return {};
    QPixmap pm = Blank(QSize(size, size));
    QPainter p(&pm);
    Antialias(p);
    DrawTile(p, size);
    p.scale(size / 32.0, size / 32.0);
    DrawGlyph(p, function);
    return pm;
}

void HeaderBackground(QPainter& p, QSize size) {
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
    g.setColorAt(1, QColor(0xE6, 0xEE, 0xF6));
    p.fillRect(QRect(QPoint(0, 0), size), g);
    // Four ink strokes sweeping in from the right edge, fading out above
    // the row of the header's second line so that text stays clean.
    const QColor inks[] = {kInkC, kInkM, kInkY, kInkK};
    p.save();
    p.setClipRect(QRect(0, 0, size.width(), 40));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        QColor top = inks[i];
        top.setAlpha(i == 3 ? 70 : 110);
        QColor bottom = inks[i];
        bottom.setAlpha(0);
        QLinearGradient fade(0, 0, 0, 40);
        fade.setColorAt(0, top);
        fade.setColorAt(0.55, top);
        fade.setColorAt(1, bottom);
        p.setBrush(fade);
        QPainterPath band;
        const qreal x0 = 540 + i * 12;
        band.moveTo(x0, 40);
        band.cubicTo(x0 + 10, 26, x0 + 22, 12, x0 + 46, 0);
        band.lineTo(x0 + 54, 0);
        band.cubicTo(x0 + 30, 12, x0 + 18, 26, x0 + 8, 40);
        band.closeSubpath();
        p.drawPath(band);
    }
    p.restore();
    // Brand rule along the bottom edge.
    p.fillRect(QRect(0, size.height() - 3, size.width(), 2), kBrand);
    p.fillRect(QRect(0, size.height() - 1, size.width(), 1), QColor(0xC5, 0xD2, 0xDF));
}

} // namespace

QPixmap ProgramIconPixmap(int size) {
    QPixmap pm = Blank(QSize(size, size));
    QPainter p(&pm);
    Antialias(p);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, kBrandLight);
    g.setColorAt(1, kBrandDark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 13, 13);
    DrawPlotter(p, QRectF(8, 10, 48, 44), true);
    return pm;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(ProgramIconPixmap(s));
    return icon;
}

QPixmap Splash(SplashKind kind) {
    QPixmap pm(kSplashSize);
    pm.fill(Qt::white);
    QPainter p(&pm);
    Antialias(p);
    const int band = kind == SplashKind::Splash ? 160 : 172;

    QLinearGradient g(0, 0, kSplashSize.width(), band);
    g.setColorAt(0, kBrandDark);
    g.setColorAt(1, kBrand.lighter(112));
    p.fillRect(QRect(0, 0, kSplashSize.width(), band), g);
    // Faint rings behind the printer.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 4; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 22 - i * 4), 14));
        p.drawEllipse(QPointF(380, band * 0.55), 60 + i * 26, 60 + i * 26);
    }
    DrawPlotter(p, QRectF(318, band * 0.55 - 58, 128, 115), true);

    DrawWordmark(p, QPointF(30, band * 0.5 + 6), 42, Qt::white, QColor(0x8E, 0xE3, 0xD6));
    DrawInkDots(p, QPointF(33, band * 0.5 + 22), 9, 6);

    // Ink stripe between the picture and the text area.
    const QColor inks[] = {kInkC, kInkM, kInkY, kInkK};
    const int w = kSplashSize.width() / 4 + 1;
    for (int i = 0; i < 4; ++i) p.fillRect(QRect(i * w, band, w, 4), inks[i]);

    // The light text area keeps the localized lines legible.
    QLinearGradient t(0, band + 4, 0, kSplashSize.height());
    t.setColorAt(0, Qt::white);
    t.setColorAt(1, QColor(0xEE, 0xF3, 0xF8));
    p.fillRect(QRect(0, band + 4, kSplashSize.width(), kSplashSize.height() - band - 4), t);
    p.setPen(QColor(0xC5, 0xD2, 0xDF));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kSplashSize.width() - 1, kSplashSize.height() - 1));
    return pm;
}

QPixmap Header(HeaderKind kind) {
    QPixmap pm(kHeaderSize);
    QPainter p(&pm);
    Antialias(p);
    HeaderBackground(p, kHeaderSize);
    if (kind == HeaderKind::MainMenu) {
        DrawWordmark(p, QPointF(15, 34), 27, kBrand, kAccent);
        p.setFont(WordmarkFont(27));
        const qreal w = p.fontMetrics().horizontalAdvance(QStringLiteral("plotcare"));
        DrawInkDots(p, QPointF(15 + w + 8, 24), 6, 3);
    }
    return pm;
}

QPixmap PageIcon(int function) {
    return FunctionPicture(function, kPageIconWidth);
}

QPixmap ButtonPicture(int function) {
    return FunctionPicture(function, kButtonPictureSize);
}

QPixmap PrinterPicture() {
    QPixmap pm = Blank(kPrinterPictureSize);
    QPainter p(&pm);
    Antialias(p);
    DrawPlotter(p, QRectF(0, 0, kPrinterPictureSize.width(), kPrinterPictureSize.height()), false);
    return pm;
}

QPixmap InkChipStrip() {
    struct Chip {
        QColor colour;
        const char* label;
    };
    // Eight-ink printers use chips 0-7; four-ink printers show 8-11 in the
    // place of 4-7 (the second set of the same four inks).
    const Chip chips[kInkChipCount] = {
        {kInkK, "K"},  {kInkC, "C"},  {kInkM, "M"},  {kInkY, "Y"},
        {QColor(0x80, 0x86, 0x8C), "LK"}, {QColor(0x7F, 0xD3, 0xF2), "LC"},
        {QColor(0xF0, 0x8C, 0xC0), "LM"}, {QColor(0xB8, 0xBE, 0xC4), "LLK"},
        {kInkK, "K"},  {kInkC, "C"},  {kInkM, "M"},  {kInkY, "Y"},
    };
    QPixmap pm = Blank(kInkChipStripSize);
    QPainter p(&pm);
    Antialias(p);
    const int cw = kInkChipStripSize.width() / kInkChipCount;
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    for (int i = 0; i < kInkChipCount; ++i) {
        const QRectF r(i * cw + 3.5, 3.5, cw - 7, kInkChipStripSize.height() - 7);
        const QColor c = chips[i].colour;
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, c.lighter(118));
        g.setColorAt(1, c.darker(108));
        p.setPen(QPen(c.darker(140), 1));
        p.setBrush(g);
        p.drawRoundedRect(r, 4, 4);
        const bool darkInk = c.lightness() < 150;
        p.setPen(darkInk ? Qt::white : QColor(0x20, 0x24, 0x28));
        p.drawText(r, Qt::AlignCenter, QString::fromLatin1(chips[i].label));
    }
    return pm;
}

QPixmap NozzleCheckPicture() {
    const int s = kButtonPictureSize;
    QPixmap pm = Blank(QSize(s, s));
    QPainter p(&pm);
    Antialias(p);
    DrawTile(p, s);
    p.scale(s / 32.0, s / 32.0);
    Sheet(p, QRectF(6, 4, 20, 24));
    // One staircase of nozzle lines per ink, as the printer prints it; the
    // black row has a gap, the clogged nozzle the pattern is there to show.
    const QColor inks[] = {kInkC, kInkM, kInkY, kInkK};
    for (int row = 0; row < 4; ++row) {
        p.setPen(QPen(inks[row], 1.3, Qt::SolidLine, Qt::FlatCap));
        const qreal top = 8.5 + row * 4.8;
        for (int i = 0; i < 6; ++i) {
            if (row == 3 && i == 3) continue;
            const qreal x = 9.5 + i * 2.6;
            const qreal y = top + (i % 3) * 0.9;
            p.drawLine(QPointF(x, y), QPointF(x, y + 2.6));
        }
    }
    return pm;
}

QPixmap HeadCleaningPicture() {
    const int s = kButtonPictureSize;
    QPixmap pm = Blank(QSize(s, s));
    QPainter p(&pm);
    Antialias(p);
    DrawTile(p, s);
    p.scale(s / 32.0, s / 32.0);
    // The print head with its nozzle plate.
    p.setPen(QPen(QColor(0xC8, 0xD4, 0xE0), 0.8));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(6, 5, 16, 9), 1.8, 1.8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2B, 0x34, 0x3E));
    p.drawRect(QRectF(8, 14, 12, 2.4));
    // Ink drawn through the nozzles.
    const QColor inks[] = {kInkC, kInkM, kInkY};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(inks[i]);
        QPainterPath drop;
        const qreal x = 10 + i * 4;
        drop.moveTo(x, 17.5);
        drop.cubicTo(x - 1.6, 20, x - 1.6, 21.6, x, 21.6);
        drop.cubicTo(x + 1.6, 21.6, x + 1.6, 20, x, 17.5);
        p.drawPath(drop);
    }
    // The wiper passing under the head.
    p.setBrush(QColor(0x7F, 0xE0, 0xD2));
    p.drawRoundedRect(QRectF(5, 24, 14, 3), 1.2, 1.2);
    Arrow(p, QPointF(20, 25.5), QPointF(27, 25.5), false, Qt::white, 1.6);
    // A sparkle: the head comes out clean.
    p.setPen(Qt::NoPen);
    p.setBrush(kInkY);
    QPainterPath star;
    const QPointF c(25.5, 9.5);
    for (int i = 0; i < 8; ++i) {
        const qreal r = (i % 2 == 0) ? 4.6 : 1.6;
        const qreal a = i * M_PI / 4 - M_PI / 2;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        i == 0 ? star.moveTo(pt) : star.lineTo(pt);
    }
    star.closeSubpath();
    p.drawPath(star);
    return pm;
}

} // namespace Artwork
