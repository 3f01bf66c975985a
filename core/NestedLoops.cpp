#include "core/NestedLoops.h"

#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <utility>

namespace {

struct TWaiting {
    QPointer<QObject> Context;
    std::function<void()> Fn;
};

// Only the user-interface thread runs these loops.
int g_depth = 0;
QList<TWaiting>& Waiting()
{
    static QList<TWaiting> waiting;
    return waiting;
}

void Post(const TWaiting& w)
{
    if (w.Context)
        QMetaObject::invokeMethod(w.Context.data(), w.Fn, Qt::QueuedConnection);
}

} // namespace

TNestedLoopScope::TNestedLoopScope() { ++g_depth; }

TNestedLoopScope::~TNestedLoopScope()
{
    if (--g_depth > 0)
        return;
    // Posted rather than run here: the handler that ran the loop is still on the stack.
    const QList<TWaiting> due = std::exchange(Waiting(), {});
    for (const TWaiting& w : due)
        Post(w);
}

namespace NestedLoops {

int Depth() { return g_depth; }

void WhenAllEnded(QObject* context, std::function<void()> fn)
{
    TWaiting w{context, std::move(fn)};
    if (g_depth > 0)
        Waiting().append(std::move(w));
    else
        Post(w);
}

} // namespace NestedLoops
