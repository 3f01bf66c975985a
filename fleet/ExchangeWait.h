#pragma once

#include "link/CmdQueue.h"

#include <QList>
#include <functional>

// How an exchange that a run started ended.
enum class TExchangeResult {
    Answered, // every request was answered
    NoAnswer, // the time-out ended it, or the port was closed
    Stopped,  // the run was stopped (Stop, or the window closing)
};

// Waits, processing window messages, until the running exchange has ended. `stopped` is asked
// as it waits; a stop ends the wait at once (the caller aborts the queue).
TExchangeResult WaitForExchange(TCmdQueue& queue, const std::function<bool()>& stopped);

// Clears the queue, queues the items, starts the exchange and waits for its end. Raises the
// port's EAppError when the first write fails.
TExchangeResult RunExchange(TCmdQueue& queue, const QList<TCmdItem>& items, const std::function<bool()>& stopped);

// Waits ms milliseconds, processing window messages; false when stopped meanwhile.
bool PauseRun(int ms, const std::function<bool()>& stopped);
