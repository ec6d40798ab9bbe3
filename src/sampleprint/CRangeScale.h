#pragma once

#include "sampleprint/RangeScaleMath.h"

#include <QWidget>

// A horizontal scale with two thumbs that choose a range: the "min" thumb
// above the groove, pointing down, and the "max" thumb below it, pointing
// up. The "max" thumb never stands below the "min" value and the "min"
// thumb never above the "max" value.
//
// Mouse: press on a thumb and drag it; a thumb dragged past the other one
// takes it along. Keyboard (the scale takes the focus by Tab): Up picks the
// "min" thumb, Down the "max" thumb; Left/Right move the picked thumb by 1,
// Page Up/Page Down by a tenth of the range, Home/End to the range's ends.
// Keyboard moves push the other thumb along as a drag does.
//
// MinChanged/MaxChanged report a thumb's new value after a drag or a key,
// and after SetThumb when the thumb was held back at the other thumb's
// value (the owner's number then needs correcting).
class CRangeScale : public QWidget {
    Q_OBJECT
public:
    enum Thumb { kNone = 0, kMaxThumb = 1, kMinThumb = 2 };

    explicit CRangeScale(QWidget* parent = nullptr);

    // The range's ends; the "max" thumb goes to max and the "min" thumb to
    // min, without a notification.
    void SetRange(int max, int min);
    int Maximum() const { return m_track.maxValue; }
    int Minimum() const { return m_track.minValue; }

    // Moves a thumb to a value limited to the range; nothing when it is
    // already there. A value past the other thumb's is held at that value,
    // and the thumb's signal reports it.
    void SetThumb(int which, int value, bool redraw = true);
    int UpperValue() const { return m_upper.value; }
    int LowerValue() const { return m_lower.value; }
    // The thumbs' rectangles in the scale's coordinates.
    QRect ThumbRect(int which) const;

    bool IsDragging() const { return m_dragging != kNone; }
    // The thumb the keyboard moves.
    int FocusThumb() const { return m_focusThumb; }
    void SetFocusThumb(int which);

    // A red mark at the middle of the range (off unless asked for).
    void SetCentreMark(bool on);

    // The words the accessible value uses for the two thumbs ("min", "max").
    void SetThumbNames(const QString& minName, const QString& maxName);
    // What assistive technology reads as the scale's value: "min -35, max 35".
    QString AccessibleValue() const;

    QSize sizeHint() const override { return {200, 40}; }

signals:
    void MinChanged(int value);
    void MaxChanged(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    struct ThumbState {
        int value = 0;
        int left = 0;
    };

    ThumbState& State(int which) { return which == kMaxThumb ? m_upper : m_lower; }
    // Puts a thumb at a place the user chose (drag or key), pushes the other
    // one along when they would cross, and reports both in that order.
    void PlaceByUser(int which, int left, int value);
    void Report(int which);
    void AnnounceValue();

    RangeScaleMath::Track m_track{0, 0, -100, 100};
    ThumbState m_upper; // the "max" thumb
    ThumbState m_lower; // the "min" thumb
    int m_dragging = kNone;
    RangeScaleMath::Drag m_drag;
    int m_focusThumb = kMinThumb;
    bool m_centreMark = false;
    QString m_minName = QStringLiteral("min");
    QString m_maxName = QStringLiteral("max");
};
