#pragma once

#include <QAccessibleWidget>

class TComLed;
class TSegmentProgressBar;

// The window's own drawn widgets as screen readers and test tools see them: the connection lamp
// and the exchange's progress bar. Neither has a label, so their names are texts of their own.

// "open" while the lamp is lit, "closed" otherwise.
QString ComLedValueText(const TComLed& lamp);

// The connection lamp: an indicator, checked while the port is open.
class TComLedAccessible : public QAccessibleWidget {
public:
    explicit TComLedAccessible(TComLed* lamp);
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
};

// The progress bar: commands finished of their total, told as the "%u / %u" text it shows.
class TSegmentProgressAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TSegmentProgressAccessible(TSegmentProgressBar* bar);
    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    const TSegmentProgressBar& Bar() const;
};

// Installs, once per run, the factory that gives every drawn widget of the window (these two and
// the status displays) its interface. Qt asks it before its own for each class of an object.
void InstallAccessibleFactory();
