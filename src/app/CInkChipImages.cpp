#include "app/CInkChipImages.h"

#include "app/Artwork.h"

#include <QPainter>

CInkChipImages::CInkChipImages() {
    const QPixmap strip = Artwork::InkChipStrip();
    const int w = strip.width() / kCount;
    for (int i = 0; i < kCount; ++i) m_images[i] = strip.copy(i * w, 0, w, strip.height());
}

const QPixmap& CInkChipImages::Image(int index) const {
    static const QPixmap none;
    return index >= 0 && index < kCount ? m_images[index] : none;
}

int CInkChipImages::ImageIndexForColumn(int column) const {
    if (m_inkCount < 4) return -1;
    return (m_inkCount == 4 && column >= 4) ? column + 4 : column;
}

void CInkChipImages::DrawColumn(QPainter& painter, QPoint topLeft, int column) const {
    const int index = ImageIndexForColumn(column);
    if (index >= 0 && index < kCount) painter.drawPixmap(topLeft, m_images[index]);
}
