#pragma once

#include <QEvent>
#include <QObject>

// Notes a close request of the window while a run waits inside it: the run ends, sends nothing
// more and shows no box, so that the window can close once the run has returned.
class TCloseWatch : public QObject {
public:
    explicit TCloseWatch(QObject* window) : FWindow(window)
    {
        if (FWindow)
            FWindow->installEventFilter(this);
    }
    bool Closing() const { return FClosing; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == FWindow && event->type() == QEvent::Close)
            FClosing = true;
        return QObject::eventFilter(watched, event);
    }

private:
    QObject* FWindow;
    bool FClosing = false;
};
