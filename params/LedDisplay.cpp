#include "params/LedDisplay.h"

#include <QAccessible>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>

namespace {

//   aaa
//  f   b
//   ggg
//  e   c
//   ddd
constexpr int A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64;
constexpr int DigitSegments[10] = {
    A | B | C | D | E | F,     // 0
    B | C,                     // 1
    A | B | D | E | G,         // 2
    A | B | C | D | G,         // 3
    B | C | F | G,             // 4
    A | C | D | F | G,         // 5
    A | C | D | E | F | G,     // 6
    A | B | C,                 // 7
    A | B | C | D | E | F | G, // 8
    A | B | C | D | F | G,     // 9
};

const QColor Face(0x10, 0x10, 0x10);
const QColor Lit(0x00, 0xFF, 0x00);
const QColor Dark(0x1E, 0x3A, 0x1E);

// One segment as a long hexagon between two points, t thick.
QPolygonF Segment(QPointF from, QPointF to, qreal t)
{
    const bool horizontal = qFuzzyCompare(from.y(), to.y());
    const qreal h = t / 2;
    if (horizontal)
        return QPolygonF({QPointF(from.x(), from.y()), QPointF(from.x() + h, from.y() - h), QPointF(to.x() - h, to.y() - h),
                          QPointF(to.x(), to.y()), QPointF(to.x() - h, to.y() + h), QPointF(from.x() + h, from.y() + h)});
    return QPolygonF({QPointF(from.x(), from.y()), QPointF(from.x() + h, from.y() + h), QPointF(to.x() + h, to.y() - h),
                      QPointF(to.x(), to.y()), QPointF(to.x() - h, to.y() - h), QPointF(from.x() - h, from.y() + h)});
}

} // namespace

TLedDisplay::TLedDisplay(QWidget* parent) : QWidget(parent), FText(QString::fromLatin1(InitialText))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TLedDisplay::SetText(const QString& text)
{
    if (text == FText)
        return;
    const QString old = FText;
    FText = text;
    update();
    QAccessibleTextUpdateEvent event(this, 0, old, FText);
    QAccessible::updateAccessibility(&event);
    emit TextChanged(FText);
}

int TLedDisplay::SegmentsOf(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return DigitSegments[u - '0'];
    if (u == '-')
        return G;
    return 0;
}

void TLedDisplay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Face);
    const int cells = std::max<int>(DigitCount, int(FText.size()));
    const qreal cellW = qreal(width() - 4) / cells;
    const qreal t = std::max<qreal>(1.5, std::min(cellW, qreal(height())) * 0.14);
    const qreal top = 3 + t / 2, bottom = height() - 3 - t / 2, middle = (top + bottom) / 2;
    p.setPen(Qt::NoPen);
    // Right-aligned, as a counter shows its number.
    const int offset = cells - int(FText.size());
    for (int cell = 0; cell < cells; ++cell) {
        const int index = cell - offset;
        const int lit = index >= 0 ? SegmentsOf(FText.at(index)) : 0;
        const qreal left = 2 + cell * cellW + cellW * 0.18, right = 2 + (cell + 1) * cellW - cellW * 0.18;
        const struct {
            int bit;
            QPointF from, to;
        } segments[] = {
            {A, {left, top}, {right, top}},        {B, {right, top}, {right, middle}},
            {C, {right, middle}, {right, bottom}}, {D, {left, bottom}, {right, bottom}},
            {E, {left, middle}, {left, bottom}},   {F, {left, top}, {left, middle}},
            {G, {left, middle}, {right, middle}},
        };
        for (const auto& s : segments) {
            // A value from a tracker no longer connected shows in grey.
            p.setBrush((lit & s.bit) ? (isEnabled() ? Lit : QColor(0x80, 0x80, 0x80)) : Dark);
            p.drawPolygon(Segment(s.from, s.to, t));
        }
    }
}
