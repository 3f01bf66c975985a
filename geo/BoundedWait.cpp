#include "geo/BoundedWait.h"

#include "core/NestedLoops.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

TBoundedWait::TBoundedWait(QWidget* window) : FWindow(window) {}

bool TBoundedWait::Run(int limitMs)
{
    if (FDone)
        return true;
    if (FWindow)
        FWindow->installEventFilter(this);
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &FLoop, &QEventLoop::quit);
    limit.start(limitMs);
    {
        const TNestedLoopScope scope;
        FLoop.exec();
    }
    if (FWindow)
        FWindow->removeEventFilter(this);
    return FDone;
}

void TBoundedWait::Done()
{
    FDone = true;
    FLoop.quit();
}

bool TBoundedWait::eventFilter(QObject* watched, QEvent* event)
{
    // Seen before the window's own closeEvent, which defers the close until this wait is over.
    if (watched == FWindow && event->type() == QEvent::Close) {
        FCloseRequested = true;
        FLoop.quit();
    }
    return QObject::eventFilter(watched, event);
}
