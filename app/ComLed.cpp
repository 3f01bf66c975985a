#include "app/ComLed.h"

#include <QAccessible>
#include <QPainter>
#include <QRadialGradient>

TComLed::TComLed(QWidget* parent) : QWidget(parent) { setFixedSize(22, 22); }

void TComLed::SetLit(bool lit)
{
    if (FLit == lit)
        return;
    FLit = lit;
    update();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    emit LitChanged(lit);
}

void TComLed::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(2, 2, -2, -2);
    QRadialGradient g(r.center() - QPointF(3, 3), r.width() / 1.4);
    g.setColorAt(0, FLit ? QColor(255, 170, 170) : QColor(140, 140, 140));
    g.setColorAt(1, FLit ? QColor(220, 0, 0) : QColor(60, 60, 60));
    p.setBrush(g);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.drawEllipse(r);
}
