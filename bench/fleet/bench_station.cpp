// The provisioning station: N simulated trackers, each on its own pseudo-terminal and each
// answering 100 ms late (as a slow real tracker does), provisioned in one run, one slot per port:
// who it is, Write All, everything read back and compared. Reported: the run's wall time beside
// one tracker alone, and trackers per hour. Each slot's time is set by the protocol (the 50 ms
// pause and the 100 ms delay per command); the slots must not wait for one another, so the
// target is 8 slots within 1.25 x one slot.
#include "fleet/ProvisionPlan.h"
#include "fleet/StationSlot.h"
#include "sim/SimTracker.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <vector>

namespace {

constexpr int DelayMs = 100;

double RunStation(int slotCount, bool* allPassed)
{
    std::vector<std::unique_ptr<TSimTracker>> trackers;
    std::vector<std::unique_ptr<TStationSlot>> station;
    TProvisionPlan plan;
    plan.Wanted.SetValue(QStringLiteral("alias"), QStringLiteral("Van7"));
    plan.Writes = plan.Wanted.WriteAllRequests();
    for (int i = 0; i < slotCount; ++i) {
        auto sim = std::make_unique<TSimTracker>();
        TSimFaults late;
        late.DelayMs = DelayMs;
        sim->SetFaults(late);
        if (!sim->Start())
            return -1;
        station.push_back(std::make_unique<TStationSlot>(sim->DevicePath(), plan));
        trackers.push_back(std::move(sim));
    }
    int remaining = slotCount;
    *allPassed = true;
    QEventLoop loop;
    for (auto& slot : station)
        QObject::connect(slot.get(), &TStationSlot::TrackerEnded, &loop, [&](const TProvisionResult& r) {
            *allPassed = *allPassed && r.Outcome == TProvisionOutcome::Passed;
            if (--remaining == 0)
                loop.quit();
        });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    const auto start = std::chrono::steady_clock::now();
    for (auto& slot : station)
        slot->StartOnce();
    loop.exec();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_Station(benchmark::State& state)
{
    const int slotCount = int(state.range(0));
    bool passed = true;
    double aloneMs = 0;
    double ms = 0;
    for (auto _ : state) {
        aloneMs = RunStation(1, &passed);
        ms = RunStation(slotCount, &passed);
        state.SetIterationTime(ms / 1000);
        if (ms < 0 || !passed) {
            state.SkipWithError("a tracker did not pass");
            break;
        }
    }
    state.counters["alone_ms"] = aloneMs;
    state.counters["ratio_to_alone"] = ms / aloneMs;
    state.counters["trackers_per_hour"] = slotCount * 3600000.0 / ms;
}
BENCHMARK(BM_Station)->Arg(1)->Arg(4)->Arg(8)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
