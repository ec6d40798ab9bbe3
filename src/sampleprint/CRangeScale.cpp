#include "sampleprint/CRangeScale.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include <algorithm>

namespace {

using RangeScaleMath::kThumbWidth;

// A slider to assistive technology, whose value is the range in words.
class RangeScaleAccessible final : public QAccessibleWidget {
public:
    explicit RangeScaleAccessible(QWidget* scale) : QAccessibleWidget(scale, QAccessible::Slider) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return static_cast<const CRangeScale*>(widget())->AccessibleValue();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* RangeScaleAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("CRangeScale") && object && object->isWidgetType())
        return new RangeScaleAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

// A raised arrow: a body from `top` to `bottom` whose tip (the last four
// rows) points down to the groove, or up to it when `pointsUp`.
void DrawArrowThumb(QPainter& p, const QPalette& pal, int left, int top, int bottom, bool pointsUp,
                    bool focused) {
    const int right = left + kThumbWidth - 1;
    const int centre = left + kThumbWidth / 2;
    constexpr int tip = 4;
    QPolygon shape;
    if (pointsUp)
        shape << QPoint(centre, top) << QPoint(right, top + tip) << QPoint(right, bottom)
              << QPoint(left, bottom) << QPoint(left, top + tip);
    else
        shape << QPoint(left, top) << QPoint(right, top) << QPoint(right, bottom - tip)
              << QPoint(centre, bottom) << QPoint(left, bottom - tip);
    p.setPen(Qt::NoPen);
    p.setBrush(focused ? pal.color(QPalette::Highlight) : pal.color(QPalette::Button));
    p.drawPolygon(shape);
    p.setBrush(Qt::NoBrush);

    // Lit edges (top and left) outside in the highlight, inside in the light
    // colour; shaded edges outside in the dark shadow, inside in the shadow.
    const auto line = [&p](const QColor& c, QPoint a, QPoint b) {
        p.setPen(c);
        p.drawLine(a, b);
    };
    const QColor highlight = pal.color(QPalette::Light);
    const QColor light = pal.color(QPalette::Midlight);
    const QColor shadow = pal.color(QPalette::Dark);
    const QColor darkShadow = pal.color(QPalette::Shadow);
    if (pointsUp) {
        line(highlight, {left, bottom - 1}, {left, top + tip});
        line(highlight, {left, top + tip}, {centre, top});
        line(light, {left + 1, bottom - 1}, {left + 1, top + tip});
        line(darkShadow, {centre, top}, {right, top + tip});
        line(darkShadow, {right, top + tip}, {right, bottom});
        line(darkShadow, {right, bottom}, {left, bottom});
        line(shadow, {right - 1, top + tip}, {right - 1, bottom - 1});
        line(shadow, {right - 1, bottom - 1}, {left + 1, bottom - 1});
    } else {
        line(highlight, {left, bottom - tip}, {left, top});
        line(highlight, {left, top}, {right - 1, top});
        line(light, {left + 1, bottom - tip}, {left + 1, top + 1});
        line(light, {left + 1, top + 1}, {right - 2, top + 1});
        line(darkShadow, {right, top}, {right, bottom - tip});
        line(darkShadow, {right, bottom - tip}, {centre, bottom});
        line(shadow, {left, bottom - tip}, {centre, bottom});
        line(shadow, {right - 1, top + 1}, {right - 1, bottom - tip});
    }
}

} // namespace

CRangeScale::CRangeScale(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(RangeScaleAccessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_track.right = width();
    SetRange(100, -100);
}

void CRangeScale::SetRange(int max, int min) {
    m_track.maxValue = max;
    m_track.minValue = min;
    m_upper = {max, RangeScaleMath::ThumbLeft(m_track, max)};
    m_lower = {min, RangeScaleMath::ThumbLeft(m_track, min)};
    m_dragging = kNone;
    update();
    AnnounceValue();
}

void CRangeScale::SetThumb(int which, int value, bool redraw) {
    if (which != kMaxThumb && which != kMinThumb) return;
    value = RangeScaleMath::Limit(m_track, value);
    ThumbState& thumb = State(which);
    if (thumb.value == value) return;
    bool heldBack = false;
    if (which == kMaxThumb && value <= m_lower.value) {
        thumb = m_lower;
        heldBack = true;
    } else if (which == kMinThumb && value >= m_upper.value) {
        thumb = m_upper;
        heldBack = true;
    } else {
        thumb = {value, RangeScaleMath::ThumbLeft(m_track, value)};
    }
    if (redraw) update();
    AnnounceValue();
    if (heldBack) Report(which);
}

QRect CRangeScale::ThumbRect(int which) const {
    const int mid = height() / 2;
    if (which == kMaxThumb) return QRect(QPoint(m_upper.left, mid + 4), QPoint(m_upper.left + kThumbWidth - 1, height() - 3));
    if (which == kMinThumb) return QRect(QPoint(m_lower.left, 2), QPoint(m_lower.left + kThumbWidth - 1, mid - 4));
    return {};
}

void CRangeScale::SetFocusThumb(int which) {
    if (which != kMaxThumb && which != kMinThumb) return;
    m_focusThumb = which;
    update();
}

void CRangeScale::SetCentreMark(bool on) {
    m_centreMark = on;
    update();
}

void CRangeScale::SetThumbNames(const QString& minName, const QString& maxName) {
    m_minName = minName;
    m_maxName = maxName;
    AnnounceValue();
}

QString CRangeScale::AccessibleValue() const {
    return QStringLiteral("%1 %2, %3 %4").arg(m_minName).arg(m_lower.value).arg(m_maxName).arg(m_upper.value);
}

void CRangeScale::PlaceByUser(int which, int left, int value) {
    ThumbState& thumb = State(which);
    thumb = {value, left};
    const int other = which == kMaxThumb ? kMinThumb : kMaxThumb;
    ThumbState& otherThumb = State(other);
    // Crossed: the "min" thumb beyond the "max" one, by place or by value.
    const bool crossed = m_lower.left > m_upper.left || m_lower.value > m_upper.value;
    update();
    AnnounceValue();
    Report(which);
    if (crossed) {
        otherThumb = thumb;
        update();
        AnnounceValue();
        Report(other);
    }
}

void CRangeScale::Report(int which) {
    if (which == kMaxThumb)
        emit MaxChanged(m_upper.value);
    else
        emit MinChanged(m_lower.value);
}

void CRangeScale::AnnounceValue() {
    if (!QAccessible::isActive()) return;
    QAccessibleValueChangeEvent event(this, AccessibleValue());
    QAccessible::updateAccessibility(&event);
}

void CRangeScale::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const int left = 0;
    const int right = width();
    const int mid = height() / 2;

    // The groove: four lines, shadow over dark shadow over light over
    // highlight, so that it looks cut into the face.
    const QColor groove[4] = {pal.color(QPalette::Dark), pal.color(QPalette::Shadow),
                              pal.color(QPalette::Midlight), pal.color(QPalette::Light)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(groove[i]);
        p.drawLine(left + 5, mid - 2 + i, right - 6, mid - 2 + i);
    }

    // Ten ticks above and below; a tick under a thumb takes the face colour.
    const int w = (right - 5) - (left + 5);
    const QRect minThumb = ThumbRect(kMinThumb);
    const QRect maxThumb = ThumbRect(kMaxThumb);
    for (int i = 0; i <= 9; ++i) {
        const int x = left + 5 + (i * w) / 9;
        const bool underMin = x > minThumb.left() && x < minThumb.right() + 1;
        const bool underMax = x > maxThumb.left() && x < maxThumb.right() + 1;
        p.setPen(pal.color(underMin ? QPalette::Button : QPalette::Shadow));
        p.drawLine(x, mid - 6, x, mid - 4);
        p.setPen(pal.color(underMax ? QPalette::Button : QPalette::Shadow));
        p.drawLine(x, mid + 3, x, mid + 6);
    }

    if (m_centreMark) {
        const int centre = RangeScaleMath::ThumbLeft(m_track, (m_track.maxValue + m_track.minValue) / 2) + kThumbWidth / 2;
        p.setPen(Qt::red);
        p.drawLine(centre, mid - 6, centre, mid + 6);
    }

    const bool focused = hasFocus();
    DrawArrowThumb(p, pal, minThumb.left(), minThumb.top(), minThumb.bottom(), false,
                   focused && m_focusThumb == kMinThumb);
    DrawArrowThumb(p, pal, maxThumb.left(), maxThumb.top(), maxThumb.bottom(), true,
                   focused && m_focusThumb == kMaxThumb);
}

void CRangeScale::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isEnabled()) return;
    const QPoint at = event->position().toPoint();
    if (ThumbRect(kMinThumb).contains(at))
        m_dragging = kMinThumb;
    else if (ThumbRect(kMaxThumb).contains(at))
        m_dragging = kMaxThumb;
    else
        return;
    m_focusThumb = m_dragging;
    m_drag = {State(m_dragging).left, at.x()};
    update();
}

void CRangeScale::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (m_dragging == kNone) return;
    const RangeScaleMath::Drag moved = RangeScaleMath::MoveDrag(m_track, m_drag, event->position().toPoint().x());
    if (moved.thumbLeft == m_drag.thumbLeft) {
        m_drag = moved;
        return;
    }
    m_drag = moved;
    PlaceByUser(m_dragging, moved.thumbLeft, RangeScaleMath::ValueAt(m_track, moved.thumbLeft));
}

void CRangeScale::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) m_dragging = kNone;
}

void CRangeScale::keyPressEvent(QKeyEvent* event) {
    if (m_dragging != kNone) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int span = m_track.maxValue - m_track.minValue;
    const int page = std::max(1, span / 10);
    const int current = State(m_focusThumb).value;
    int wanted = current;
    switch (event->key()) {
    case Qt::Key_Up:
        SetFocusThumb(kMinThumb);
        return;
    case Qt::Key_Down:
        SetFocusThumb(kMaxThumb);
        return;
    case Qt::Key_Left:
        wanted = current - 1;
        break;
    case Qt::Key_Right:
        wanted = current + 1;
        break;
    case Qt::Key_PageDown:
        wanted = current - page;
        break;
    case Qt::Key_PageUp:
        wanted = current + page;
        break;
    case Qt::Key_Home:
        wanted = m_track.minValue;
        break;
    case Qt::Key_End:
        wanted = m_track.maxValue;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    wanted = RangeScaleMath::Limit(m_track, wanted);
    if (wanted != current) PlaceByUser(m_focusThumb, RangeScaleMath::ThumbLeft(m_track, wanted), wanted);
}

void CRangeScale::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_track.left = 0;
    m_track.right = width();
    m_upper.left = RangeScaleMath::ThumbLeft(m_track, m_upper.value);
    m_lower.left = RangeScaleMath::ThumbLeft(m_track, m_lower.value);
}

void CRangeScale::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void CRangeScale::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
