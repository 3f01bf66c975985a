// One command's round trip through the real serial port and the simulated tracker over a
// pseudo-terminal: frame and write the command, the tracker answers, the event thread hands the
// event over, the bytes are read and the answer frame is cut out. The protocol itself pauses
// 50 ms between commands; the aim is under 1 ms here, so that the program adds less than 2%.
#include "link/ComPort.h"
#include "link/FrameCodec.h"
#include "sim/SimTracker.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

void BM_CommandRoundTrip(benchmark::State& state)
{
    TSimTracker sim;
    QString error;
    if (!sim.Start(&error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    TComPort port;
    QByteArray buffer;
    QByteArray payload;
    bool answered = false;
    port.OnRxChar = [&](int32_t count) {
        buffer += port.ReadBytes(count);
        if (ExtractFrame(buffer, payload))
            answered = true;
    };
    port.SetPort(sim.DevicePath());
    port.SetBaudRate(TBaudRate::br115200);
    port.OpenPort();

    const QByteArray frame = EncodeFrame(BuildCmdText(9, 0, false, QByteArray()));
    std::vector<double> micros;
    micros.reserve(100000);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        answered = false;
        port.WriteBytes(frame);
        while (!answered)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        micros.push_back(us);
        state.SetIterationTime(us / 1e6);
    }
    if (payload != "(0123456789,P09,300)")
        state.SkipWithError("unexpected answer");
    std::sort(micros.begin(), micros.end());
    if (!micros.empty()) {
        state.counters["median_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
        state.counters["max_us"] = micros.back();
    }
    port.ClosePort();
}
BENCHMARK(BM_CommandRoundTrip)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

// The port delivers its events on the thread of a running Qt application.
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
