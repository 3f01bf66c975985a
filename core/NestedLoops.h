#pragma once

#include <QObject>
#include <functional>

// Counts the message loops that the program's own code runs nested inside its handlers on the
// user-interface thread: the pause between queued commands, the progress-bar repaint, message
// boxes and file dialogs, the waits for the port's event thread and for the map page. While one
// runs, the handler that started it is still on the stack, so whatever would pull the ground from
// under it (destroying the window) must wait until the last of them has returned.
class TNestedLoopScope {
public:
    TNestedLoopScope();
    ~TNestedLoopScope();
    TNestedLoopScope(const TNestedLoopScope&) = delete;
    TNestedLoopScope& operator=(const TNestedLoopScope&) = delete;
};

namespace NestedLoops {

// How many of the program's own nested loops are running now (0 outside all of them).
int Depth();

// Queues fn to the event loop of context once no nested loop is running any more (at once when
// none runs now). Dropped when context is destroyed first.
void WhenAllEnded(QObject* context, std::function<void()> fn);

} // namespace NestedLoops
