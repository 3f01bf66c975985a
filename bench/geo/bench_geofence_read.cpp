// Read All Geo-fence end to end: the whole window sends 64 reads of command 8 through the real
// serial port to the simulated tracker on a pseudo-terminal and applies the 64 answers to the
// fence table. The protocol sets the floor: 63 pauses of 50 ms between the reads, plus the bytes
// of every command and answer on the wire at the line's rate (9600 baud, 10 bits a byte). A
// pseudo-terminal does not pace bytes, so the measured time can sit below the full floor; what
// the program adds shows as the time above the pauses alone.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "geo/FenceCommands.h"
#include "geo/GeoFencePage.h"
#include "link/FrameCodec.h"
#include "sim/SimDevice.h"
#include "sim/SimTracker.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

constexpr int FenceCount = 64;
constexpr double BitsPerByte = 10; // start bit, 8 data bits, stop bit
constexpr double LineRate = 9600;

TSimState FencedState()
{
    TSimState state = TSimState::Factory();
    for (int i = 0; i < FenceCount; ++i) {
        TSimFence& f = state.Fences[i];
        f.LTLongitude = "11356.7370";
        f.LTLatitude = "2255.0753";
        f.RBLongitude = "11400.0000";
        f.RBLatitude = "2230.0000";
        f.Name = "Fence" + QByteArray::number(i + 1);
    }
    return state;
}

// Bytes of every read and its answer, framed, as they cross the line.
qsizetype WireBytes(TSimState state)
{
    qsizetype bytes = 0;
    for (int n = 1; n <= FenceCount; ++n) {
        const QByteArray command = BuildCmdText(GeoFenceCmdNo, 0, false, ReadFenceParamText(n));
        bytes += EncodeFrame(command).size() + EncodeFrame(SimDevice::Answer(state, command)).size();
    }
    return bytes;
}

void BM_ReadAllGeoFence(benchmark::State& state)
{
    QTemporaryDir dir;
    SetAppDataFolder(dir.path());
    TSimTracker sim;
    sim.SetState(FencedState());
    QString error;
    if (!sim.Start(&error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    TFrmMain w;
    w.cbTipOnOK->setChecked(false);
    w.AddPort(sim.DevicePath());
    w.btn_Switch->click();
    if (!w.ComPort.Connected()) {
        state.SkipWithError("the simulator's port did not open");
        return;
    }
    double totalSeconds = 0;
    for (auto _ : state) {
        for (TGeoFence& f : w.GeoFences)
            f.FenceName.clear();
        const auto start = std::chrono::steady_clock::now();
        w.GeoPage->btn_GeoReadClick();
        while (w.Queue().IsBusy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        totalSeconds += seconds;
        if (w.Queue().Count() != 0 || w.GeoFences[FenceCount - 1].FenceName != "Fence64") {
            state.SkipWithError("the exchange ended before every fence was read");
            return;
        }
    }
    const double pausesMs = (FenceCount - 1) * double(TCmdQueue::PauseMs);
    const double wireMs = double(WireBytes(FencedState())) * BitsPerByte / LineRate * 1000;
    state.counters["pauses_ms"] = pausesMs;
    state.counters["wire_ms"] = wireMs;
    state.counters["floor_ms"] = pausesMs + wireMs;
    // What the program and the pseudo-terminal add on top of the pauses, per cent.
    if (state.iterations() > 0)
        state.counters["above_pauses_pct"] = (totalSeconds * 1000 / double(state.iterations()) / pausesMs - 1) * 100;
    w.btn_Switch->click();
}
BENCHMARK(BM_ReadAllGeoFence)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    Dialogs::SetMessageHandler([](const TMessageRequest&) {});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
