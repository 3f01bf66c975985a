#pragma once

#include <QDateTime>
#include <cstdint>
#include <functional>

// Wall-clock time for log stamps and file names; tests may fix it.
namespace Clock {
QDateTime Now();
void SetNowOverride(std::function<QDateTime()> now); // empty restores the system clock
// Monotonic milliseconds for waits and time-outs.
int64_t TickCount();
} // namespace Clock
