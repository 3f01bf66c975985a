#pragma once

#include <QApplication>
#include <atomic>

// The program's application object. Every handler catches what it calls at the user-action
// edge; this is the last line of defence behind them: an exception that still leaves an event
// handler is shown in a box and the program keeps running instead of ending in terminate().
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // How many exceptions reached this guard in this run; the program's own handlers never let
    // one through, so anything but 0 is a fault to mend where it was raised.
    static int EscapedCount() { return FEscaped.load(); }
    static void ResetEscapedCount() { FEscaped = 0; }

private:
    static void ShowEscaped(const QString& message);
    static std::atomic<int> FEscaped;
};
