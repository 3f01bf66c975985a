#pragma once

#include <QEventLoop>
#include <QObject>
#include <QPointer>

class QWidget;

// A nested wait of the map that never depends on a remote host: it ends when Done() is called,
// when its time limit has passed, or as soon as the user asks to close the window (the close
// itself then comes back once the wait has returned, see TFrmMain::closeEvent). It counts as one
// of the program's nested loops while it runs.
class TBoundedWait : public QObject {
    Q_OBJECT
public:
    // window: the top-level window whose close request ends the wait (may be null).
    explicit TBoundedWait(QWidget* window);

    // Runs the wait; returns true when Done() ended it, false on the time limit or a close.
    bool Run(int limitMs);
    void Done();
    // True when a close request of the window ended the wait.
    bool CloseRequested() const { return FCloseRequested; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QEventLoop FLoop;
    QPointer<QWidget> FWindow;
    bool FDone = false;
    bool FCloseRequested = false;
};
