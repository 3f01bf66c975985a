#include "params/StatusAccessible.h"

#include "i18n/ProgramTexts.h"
#include "params/BarMeter.h"
#include "params/LedDisplay.h"

#include <QLabel>
#include <algorithm>

QString BuddyCaption(const QWidget* widget)
{
    if (!widget)
        return QString();
    // The label may sit anywhere in the window; the panel puts it beside its display.
    for (const QLabel* label : widget->window()->findChildren<QLabel*>())
        if (label->buddy() == widget) {
            QString caption = label->text();
            caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
            caption.remove(QLatin1Char('&'));
            caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
            return caption;
        }
    return QString();
}

QString BarMeterValueText(const TBarMeter& meter)
{
    if (meter.Reading() == TBarMeter::TReading::Percent)
        return TranslateText("meter_percent").arg(meter.ReadingValue());
    return TranslateText("meter_level").arg(meter.ReadingValue()).arg(meter.Maximum());
}

QString StatusTipText(const QString& caption, const QString& value)
{
    return TranslateText("status_tip").arg(caption, value);
}

// ---------------------------------------------------------------------------------------------
// Identifier display

TLedDisplayAccessible::TLedDisplayAccessible(TLedDisplay* display)
    : QAccessibleWidget(display, QAccessible::StaticText)
{
}

const TLedDisplay& TLedDisplayAccessible::Display() const { return *static_cast<const TLedDisplay*>(object()); }

QString TLedDisplayAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return widget()->accessibleName().isEmpty() ? BuddyCaption(widget()) : widget()->accessibleName();
    case QAccessible::Value:
        return Display().Text();
    default:
        return QAccessibleWidget::text(t);
    }
}

void* TLedDisplayAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

void TLedDisplayAccessible::selection(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

QString TLedDisplayAccessible::text(int startOffset, int endOffset) const
{
    const QString& all = Display().Text();
    startOffset = std::clamp(startOffset, 0, int(all.size()));
    endOffset = std::clamp(endOffset, startOffset, int(all.size()));
    return all.mid(startOffset, endOffset - startOffset);
}

int TLedDisplayAccessible::characterCount() const { return int(Display().Text().size()); }

QRect TLedDisplayAccessible::characterRect(int offset) const
{
    // The digits are right-aligned in cells of equal width, at least ten of them.
    const TLedDisplay& d = Display();
    const int count = int(d.Text().size());
    if (offset < 0 || offset >= count)
        return QRect();
    const int cells = std::max<int>(TLedDisplay::DigitCount, count);
    const int cellWidth = std::max(1, d.width() / cells);
    const int cell = cells - count + offset;
    return QRect(d.mapToGlobal(QPoint(cell * cellWidth, 0)), QSize(cellWidth, d.height()));
}

int TLedDisplayAccessible::offsetAtPoint(const QPoint& point) const
{
    for (int i = 0; i < characterCount(); ++i)
        if (characterRect(i).contains(point))
            return i;
    return -1;
}

QString TLedDisplayAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = offset;
    *endOffset = offset;
    return QString();
}

// ---------------------------------------------------------------------------------------------
// Bar meters

TBarMeterAccessible::TBarMeterAccessible(TBarMeter* meter) : QAccessibleWidget(meter, QAccessible::ProgressBar) {}

const TBarMeter& TBarMeterAccessible::Meter() const { return *static_cast<const TBarMeter*>(object()); }

QString TBarMeterAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return widget()->accessibleName().isEmpty() ? BuddyCaption(widget()) : widget()->accessibleName();
    case QAccessible::Value:
        return BarMeterValueText(Meter());
    default:
        return QAccessibleWidget::text(t);
    }
}

void* TBarMeterAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QVariant TBarMeterAccessible::currentValue() const { return Meter().ReadingValue(); }
QVariant TBarMeterAccessible::maximumValue() const { return Meter().Maximum(); }
QVariant TBarMeterAccessible::minimumValue() const { return Meter().Minimum(); }

// ---------------------------------------------------------------------------------------------

QAccessibleInterface* CreateStatusAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("TLedDisplay"))
        if (auto* display = qobject_cast<TLedDisplay*>(object))
            return new TLedDisplayAccessible(display);
    if (className == QLatin1String("TBarMeter"))
        if (auto* meter = qobject_cast<TBarMeter*>(object))
            return new TBarMeterAccessible(meter);
    return nullptr;
}
