// A tracker session without a window against the simulated tracker over a pseudo-terminal at
// 115200 baud: Read All, and a provisioning run (who it is, Write All, everything read back and
// compared), each beside the floor the protocol sets (the 50 ms pause between two commands of
// an exchange plus every frame's bytes at the line's rate, 10 bits a byte). Then the start of
// the command line: `tovrik-cli detect` beside `tovrik-assistant --provision --verify-only`, wall
// time and peak resident memory of the whole process.
#include "fleet/TrackerSession.h"
#include "link/FrameCodec.h"
#include "sim/SimDevice.h"
#include "sim/SimTracker.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr double BaudRate = 115200;

double FloorMs(const TSimState& initial, const QList<QByteArray>& commands, int exchanges)
{
    TSimState state = initial;
    qsizetype bytes = 0;
    for (const QByteArray& text : commands)
        bytes += EncodeFrame(text).size() + EncodeFrame(SimDevice::Answer(state, text)).size();
    return (commands.size() - exchanges) * 50.0 + bytes * 10 * 1000.0 / BaudRate;
}

struct TRig {
    TSimTracker Sim;
    TTrackerSession Session;
    bool Start(benchmark::State& state)
    {
        QString error;
        if (!Sim.Start(&error)) {
            state.SkipWithError(qPrintable(error));
            return false;
        }
        Session.Open(Sim.DevicePath());
        Session.SetBaudRate(TBaudRate::br115200);
        return true;
    }
};

double Ms(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_SessionReadAll(benchmark::State& state)
{
    TRig rig;
    if (!rig.Start(state))
        return;
    double floorMs = 0;
    double ratio = 0;
    for (auto _ : state) {
        rig.Sim.ClearReceivedCommands();
        const auto start = std::chrono::steady_clock::now();
        if (rig.Session.RunAndWait(TTrackerSettings::ReadAllRequests()) != TExchangeResult::Answered) {
            state.SkipWithError("Read All was not answered");
            break;
        }
        const double ms = Ms(start);
        state.SetIterationTime(ms / 1000);
        floorMs = FloorMs(rig.Sim.State(), rig.Sim.ReceivedCommands(), 1);
        ratio = ms / floorMs;
    }
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio_to_floor"] = ratio;
}
BENCHMARK(BM_SessionReadAll)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SessionProvision(benchmark::State& state)
{
    TRig rig;
    if (!rig.Start(state))
        return;
    TTrackerSettings wanted;
    wanted.SetValue(QStringLiteral("alias"), QStringLiteral("Van7"));
    wanted.SetValue(QStringLiteral("low_battery"), QStringLiteral("30"));
    const QList<TCmdItem> writes = wanted.WriteAllRequests();
    double floorMs = 0;
    double ratio = 0;
    for (auto _ : state) {
        const TSimState factory = TSimState::Factory();
        rig.Sim.SetState(factory);
        rig.Sim.ClearReceivedCommands();
        const auto start = std::chrono::steady_clock::now();
        const bool answered =
            rig.Session.RunAndWait({{1, 0, {}, 0}, {1, 0, {}, 1}}) == TExchangeResult::Answered &&
            rig.Session.RunAndWait(writes) == TExchangeResult::Answered &&
            rig.Session.RunAndWait(TTrackerSettings::ReadRequestsFor(writes)) == TExchangeResult::Answered;
        const bool same = wanted.Differences(rig.Session.Settings(), TTrackerSettings::ReadAllKeys()).isEmpty();
        const double ms = Ms(start);
        state.SetIterationTime(ms / 1000);
        if (!answered || !same) {
            state.SkipWithError("the tracker did not pass");
            break;
        }
        floorMs = FloorMs(factory, rig.Sim.ReceivedCommands(), 3);
        ratio = ms / floorMs;
    }
    state.counters["floor_ms"] = floorMs;
    state.counters["ratio_to_floor"] = ratio;
}
BENCHMARK(BM_SessionProvision)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Runs a program to its end: wall milliseconds and peak resident KiB, or -1 when it failed.
std::pair<double, long> RunProgram(const QStringList& args)
{
    std::vector<QByteArray> bytes;
    for (const QString& a : args)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return {-1, -1};
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {-1, -1};
    return {Ms(start), usage.ru_maxrss};
}

enum class TProgram { CliDetect, CliVerify, AssistantVerifyOnly };

void BM_CommandLineStart(benchmark::State& state, TProgram program)
{
    TSimTracker sim;
    QString error;
    if (!sim.Start(&error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    QTemporaryDir dir;
    const QString params = dir.filePath(QStringLiteral("fleet.cfg"));
    QFile file(params);
    file.open(QIODevice::WriteOnly);
    // The simulated tracker's factory settings, every key a run requires: it verifies.
    file.write("[Para]\nBasicInfo_AnotherName=\nBasicInfo_LowBattery=20\nBasicInfo_TimeDiff=-60\n"
               "BasicInfo_GSensorParams=630\nAuthNumber_VIP1=\nAuthNumber_VIP2=\nAuthNumber_VIP3=\n"
               "AuthNumber_VIP4=\nAuthNumber_VIP5=\nGPRS_IPAdd=0.0.0.0\nGPRS_Port=8888\nGPRS_APN=CMNET\n"
               "GPRS_User=\nGPRS_Pass=\nDataUpLoad_Normal=1\nDataUpLoad_Moving=0\nDataUpLoad_Mode=1\n"
               "DataUpLoad_KeepAlive=0\nDataUpLoad_KeepAliveTime=300\nAlarm_Params=0,0,0,0,0\n");
    file.close();
    const QStringList args =
        program == TProgram::CliDetect
            ? QStringList{QStringLiteral(TOVRIK_CLI), QStringLiteral("detect"), QStringLiteral("--port"), sim.DevicePath()}
        : program == TProgram::CliVerify
            ? QStringList{QStringLiteral(TOVRIK_CLI), QStringLiteral("verify"), params, QStringLiteral("--port"), sim.DevicePath()}
            : QStringList{QStringLiteral(TOVRIK_ASSISTANT), QStringLiteral("--data-folder"), dir.path(),
                          QStringLiteral("--provision"), params, QStringLiteral("--port"), sim.DevicePath(),
                          QStringLiteral("--report"), dir.filePath(QStringLiteral("r.csv")), QStringLiteral("--verify-only")};
    long peak = 0;
    for (auto _ : state) {
        const auto [ms, kib] = RunProgram(args);
        if (ms < 0) {
            state.SkipWithError("the program failed");
            break;
        }
        state.SetIterationTime(ms / 1000);
        peak = std::max(peak, kib);
    }
    state.counters["peak_rss_kib"] = double(peak);
}
BENCHMARK_CAPTURE(BM_CommandLineStart, tovrik_cli_detect, TProgram::CliDetect)
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
// The same work: who it is, everything read and compared with a file.
BENCHMARK_CAPTURE(BM_CommandLineStart, tovrik_cli_verify, TProgram::CliVerify)
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_CommandLineStart, tovrik_assistant_provision_verify_only, TProgram::AssistantVerifyOnly)
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

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
