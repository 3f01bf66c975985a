#include "app/ProvisionCommandLine.h"

#include "app/FrmMain.h"
#include "core/AppError.h"
#include "core/Dialogs.h"
#include "fleet/FenceFile.h"
#include "fleet/FleetTargets.h"
#include "fleet/ProvisionReport.h"
#include "fleet/ProvisionRun.h"
#include "params/ParamsFile.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

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

} // namespace

int RunProvisionCommandLine(const TProvisionOptions& options)
{
    // Boxes become lines: a run without a window has no one to close them.
    Dialogs::SetMessageHandler([](const TMessageRequest& r) { Problem(QString(r.Text).replace('\n', QStringLiteral("; "))); });
    QFile params(options.ParamsFile);
    if (!QFileInfo(options.ParamsFile).isFile() || !params.open(QIODevice::ReadOnly)) {
        Problem(QStringLiteral("cannot read the parameter file \"%1\"").arg(options.ParamsFile));
        return ProvisionExitUsage;
    }
    params.close();

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
    const auto report = [&](const TProvisionResult& result) {
        try {
            ProvisionReport::AppendRow(reportPath, QDateTime::currentDateTime(), device, result);
            Line(QStringLiteral("report: %1").arg(reportPath));
        } catch (const EAppError& e) {
            Problem(e.Message());
        }
    };

    Line(QStringLiteral("port: %1").arg(device));
    if (!targets.PortOpen()) {
        TProvisionResult none;
        none.Error = QStringLiteral("the port could not be opened");
        report(none);
        return ProvisionExitNoTracker;
    }
    const bool terminal = isatty(STDOUT_FILENO) == 1;
    TProvisionRun run(targets, [] { return false; }, [terminal](int step, const QString& text) {
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
    if (!result.Error.isEmpty())
        Problem(result.Error);
    Line(QStringLiteral("result: %1").arg(result.ResultWord()));
    report(result);
    window.close();
    switch (result.Outcome) {
    case TProvisionOutcome::Passed: return ProvisionExitPassed;
    case TProvisionOutcome::Differs: return ProvisionExitDiffers;
    case TProvisionOutcome::Refused: return ProvisionExitUsage;
    default: return ProvisionExitNoTracker;
    }
}
