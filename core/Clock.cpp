#include "core/Clock.h"

#include <QElapsedTimer>

namespace {
std::function<QDateTime()>& NowOverride()
{
    static std::function<QDateTime()> now;
    return now;
}
} // namespace

namespace Clock {

QDateTime Now()
{
    const auto& now = NowOverride();
    return now ? now() : QDateTime::currentDateTime();
}

void SetNowOverride(std::function<QDateTime()> now) { NowOverride() = std::move(now); }

int64_t TickCount()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

} // namespace Clock
