#include "app/WindowAccessible.h"

#include "app/ComLed.h"
#include "app/SegmentProgressBar.h"
#include "i18n/ProgramTexts.h"
#include "params/StatusAccessible.h"

QString ComLedValueText(const TComLed& lamp) { return TranslateText(lamp.IsLit() ? "lamp_open" : "lamp_closed"); }

// ---------------------------------------------------------------------------------------------
// Connection lamp

TComLedAccessible::TComLedAccessible(TComLed* lamp) : QAccessibleWidget(lamp, QAccessible::Indicator) {}

QString TComLedAccessible::text(QAccessible::Text t) const
{
    const auto& lamp = *static_cast<const TComLed*>(object());
    switch (t) {
    case QAccessible::Name:
        // Not the enclosing group's title, which the default would take.
        return lamp.accessibleName().isEmpty() ? TranslateText("lamp_name") : lamp.accessibleName();
    case QAccessible::Value:
        return ComLedValueText(lamp);
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State TComLedAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.checkable = true;
    s.checked = static_cast<const TComLed*>(object())->IsLit();
    return s;
}

// ---------------------------------------------------------------------------------------------
// Progress bar

TSegmentProgressAccessible::TSegmentProgressAccessible(TSegmentProgressBar* bar)
    : QAccessibleWidget(bar, QAccessible::ProgressBar)
{
}

const TSegmentProgressBar& TSegmentProgressAccessible::Bar() const
{
    return *static_cast<const TSegmentProgressBar*>(object());
}

QString TSegmentProgressAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        return widget()->accessibleName().isEmpty() ? TranslateText("progress_name") : widget()->accessibleName();
    case QAccessible::Value:
        return Bar().Text();
    default:
        return QAccessibleWidget::text(t);
    }
}

void* TSegmentProgressAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

QVariant TSegmentProgressAccessible::currentValue() const { return Bar().ShownComplete(); }
QVariant TSegmentProgressAccessible::maximumValue() const { return Bar().TotalParts(); }

// ---------------------------------------------------------------------------------------------

namespace {

QAccessibleInterface* CreateWindowAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("TComLed"))
        if (auto* lamp = qobject_cast<TComLed*>(object))
            return new TComLedAccessible(lamp);
    if (className == QLatin1String("TSegmentProgressBar"))
        if (auto* bar = qobject_cast<TSegmentProgressBar*>(object))
            return new TSegmentProgressAccessible(bar);
    return CreateStatusAccessible(className, object);
}

} // namespace

void InstallAccessibleFactory()
{
    // Installing twice would ask the same factory twice for every object; windows come and go.
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(&CreateWindowAccessible);
}
