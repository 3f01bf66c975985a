#pragma once

#include <QWidget>

// The exchange's progress: commands finished against their total, as "%u / %u" over a bar
// filled in proportion (whole percent). A finished count outside 0..total shows as the total.
class TSegmentProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TSegmentProgressBar(QWidget* parent = nullptr);

    int TotalParts() const { return FTotal; }
    int PartsComplete() const { return FComplete; }
    void SetTotalParts(int total);
    void SetPartsComplete(int complete);
    // The finished count as displayed, and the text shown.
    int ShownComplete() const;
    QString Text() const;
    int Percent() const;
    // A short word beside the count (why the last exchange or Write ended as it did); empty
    // for none. Also the bar's tooltip and accessible description.
    void SetNote(const QString& note);
    QString Note() const { return FNote; }

signals:
    // After every change of the text shown (also told to the accessibility clients).
    void TextChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Changed(const QString& before);

    int FTotal = 1;
    int FComplete = 0;
    QString FNote;
};
