#pragma once

#include <QWidget>

// The connection lamp: a red light while the port is open, dark while it is closed.
class TComLed : public QWidget {
    Q_OBJECT
public:
    explicit TComLed(QWidget* parent = nullptr);
    bool IsLit() const { return FLit; }
    void SetLit(bool lit);
    QSize sizeHint() const override { return {22, 22}; }

signals:
    // After every change (also told to the accessibility clients, as the checked state).
    void LitChanged(bool lit);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool FLit = false;
};
