#include "params/BarMeter.h"

#include <QAccessible>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>

namespace {

const QColor UnlitGrey(0xA0, 0xA0, 0xA0);

} // namespace

TBarMeter::TBarMeter(int minimum, int maximum, QList<QColor> segmentColors, TShape shape, QWidget* parent,
                     TReading reading)
    : QWidget(parent), FMinimum(minimum), FMaximum(std::max(minimum, maximum)), FValue(minimum),
      FColors(std::move(segmentColors)), FShape(shape), FReadingKind(reading)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

TBarMeter* TBarMeter::MakeSignalMeter(QWidget* parent)
{
    const QColor red(Qt::red), yellow(Qt::yellow), lime(0x00, 0xFF, 0x00);
    return new TBarMeter(0, 5, {red, red, yellow, yellow, lime}, TShape::Rising, parent);
}

TBarMeter* TBarMeter::MakeBatteryMeter(QWidget* parent)
{
    return new TBarMeter(0, 100, QList<QColor>(10, QColor(0x00, 0xFF, 0x00)), TShape::Flat, parent,
                         TReading::Percent);
}

void TBarMeter::SetValue(int value)
{
    value = std::clamp(value, FMinimum, FMaximum);
    if (value == FValue)
        return;
    const int told = ReadingValue();
    FValue = value;
    update();
    emit ValueChanged(value);
    if (ReadingValue() != told) {
        QAccessibleValueChangeEvent event(this, ReadingValue());
        QAccessible::updateAccessibility(&event);
        emit ReadingChanged(ReadingValue());
    }
}

void TBarMeter::SetReading(int value)
{
    value = std::clamp(value, FMinimum, FMaximum);
    const int told = ReadingValue();
    FHasReading = true;
    FReading = value;
    if (ReadingValue() != told) {
        QAccessibleValueChangeEvent event(this, ReadingValue());
        QAccessible::updateAccessibility(&event);
        emit ReadingChanged(ReadingValue());
    }
}

void TBarMeter::ClearReading()
{
    const int told = ReadingValue();
    FHasReading = false;
    if (ReadingValue() != told) {
        QAccessibleValueChangeEvent event(this, ReadingValue());
        QAccessible::updateAccessibility(&event);
        emit ReadingChanged(ReadingValue());
    }
}

int TBarMeter::LitSegments() const
{
    const int span = FMaximum - FMinimum;
    if (span <= 0 || FColors.isEmpty())
        return 0;
    const int64_t n = FColors.size();
    return int(((int64_t(FValue) - FMinimum) * n * 2 + span) / (int64_t(span) * 2));
}

QSize TBarMeter::sizeHint() const
{
    return FShape == TShape::Rising ? QSize(60, 20) : QSize(110, 16);
}

void TBarMeter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int n = int(FColors.size());
    if (n == 0)
        return;
    const qreal gap = 2;
    const qreal w = (width() - gap * (n - 1)) / n;
    const qreal h = height() - 1;
    const int lit = LitSegments();
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 0.5));
    for (int i = 0; i < n; ++i) {
        const qreal x = i * (w + gap);
        // A value from a tracker no longer connected: its lit segments in a darker grey.
        p.setBrush(i < lit ? (isEnabled() ? FColors[i] : QColor(0x70, 0x70, 0x70)) : UnlitGrey);
        if (FShape == TShape::Flat) {
            p.drawRect(QRectF(x, 0.5, w, h - 0.5));
            continue;
        }
        // Each segment's left edge is as tall as the previous segment's right edge, so the five
        // together form one wedge that rises to the right.
        const qreal left = h * (i + 1) / (n + 1);
        const qreal right = h * (i + 2) / (n + 1);
        const QPolygonF shape({QPointF(x, h), QPointF(x, h - left), QPointF(x + w, h - right), QPointF(x + w, h)});
        p.drawPolygon(shape);
    }
}
