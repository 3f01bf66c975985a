// write and provision: one tracker on every port at once, each port a slot of its own.
#include "cli/CliCommands.h"

#include "core/AppError.h"
#include "fleet/ProvisionPlan.h"
#include "fleet/ProvisionReport.h"
#include "fleet/StationSlot.h"

#include <QDate>
#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QTimer>
#include <csignal>
#include <memory>
#include <vector>

namespace {

// SIGINT and SIGTERM end the run: the handler only notes the signal, a timer looks at it.
volatile std::sig_atomic_t StopSignal = 0;

void OnStopSignal(int signal) { StopSignal = signal; }

class TStopSignals {
public:
    TStopSignals()
    {
        StopSignal = 0;
        FOldInt = std::signal(SIGINT, OnStopSignal);
        FOldTerm = std::signal(SIGTERM, OnStopSignal);
    }
    ~TStopSignals()
    {
        std::signal(SIGINT, FOldInt);
        std::signal(SIGTERM, FOldTerm);
    }
    int Signal() const { return StopSignal; }

private:
    void (*FOldInt)(int) = nullptr;
    void (*FOldTerm)(int) = nullptr;
};

const char* const StepWords[] = {"", "identify", "write", "fences", "read back", "verify"};

int Rank(int code)
{
    switch (code) {
    case CliExitUsage: return 5;
    case CliExitFailed: return 4;
    case CliExitNoTracker: return 3;
    case CliExitDiffers: return 2;
    case CliExitPassed: return 1;
    }
    return 0;
}

int OutcomeExit(TProvisionOutcome outcome)
{
    switch (outcome) {
    case TProvisionOutcome::Passed:
    case TProvisionOutcome::Again: return CliExitPassed;
    case TProvisionOutcome::Differs: return CliExitDiffers;
    case TProvisionOutcome::NoTracker: return CliExitNoTracker;
    case TProvisionOutcome::Refused: return CliExitUsage;
    case TProvisionOutcome::Failed:
    case TProvisionOutcome::Stopped:
    case TProvisionOutcome::Interrupted: return CliExitFailed;
    }
    return CliExitFailed;
}

// One port of the run.
struct TPortRun {
    QString Device;
    QString Prefix; // "device: " when the run has several ports
    std::unique_ptr<TStationSlot> Slot;
    int Exit = -1;  // -1 while its tracker is being provisioned
};

// What a tracker's end prints; its exit code.
int PrintEnd(const TPortRun& run, const TProvisionResult& result, bool rowSaved, const QString& reportPath,
             const TCliOutput& out)
{
    const QString& p = run.Prefix;
    // --provision's own words for people; JSON lines are tovrik-cli's for both programs.
    const bool provisionWords = out.Style() == TCliOutput::TStyle::Provision && !out.Json();
    if (result.Outcome == TProvisionOutcome::NoTracker)
        out.Problem(p + QStringLiteral("no tracker answered on %1").arg(run.Device) +
                    (result.Error.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(result.Error)));
    else if (result.Outcome == TProvisionOutcome::Failed)
        out.Problem(p + QStringLiteral("the tracker on %1 stopped answering after it had answered: %2").arg(run.Device, result.Error));
    int code = OutcomeExit(result.Outcome);
    if (result.Outcome == TProvisionOutcome::Passed || result.Outcome == TProvisionOutcome::Differs) {
        if (provisionWords) {
            for (const TDifferenceRow& d : result.Rows())
                out.Info(p + QStringLiteral("differs: %1: written \"%2\", read back \"%3\"").arg(d.Name, d.Written, d.ReadBack));
        } else {
            // In the wire form, fences as their write carries them.
            QList<TSettingDifference> differences = result.Differences;
            for (const TFenceDifference& f : result.FenceDifferences)
                differences << TSettingDifference{QStringLiteral("fence_%1").arg(f.Written.FenceNo),
                                                  FenceWireText(f.Written), FenceWireText(f.ReadBack)};
            QJsonArray rows;
            for (const TSettingDifference& d : differences) {
                const QString name = DifferenceName(d.Key);
                rows.append(QJsonObject{{"key", d.Key}, {"field", name}, {"expected", d.Expected}, {"actual", d.Actual}});
                if (!out.Json())
                    out.Info(p + QStringLiteral("differs: %1: expected \"%2\", tracker \"%3\"").arg(name, d.Expected, d.Actual));
            }
            out.Object({{"event", "result"}, {"port", run.Device}, {"result", result.ResultWord()}, {"differences", rows}});
        }
    }
    if (provisionWords || (!out.Json() && (result.Outcome == TProvisionOutcome::Passed ||
                                           result.Outcome == TProvisionOutcome::Differs)))
        out.Info(p + QStringLiteral("result: %1").arg(result.ResultWord()));
    if (!reportPath.isEmpty()) {
        if (rowSaved) {
            out.Object({{"event", "report"}, {"port", run.Device}, {"file", reportPath}});
            if (!out.Json())
                out.Info(p + QStringLiteral("report: %1").arg(reportPath));
        } else {
            out.Problem(p + QStringLiteral("the report row was not saved"));
            code = CliExitFailed;
        }
    }
    return code;
}

// A port that could not be opened: said, and its row appended as a slot appends it; the exit code.
int EndUnopened(const TPortRun& run, const QString& why, const QString& reportPath, const TCliOutput& out)
{
    out.Problem(why); // it names the device
    TProvisionResult none;
    none.Outcome = TProvisionOutcome::NoTracker;
    none.Error = QStringLiteral("the port could not be opened: %1").arg(why);
    if (out.Style() == TCliOutput::TStyle::Provision && !out.Json())
        out.Info(run.Prefix + QStringLiteral("result: %1").arg(none.ResultWord()));
    int code = CliExitNoTracker;
    if (!reportPath.isEmpty()) {
        try {
            ProvisionReport::AppendRow(reportPath, QDateTime::currentDateTime(), run.Device, none, run.Slot->SlotName());
            out.Object({{"event", "report"}, {"port", run.Device}, {"file", reportPath}});
            if (!out.Json())
                out.Info(run.Prefix + QStringLiteral("report: %1").arg(reportPath));
        } catch (const EAppError& e) {
            out.Problem(run.Prefix + e.Message());
            out.Problem(run.Prefix + QStringLiteral("the report row was not saved"));
            code = CliExitFailed;
        }
    }
    return code;
}

// Provisions one tracker on each port at once; with a report path, each gets its row.
int RunPorts(const TCliOptions& options, const TCliOutput& out, const QString& reportPath)
{
    const TProvisionPlanLoad load = LoadProvisionPlan(options.ParamsFile, options.FenceFile, options.VerifyOnly);
    for (const QString& warning : load.Warnings)
        out.Problem(QStringLiteral("warning: ") + warning);
    if (!load.Ok()) {
        for (const QString& problem : load.Problems)
            out.Problem(problem);
        out.Problem(QStringLiteral("nothing was sent"));
        return CliExitUsage;
    }
    const TProvisionPlan& plan = load.Plan;
    if (!out.Json()) {
        out.Info(QStringLiteral("configuration: %1").arg(plan.ParamsFile));
        if (!plan.FenceFile.isEmpty())
            out.Info(QStringLiteral("fences: %1 from %2").arg(plan.Fences.size()).arg(plan.FenceFile));
    }

    QStringList devices;
    if (options.AllUsbPorts) {
        devices = UsbSerialDevices();
        if (devices.isEmpty()) {
            out.Problem(QStringLiteral("no USB serial device is present"));
            return CliExitNoTracker;
        }
    }
    for (const QString& port : options.Ports) {
        const QString device = PortDevice(port);
        if (device.isEmpty()) {
            out.Problem(QStringLiteral("--port %1 names no serial device").arg(port));
            return CliExitNoTracker;
        }
        if (!devices.contains(device))
            devices << device;
    }

    std::vector<TPortRun> runs(size_t(devices.size()));
    int remaining = int(devices.size());
    QEventLoop loop;
    const TStopSignals stopSignals;
    for (size_t i = 0; i < runs.size(); ++i) {
        TPortRun& run = runs[i];
        run.Device = devices[qsizetype(i)];
        run.Prefix = devices.size() > 1 ? run.Device + QStringLiteral(": ") : QString();
        run.Slot = std::make_unique<TStationSlot>(run.Device, plan);
        run.Slot->ReportPath = reportPath;
        TStationSlot* slot = run.Slot.get();
        auto rowSaved = std::make_shared<bool>(true);
        QObject::connect(slot, &TStationSlot::ReportFailed, slot, [&out, &run, rowSaved](const QString& message) {
            *rowSaved = false;
            out.Problem(run.Prefix + message);
        });
        QObject::connect(slot, &TStationSlot::StepStarted, slot, [&out, &run](int step, const QString& text) {
            // The last step is the comparison, whose start is the run's end.
            const int percent = (step - 1) * 100 / (TProvisionJob::StepCount - 1);
            if (out.Json())
                out.Object({{"event", "step"}, {"port", run.Device}, {"step", StepWords[step]}, {"text", text},
                            {"progress", percent}});
            else
                out.RunStep(step, TProvisionJob::StepCount, run.Prefix + text, percent);
        });
        QObject::connect(slot, &TStationSlot::Identified, slot, [&out, &run](const QString& id, const QString& firmware) {
            out.Object({{"event", "tracker"}, {"port", run.Device}, {"identifier", id}, {"firmware", firmware}});
            if (!out.Json())
                out.Info(run.Prefix + QStringLiteral("tracker: %1, firmware %2").arg(id, firmware));
        });
        QObject::connect(slot, &TStationSlot::TrackerEnded, slot,
                         [&, rowSaved](const TProvisionResult& result) {
                             run.Exit = PrintEnd(run, result, *rowSaved, reportPath, out);
                             if (--remaining == 0)
                                 loop.quit();
                         });
        // The line names its port once, prefix or not.
        if (!out.Json())
            out.Info(QStringLiteral("port: %1").arg(run.Device));
        out.Object({{"event", "port"}, {"port", run.Device}});
    }
    QTimer signalWatch;
    QObject::connect(&signalWatch, &QTimer::timeout, &loop, [&] {
        if (stopSignals.Signal() != 0)
            loop.quit();
    });
    signalWatch.start(50);
    for (TPortRun& run : runs) {
        // Opened here rather than by the slot, so that the line and the report row say why a
        // port cannot be opened.
        try {
            run.Slot->Session().Open(run.Device);
        } catch (const EAppError& e) {
            run.Exit = EndUnopened(run, OpenFailureText(run.Device, e), reportPath, out);
            --remaining;
            continue;
        }
        run.Slot->StartOnce();
    }
    if (remaining > 0)
        loop.exec();

    int exit = CliExitPassed;
    for (TPortRun& run : runs)
        if (run.Exit >= 0)
            exit = WorseExit(exit, run.Exit);
    if (const int signal = stopSignals.Signal(); signal != 0) {
        // Nothing more goes out; each tracker cut short gets its row.
        for (TPortRun& run : runs) {
            if (run.Exit >= 0 || !run.Slot->Stop())
                continue;
            TProvisionResult cut = run.Slot->CurrentRun();
            cut.Outcome = TProvisionOutcome::Interrupted;
            cut.Error = QStringLiteral("stopped by signal %1").arg(signal);
            out.Problem(run.Prefix + cut.Error);
            if (!reportPath.isEmpty()) {
                try {
                    ProvisionReport::AppendRow(reportPath, QDateTime::currentDateTime(), run.Device, cut, run.Slot->SlotName());
                } catch (const EAppError& e) {
                    out.Problem(run.Prefix + e.Message());
                }
            }
        }
        return signal == SIGINT ? CliExitInterrupted : CliExitTerminated;
    }
    return exit;
}

} // namespace

int WorseExit(int a, int b)
{
    return Rank(b) > Rank(a) ? b : a;
}

int CliWrite(const TCliOptions& options, const TCliOutput& out)
{
    return RunPorts(options, out, QString());
}

int CliProvision(const TCliOptions& options, const TCliOutput& out)
{
    return RunPorts(options, out,
                    options.ReportFile.isEmpty() ? ProvisionReport::DefaultPath(QDate::currentDate()) : options.ReportFile);
}
