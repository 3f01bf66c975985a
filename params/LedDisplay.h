#pragma once

#include <QWidget>

// The seven-segment style display of the tracker identifier: ten digit cells, drawn lit on a
// dark face. It holds its text exactly as given (leading zeros kept); a longer text gets more
// cells, and a character that has no seven-segment form leaves its cell dark.
class TLedDisplay : public QWidget {
    Q_OBJECT
public:
    explicit TLedDisplay(QWidget* parent = nullptr);

    static constexpr int DigitCount = 10;
    static constexpr const char* InitialText = "0000000000";

    const QString& Text() const { return FText; }
    void SetText(const QString& text);

    // The segments lit for one character, bit 0 = a (top) ... bit 6 = g (middle); 0 for none.
    static int SegmentsOf(QChar c);

    QSize sizeHint() const override { return {150, 28}; }

signals:
    // After every change of the text (also told to the accessibility clients).
    void TextChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString FText;
};
