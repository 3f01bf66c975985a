#include "app/ProvisionCommandLine.h"

#include "app/FrmMain.h"
#include "core/AppError.h"
#include "core/Dialogs.h"
#include "fleet/FenceFile.h"
#include "fleet/FleetTargets.h"
#include "fleet/ParamFileChecks.h"
#include "fleet/ProvisionReport.h"
#include "fleet/ProvisionRun.h"
#include "params/ParamsFile.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <utility>

namespace {

void Line(const QString& text)
{
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void Problem(const QString& text)
{
    std::fprintf(stderr, "tovrik-assistant: %s\n", text.toLocal8Bit().constData());
}

// A bar on the terminal's current line, rewritten at every step.
void ProgressBar(int step, int steps)
{
    constexpr int Width = 30;
    const int filled = Width * step / steps;
    std::printf("\r[%s%s] %d/%d", QByteArray(filled, '#').constData(), QByteArray(Width - filled, ' ').constData(), step,
                steps);
    if (step == steps)
        std::printf("\n");
    std::fflush(stdout);
}

// SIGINT and SIGTERM stop the run: the handler only writes the signal's number into a pipe,
// which the event loop reads (the run's waits handle events).
int SignalPipe[2] = {-1, -1};

void OnStopSignal(int signal)
{
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = write(SignalPipe[1], &number, 1);
}

class TStopSignals {
public:
    TStopSignals()
    {
        if (pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        FNotifier = std::make_unique<QSocketNotifier>(SignalPipe[0], QSocketNotifier::Read);
        QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this] {
            unsigned char number = 0;
            while (read(SignalPipe[0], &number, 1) == 1)
                FSignal = number;
        });
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &FOldInt);
        sigaction(SIGTERM, &action, &FOldTerm);
    }
    ~TStopSignals()
    {
        sigaction(SIGINT, &FOldInt, nullptr);
        sigaction(SIGTERM, &FOldTerm, nullptr);
        FNotifier.reset();
        for (int& fd : SignalPipe)
            if (fd >= 0)
                close(std::exchange(fd, -1));
    }
    // The signal that stopped the run, 0 while none came.
    int Signal() const { return FSignal; }

private:
    std::unique_ptr<QSocketNotifier> FNotifier;
    struct sigaction FOldInt {};
    struct sigaction FOldTerm {};
    int FSignal = 0;
};

} // namespace

int RunProvisionCommandLine(const TProvisionOptions& options)
{
    // Boxes become lines: a run without a window has no one to close them.
    Dialogs::SetMessageHandler([](const TMessageRequest& r) { Problem(QString(r.Text).replace('\n', QStringLiteral("; "))); });
    // A run has no one to read boxes: the whole file is checked before anything is sent.
    const TParamFileCheck check = CheckParamFileForRun(options.ParamsFile);
    for (const QString& warning : check.Warnings)
        Problem(QStringLiteral("warning: ") + warning);
    if (!check.Passed()) {
        for (const QString& refusal : check.Refusals)
            Problem(refusal);
        Problem(QStringLiteral("nothing was sent"));
        return ProvisionExitUsage;
    }

    TFrmMain window; // never shown: the run drives its pages and queue
    TFleetTargets targets = window.FleetTargets();
    QList<TGeoFence> fences;
    try {
        window.ParamsFile->LoadParamsFile(options.ParamsFile);
        Line(QStringLiteral("configuration: %1").arg(options.ParamsFile));
        const QString fencePath = options.FenceFile.isEmpty()
                                      ? ResolveFenceFile(options.ParamsFile, window.ParamsFile->Config().FenceFile)
                                      : options.FenceFile;
        if (!fencePath.isEmpty()) {
            const TFenceFileContents contents = ReadFenceFile(fencePath);
            if (!contents.IsValid()) {
                Problem(QStringLiteral("the fence file \"%1\" holds wrong lines:\n%2").arg(fencePath, contents.ProblemsText()));
                return ProvisionExitUsage;
            }
            fences = contents.Fences;
            if (NonEmptyFences(fences).isEmpty())
                Problem(QStringLiteral("warning: the fence file \"%1\" holds no fence").arg(fencePath));
            Line(QStringLiteral("fences: %1 from %2").arg(NonEmptyFences(fences).size()).arg(fencePath));
        }
    } catch (const EAppError& e) {
        Problem(e.Message());
        return ProvisionExitUsage;
    }

    if (options.Port.contains(QLatin1Char('/'))) {
        window.AddPort(options.Port);
    } else {
        bool digits = !options.Port.isEmpty();
        for (const QChar c : options.Port)
            digits = digits && c.isDigit();
        if (!digits) {
            Problem(QStringLiteral("--port takes a port number or a device path, not \"%1\"").arg(options.Port));
            return ProvisionExitUsage;
        }
        window.cboCOMIndex->setEditText(options.Port);
    }
    const QString device = targets.PortDevice().isEmpty() ? options.Port : targets.PortDevice();
    const QString reportPath =
        options.ReportFile.isEmpty() ? ProvisionReport::DefaultPath(QDate::currentDate()) : options.ReportFile;
    // What the line says from here on concerns this device.
    Dialogs::SetMessageHandler([device](const TMessageRequest& r) {
        Problem(device + QStringLiteral(": ") + QString(r.Text).replace('\n', QStringLiteral("; ")));
    });
    const auto report = [&](const TProvisionResult& result) {
        try {
            ProvisionReport::AppendRow(reportPath, QDateTime::currentDateTime(), device, result);
            Line(QStringLiteral("report: %1").arg(reportPath));
            return true;
        } catch (const EAppError& e) {
            Problem(e.Message());
            Problem(QStringLiteral("the report row was not saved"));
            return false;
        }
    };

    Line(QStringLiteral("port: %1").arg(device));
    if (!targets.PortOpen()) {
        TProvisionResult none;
        none.Error = QStringLiteral("the port could not be opened");
        return report(none) ? ProvisionExitNoTracker : ProvisionExitFailed;
    }
    const bool terminal = isatty(STDOUT_FILENO) == 1;
    const TStopSignals stop;
    TProvisionRun run(targets, [&stop] { return stop.Signal() != 0; }, [terminal](int step, const QString& text) {
        if (terminal)
            std::printf("\r%*s\r", 60, "");
        Line(QStringLiteral("step %1/%2: %3").arg(step).arg(TProvisionRun::StepCount).arg(text));
        if (terminal)
            ProgressBar(step, TProvisionRun::StepCount);
    });
    TProvisionResult result;
    try {
        result = run.ProvisionOne(fences, options.VerifyOnly);
    } catch (const EAppError& e) {
        // A write the line refused: the tracker is no longer reachable.
        result.Outcome = TProvisionOutcome::Failed;
        result.Error = e.Message();
    }
    if (terminal)
        std::printf("\n");
    if (!result.Identifier.isEmpty() && result.Outcome != TProvisionOutcome::NoTracker)
        Line(QStringLiteral("tracker: %1, firmware %2").arg(result.Identifier, result.Firmware));
    for (const TFieldDifference& d : result.Differences)
        Line(QStringLiteral("differs: %1: written \"%2\", read back \"%3\"").arg(d.Name, d.Expected, d.Actual));
    if (stop.Signal() != 0) {
        // Nothing more goes out; the port closes with the window below.
        targets.Dispatch.Queue->AbortCmdQueue();
        result.Outcome = TProvisionOutcome::Interrupted;
        result.Error = QStringLiteral("stopped by signal %1").arg(stop.Signal());
    }
    if (result.Outcome == TProvisionOutcome::Failed)
        result.Error = QStringLiteral("the tracker on %1 stopped answering after it had answered: %2")
                           .arg(device, result.Error.isEmpty() ? QStringLiteral("the line was lost") : result.Error);
    if (!result.Error.isEmpty())
        Problem(result.Error);
    Line(QStringLiteral("result: %1").arg(result.ResultWord()));
    window.close();
    const bool saved = report(result);
    switch (result.Outcome) {
    case TProvisionOutcome::Interrupted:
        return stop.Signal() == SIGINT ? ProvisionExitInterrupted : ProvisionExitTerminated;
    case TProvisionOutcome::Refused: return ProvisionExitUsage;
    case TProvisionOutcome::NoTracker: return saved ? ProvisionExitNoTracker : ProvisionExitFailed;
    case TProvisionOutcome::Failed:
    case TProvisionOutcome::Stopped: return ProvisionExitFailed;
    case TProvisionOutcome::Passed: return saved ? ProvisionExitPassed : ProvisionExitFailed;
    case TProvisionOutcome::Differs: return saved ? ProvisionExitDiffers : ProvisionExitFailed;
    }
    return ProvisionExitFailed;
}
