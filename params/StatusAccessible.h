#pragma once

#include <QAccessibleWidget>
#include <QString>

class QLabel;
class TBarMeter;
class TLedDisplay;

// The status displays as screen readers and test tools see them. Each display is named by the
// label beside it (the label's buddy is the display) and tells its value as the text a sighted
// user reads off it; the same text is its tooltip.

// The caption of the label whose buddy the widget is, without shortcut marks; empty without one.
QString BuddyCaption(const QWidget* widget);
// "3 / 5" for the signal meters, "80%" for the battery.
QString BarMeterValueText(const TBarMeter& meter);
// A label's caption and the value beside it, as a tooltip: "GSM: 3 / 5".
QString StatusTipText(const QString& caption, const QString& value);

// The identifier display: static text whose text is the digits exactly as shown.
class TLedDisplayAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TLedDisplayAccessible(TLedDisplay* display);

    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleTextInterface: the digits, read only, nothing selected.
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    const TLedDisplay& Display() const;
};

// A bar meter: a level from its minimum to its maximum, told as "3 / 5" or "80%".
class TBarMeterAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TBarMeterAccessible(TBarMeter* meter);

    QString text(QAccessible::Text t) const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    // QAccessibleValueInterface: read only; the tracker sets the level.
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 1; }

private:
    const TBarMeter& Meter() const;
};

// The accessibility factory's part for the status displays: an interface for a TLedDisplay or a
// TBarMeter, nullptr for anything else.
QAccessibleInterface* CreateStatusAccessible(const QString& className, QObject* object);
