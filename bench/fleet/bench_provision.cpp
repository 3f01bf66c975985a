// One tracker provisioned and verified in the whole window against the simulated tracker over a
// pseudo-terminal at 115200 baud: who it is, Write All, one fence, everything read back and
// compared, as the provisioning window runs it. Reported beside the floor the protocol sets: the
// 50 ms pause between two commands of one exchange plus the bytes of every command and answer
// frame on the wire at the line's rate (10 bits a byte). A pseudo-terminal moves bytes at memory
// speed, so the wire time is the computed one. Target: within 10% of the floor.
#include "app/FrmMain.h"
#include "core/DataFolder.h"
#include "core/Dialogs.h"
#include "fleet/FleetTargets.h"
#include "fleet/ProvisionRun.h"
#include "link/FrameCodec.h"
#include "params/MainSettingsPage.h"
#include "sim/SimDevice.h"
#include "sim/SimTracker.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

constexpr double BaudRate = 115200;
// Identify, Write All, the fences, the read-back: no pause before the first command of each.
constexpr int Exchanges = 4;

double FloorMs(const TSimState& initial, const QList<QByteArray>& commands)
{
    TSimState state = initial;
    qsizetype bytes = 0;
    for (const QByteArray& text : commands)
        bytes += EncodeFrame(text).size() + EncodeFrame(SimDevice::Answer(state, text)).size();
    return (commands.size() - Exchanges) * 50.0 + bytes * 10 * 1000.0 / BaudRate;
}

void BM_ProvisionOne(benchmark::State& state)
{
    QTemporaryDir dir;
    SetAppDataFolder(dir.path());
    TSimTracker sim;
    QString error;
    if (!sim.Start(&error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    Dialogs::SetMessageHandler([](const TMessageRequest&) {});
    TFrmMain w;
    w.AddPort(sim.DevicePath());
    w.txtBAUD->setText(QStringLiteral("115200"));
    w.btn_Switch->click();
    if (!w.ComPort.Connected()) {
        state.SkipWithError("the simulator's port did not open");
        return;
    }
    w.MainSettings->txtAlias->setText(QStringLiteral("Van7"));
    w.MainSettings->cboBatteryAlert->setEditText(QStringLiteral("30"));
    TGeoFence fence{7, "Depot", 113.945617, 22.917922, 114, 22.5, -1};
    TProvisionRun run(w.FleetTargets(), [] { return false; });
    double floorMs = 0;
    double ratio = 0;
    for (auto _ : state) {
        const TSimState factory = TSimState::Factory();
        sim.SetState(factory);
        sim.ClearReceivedCommands();
        const auto start = std::chrono::steady_clock::now();
        const TProvisionResult result = run.ProvisionOne({fence}, false);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(ms / 1000);
        if (result.Outcome != TProvisionOutcome::Passed) {
            state.SkipWithError("the tracker did not pass");
            break;
        }
        floorMs = FloorMs(factory, sim.ReceivedCommands());
        ratio = ms / floorMs;
    }
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio_to_floor"] = ratio;
    w.btn_Switch->click();
}
BENCHMARK(BM_ProvisionOne)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

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
