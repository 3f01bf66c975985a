#include "fleet/ExchangeWait.h"

#include "core/AppError.h"
#include "core/Clock.h"
#include "core/NestedLoops.h"

#include <QEventLoop>
#include <QTimer>

namespace {

// How often a wait looks at the queue: far below the 50 ms pause between two commands.
constexpr int PollMs = 2;

// Processes window messages until done() holds or ms have passed (ms < 0: no limit).
void WaitUntil(const std::function<bool()>& done, int ms)
{
    const TNestedLoopScope nested;
    const int64_t t0 = Clock::TickCount();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(PollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        const int64_t elapsed = Clock::TickCount() - t0;
        if (done() || (ms >= 0 && (elapsed >= ms || elapsed < 0)))
            loop.quit();
    });
    if (done())
        return;
    poll.start();
    loop.exec();
}

} // namespace

TExchangeResult WaitForExchange(TCmdQueue& queue, const std::function<bool()>& stopped)
{
    WaitUntil([&] { return stopped() || !queue.IsBusy(); }, -1);
    if (stopped())
        return TExchangeResult::Stopped;
    // The counter reaches 0 once every request has been answered; a time-out keeps items
    // queued, a closed port leaves the counter where it was.
    return queue.Count() == 0 && queue.ProgressCounter() <= 0 ? TExchangeResult::Answered : TExchangeResult::NoAnswer;
}

TExchangeResult RunExchange(TCmdQueue& queue, const QList<TCmdItem>& items, const std::function<bool()>& stopped)
{
    queue.ClearCmdQueue();
    for (const TCmdItem& item : items)
        queue.QueueCmd(item.CmdNo, item.RWFlag, item.IsTCmd != 0, item.ParamText);
    try {
        queue.StartCmdQueue(true);
    } catch (const EAppError&) {
        // The line failed under the send (a tracker pulled out before the port noticed): no
        // answer, as from a silent tracker; nothing more goes out.
        queue.AbortCmdQueue();
        queue.SetBusy(false);
        return stopped() ? TExchangeResult::Stopped : TExchangeResult::NoAnswer;
    }
    return WaitForExchange(queue, stopped);
}

bool PauseRun(int ms, const std::function<bool()>& stopped)
{
    WaitUntil(stopped, ms);
    return !stopped();
}
