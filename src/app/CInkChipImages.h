#pragma once

#include <QPixmap>

#include <array>

class QPainter;

// The ink colour chips that the alignment pages show above their columns,
// cut from one 456 × 22 strip into 12 chips of 38 × 22, and the ink count of
// the selected printer (0 until a page sets it).
class CInkChipImages {
public:
    static constexpr int kCount = 12;

    CInkChipImages();

    int InkCount() const { return m_inkCount; }
    void SetInkCount(int count) { m_inkCount = count; }

    const QPixmap& Image(int index) const;
    QSize ImageSize() const { return m_images[0].size(); }

    // The chip of a column: nothing while the ink count is below 4; a
    // four-ink printer takes the second set for columns 4 and up.
    int ImageIndexForColumn(int column) const;
    void DrawColumn(QPainter& painter, QPoint topLeft, int column) const;

private:
    std::array<QPixmap, kCount> m_images;
    int m_inkCount = 0;
};
