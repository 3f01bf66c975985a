#include "app/SegmentProgressBar.h"

#include <QAccessible>
#include <QPainter>
#include <cmath>

TSegmentProgressBar::TSegmentProgressBar(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(20);
}

void TSegmentProgressBar::SetTotalParts(int total)
{
    const QString before = Text();
    FTotal = total;
    Changed(before);
}

void TSegmentProgressBar::SetPartsComplete(int complete)
{
    const QString before = Text();
    FComplete = complete;
    Changed(before);
}

void TSegmentProgressBar::Changed(const QString& before)
{
    update();
    const QString now = Text();
    if (now == before)
        return;
    QAccessibleValueChangeEvent event(this, ShownComplete());
    QAccessible::updateAccessibility(&event);
    emit TextChanged(now);
}

int TSegmentProgressBar::ShownComplete() const
{
    if (FComplete > FTotal || FComplete < 0)
        return FTotal;
    return FComplete;
}

QString TSegmentProgressBar::Text() const
{
    // Both numbers are shown unsigned, as the bar always did.
    return QStringLiteral("%1 / %2").arg(unsigned(ShownComplete())).arg(unsigned(FTotal));
}

void TSegmentProgressBar::SetNote(const QString& note)
{
    if (note == FNote)
        return;
    FNote = note;
    setToolTip(note);
    setAccessibleDescription(note);
    update();
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

int TSegmentProgressBar::Percent() const
{
    if (FTotal <= 0)
        return 0;
    return int(std::lround(100.0 * ShownComplete() / FTotal));
}

void TSegmentProgressBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    p.fillRect(r, palette().base());
    const int filled = r.width() * Percent() / 100;
    p.fillRect(QRect(r.left(), r.top(), filled, r.height()), QColor(0x33, 0x99, 0x33));
    p.setPen(palette().mid().color());
    p.drawRect(r);
    p.setPen(palette().text().color());
    p.drawText(r, Qt::AlignCenter, Text());
    if (!FNote.isEmpty())
        p.drawText(r.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter, FNote);
}
