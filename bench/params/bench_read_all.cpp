// Read All in the whole window against the simulated tracker over a pseudo-terminal at 115200
// baud, reported beside the floor the protocol sets: fifteen 50 ms pauses between the sixteen
// requests plus the bytes of every command and answer frame on the wire at the line's rate
// (10 bits a byte). A pseudo-terminal moves bytes at memory speed, so the wire time is the
// computed one, not waited for. Target: within 10% of the floor.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "link/FrameCodec.h"
#include "sim/SimDevice.h"
#include "sim/SimTracker.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

const QList<QByteArray> ReadAllTexts = {
    "(P01,0)", "(T01,0)", "(P17,0)", "(P10,0)", "(P12,0)", "(P05,0)", "(P07,0)", "(P04,0)",
    "(P18,0)", "(P11,0,1)", "(P11,0,2)", "(P11,0,3)", "(P11,0,4)", "(P11,0,5)", "(P22,0)", "(P31,0)",
};

constexpr double BaudRate = 115200;

double FloorMs(const TSimState& initial)
{
    TSimState state = initial;
    qsizetype bytes = 0;
    for (const QByteArray& text : ReadAllTexts)
        bytes += EncodeFrame(text).size() + EncodeFrame(SimDevice::Answer(state, text)).size();
    return (ReadAllTexts.size() - 1) * 50.0 + bytes * 10 * 1000.0 / BaudRate;
}

void BM_ReadAll(benchmark::State& state)
{
    QTemporaryDir dir;
    SetAppDataFolder(dir.path());
    TSimTracker sim;
    QString error;
    if (!sim.Start(&error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    TFrmMain w;
    Dialogs::SetMessageHandler([](const TMessageRequest&) {});
    w.cbTipOnOK->setChecked(false);
    w.AddPort(sim.DevicePath());
    w.txtBAUD->setText(QStringLiteral("115200"));
    w.btn_Switch->click();
    if (!w.ComPort.Connected()) {
        state.SkipWithError("the simulator's port did not open");
        return;
    }
    const double floorMs = FloorMs(sim.State());
    for (auto _ : state) {
        sim.ClearReceivedCommands();
        const auto start = std::chrono::steady_clock::now();
        w.btnReadAll->click();
        while (w.Queue().IsBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(ms / 1000);
        if (sim.ReceivedCommands() != ReadAllTexts || w.Queue().Count() != 0) {
            state.SkipWithError("Read All did not complete");
            break;
        }
    }
    state.counters["floor_ms"] = floorMs;
    w.btn_Switch->click();
}
BENCHMARK(BM_ReadAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Dialogs::SetMessageHandler(nullptr);
    return 0;
}
