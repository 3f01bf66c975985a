#pragma once

#include <QColor>
#include <QList>
#include <QWidget>

// A bar meter of coloured segments: the lit share of the segments follows the value, the rest
// are grey. Any value given to it is held inside its range.
class TBarMeter : public QWidget {
    Q_OBJECT
public:
    enum class TShape { Rising, Flat }; // Rising: trapezoids growing from small to large
    // How the value is told in words: "3 / 5" against the maximum, or "80%".
    enum class TReading { OfMaximum, Percent };

    TBarMeter(int minimum, int maximum, QList<QColor> segmentColors, TShape shape, QWidget* parent = nullptr,
              TReading reading = TReading::OfMaximum);

    // The signal meters: 0 to 5 in five rising segments, two red, two yellow, one lime.
    static TBarMeter* MakeSignalMeter(QWidget* parent);
    // The battery meter: 0 to 100 in ten lime segments.
    static TBarMeter* MakeBatteryMeter(QWidget* parent);

    int Minimum() const { return FMinimum; }
    int Maximum() const { return FMaximum; }
    // The value drawn.
    int Value() const { return FValue; }
    void SetValue(int value);
    // The value told in words (tooltip, screen readers): the value drawn, unless a reading has
    // been set apart from it. The battery meter's charging animation draws other values while
    // the level the tracker answered stays the one told.
    int ReadingValue() const { return FHasReading ? FReading : FValue; }
    void SetReading(int value);
    void ClearReading();
    // How many segments are lit for the current value (rounded to the nearest segment).
    int LitSegments() const;
    int SegmentCount() const { return int(FColors.size()); }
    QColor SegmentColor(int index) const { return FColors.value(index); }
    TReading Reading() const { return FReadingKind; }

    QSize sizeHint() const override;

signals:
    // After every change of the value drawn.
    void ValueChanged(int value);
    // After every change of the value told (also told to the accessibility clients).
    void ReadingChanged(int value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FMinimum;
    int FMaximum;
    int FValue;
    QList<QColor> FColors;
    TShape FShape;
    TReading FReadingKind;
    bool FHasReading = false;
    int FReading = 0;
};
