#include "cli/CliCommands.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/IniText.h"
#include "fleet/FenceFile.h"
#include "fleet/ParamFileChecks.h"
#include "fleet/ProvisionReport.h"
#include "fleet/ProvisionResult.h"
#include "fleet/TrackerSession.h"
#include "geo/CoordText.h"
#include "geo/FenceCommands.h"
#include "geo/GeoFenceList.h"
#include "i18n/ProgramTexts.h"
#include "link/PortList.h"

#include <QDateTime>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

namespace {

// The device a --port names: a path as it stands, else a number of the port list.
QString PortDevice(const QString& port)
{
    if (port.contains(QLatin1Char('/')))
        return port;
    // The window's settings file, in the same data folder: the same numbers name the same ports.
    TIniText settings;
    settings.LoadFile(QFileInfo(SettingsFilePath()).dir().filePath(QStringLiteral("tovrik-assistant.ini")));
    TPortList list;
    list.Build(settings, PresentSerialDevices());
    return list.DeviceOf(port);
}

// Opens the port; false (with the problem printed) when it cannot be.
bool OpenSession(TTrackerSession& session, const TCliOptions& options, const TCliOutput& out)
{
    const QString device = PortDevice(options.Port);
    if (device.isEmpty()) {
        out.Problem(QStringLiteral("--port %1 names no serial device").arg(options.Port));
        return false;
    }
    try {
        session.Open(device);
    } catch (const EAppError& e) {
        out.Problem(QStringLiteral("%1: %2").arg(device, e.Message()));
        return false;
    }
    out.Object({{"event", "port"}, {"port", device}});
    if (!out.Json())
        out.Info(QStringLiteral("port: %1").arg(device));
    return true;
}

// The status query; false (printed) when no tracker answered.
bool Identify(TTrackerSession& session, const TCliOutput& out)
{
    out.Step(QStringLiteral("identify"), 0);
    if (session.RunAndWait({{1, 0, {}, 0}, {1, 0, {}, 1}}) != TExchangeResult::Answered) {
        out.Problem(QStringLiteral("no tracker answered on %1").arg(session.Device()));
        return false;
    }
    const TTrackerSettings& s = session.Settings();
    out.Object({{"event", "tracker"}, {"identifier", s.Identifier}, {"firmware", s.Firmware}});
    if (!out.Json())
        out.Info(QStringLiteral("tracker: %1, firmware %2").arg(s.Identifier, s.Firmware));
    return true;
}

// Reads the parameter file into the settings as Load puts it on a new window's pages, after the
// checks a run makes: any refusal, and nothing is sent.
bool LoadSettings(const QString& path, TTrackerSettings& settings, const TCliOutput& out)
{
    const TParamFileCheck check = CheckParamFileForRun(path);
    for (const QString& warning : check.Warnings)
        out.Problem(QStringLiteral("warning: ") + warning);
    for (const QString& refusal : check.Refusals)
        out.Problem(refusal);
    if (!check.Passed())
        return false;
    TIniText ini;
    QString reason;
    if (!QFileInfo(path).isFile() || !ini.LoadFile(path, &reason)) {
        out.Problem(QStringLiteral("cannot read the parameter file \"%1\" %2").arg(path, reason));
        return false;
    }
    try {
        settings.FromConfig(TAppParamsConfig::ReadFrom(ini));
    } catch (const EAppError& e) {
        out.Problem(QStringLiteral("%1: %2").arg(path, e.Message()));
        return false;
    }
    return true;
}

// A setting's name in the current language; a fence by its number.
QString FieldName(const QString& key)
{
    if (key.startsWith(QLatin1String("fence_")))
        return TranslateText("verify_fence").arg(key.mid(6));
    const TSettingDef* def = FindSettingDef(key);
    return def ? SettingName(*def) : key;
}

// Prints the differences; the exit code they make.
int Report(const QList<TSettingDifference>& differences, const TCliOutput& out)
{
    QJsonArray rows;
    for (const TSettingDifference& d : differences) {
        const QString name = FieldName(d.Key);
        rows.append(QJsonObject{{"key", d.Key}, {"field", name}, {"expected", d.Expected}, {"actual", d.Actual}});
        if (!out.Json())
            out.Info(QStringLiteral("differs: %1: expected \"%2\", tracker \"%3\"").arg(name, d.Expected, d.Actual));
    }
    const QString result = differences.isEmpty() ? QStringLiteral("pass") : QStringLiteral("differs");
    out.Object({{"event", "result"}, {"result", result}, {"differences", rows}});
    if (!out.Json())
        out.Info(QStringLiteral("result: %1").arg(result));
    return differences.isEmpty() ? CliExitPassed : CliExitDiffers;
}


// Opens the port, asks who the tracker is and reads everything Read All reads: CliExitPassed,
// or the exit code of what went wrong (printed).
int OpenAndReadAll(TTrackerSession& session, const TCliOptions& options, const TCliOutput& out)
{
    if (!OpenSession(session, options, out) || !Identify(session, out))
        return CliExitNoTracker;
    out.Step(QStringLiteral("read"), 50);
    if (session.RunAndWait(TTrackerSettings::ReadAllRequests()) != TExchangeResult::Answered) {
        out.Problem(QStringLiteral("the tracker on %1 stopped answering %2").arg(session.Device(), session.LastError()));
        return CliExitFailed;
    }
    return CliExitPassed;
}

// The 64 read requests of the fences.
QList<TCmdItem> FenceReads(const QList<TGeoFence>& fences)
{
    QList<TCmdItem> reads;
    for (const TGeoFence& f : fences)
        reads << TCmdItem{GeoFenceCmdNo, 0, ReadFenceParamText(f.FenceNo), 0};
    return reads;
}

// A fence as its write carries it: the corners' coordinate texts and the name.
QString FenceWireText(const TGeoFence& f)
{
    return QString::fromLocal8Bit(WriteFenceParamText(f).mid(1));
}

// The fences to write: --fences, else the one the parameter file names; false when that file
// is wrong (printed).
bool LoadFences(const TCliOptions& options, QList<TGeoFence>& fences, const TCliOutput& out)
{
    QString path = options.FenceFile;
    if (path.isEmpty()) {
        TIniText ini;
        ini.LoadFile(options.ParamsFile);
        path = ResolveFenceFile(options.ParamsFile, TAppParamsConfig::ReadFrom(ini).FenceFile);
    }
    if (path.isEmpty())
        return true;
    try {
        const TFenceFileContents contents = ReadFenceFile(path);
        if (!contents.IsValid()) {
            out.Problem(QStringLiteral("the fence file \"%1\" holds wrong lines:\n%2").arg(path, contents.ProblemsText()));
            return false;
        }
        fences = NonEmptyFences(contents.Fences);
    } catch (const EAppError& e) {
        out.Problem(e.Message());
        return false;
    }
    if (fences.isEmpty())
        out.Problem(QStringLiteral("warning: the fence file \"%1\" holds no fence").arg(path));
    else if (!out.Json())
        out.Info(QStringLiteral("fences: %1 from %2").arg(fences.size()).arg(path));
    return true;
}

// Write All and the fences, everything read back and compared: the exit code, and the outcome
// for a report row.
int WriteAndVerify(const TCliOptions& options, const TCliOutput& out, TProvisionResult& result)
{
    TTrackerSettings wanted;
    QList<TGeoFence> fences;
    if (!LoadSettings(options.ParamsFile, wanted, out) || !LoadFences(options, fences, out)) {
        result.Outcome = TProvisionOutcome::Refused;
        return CliExitUsage;
    }
    QList<TCmdItem> writes;
    try {
        writes = wanted.WriteAllRequests();
    } catch (const EAppError& e) {
        out.Problem(QStringLiteral("%1: %2; nothing was sent").arg(options.ParamsFile, e.Message()));
        result.Outcome = TProvisionOutcome::Refused;
        result.Error = e.Message();
        return CliExitUsage;
    }
    TTrackerSession session;
    if (!OpenSession(session, options, out)) {
        result.Error = QStringLiteral("the port could not be opened");
        return CliExitNoTracker;
    }
    if (!Identify(session, out))
        return CliExitNoTracker;
    result.Identifier = session.Settings().Identifier;
    result.Firmware = session.Settings().Firmware;
    const auto lost = [&] {
        result.Outcome = TProvisionOutcome::Failed;
        result.Error = QStringLiteral("the tracker on %1 stopped answering after it had answered %2")
                           .arg(session.Device(), session.LastError())
                           .trimmed();
        out.Problem(result.Error);
        return CliExitFailed;
    };
    out.Step(QStringLiteral("write"), 25);
    if (session.RunAndWait(writes) != TExchangeResult::Answered)
        return lost();
    if (!fences.isEmpty()) {
        out.Step(QStringLiteral("fences"), 45);
        QList<TCmdItem> fenceWrites;
        for (const TGeoFence& f : fences)
            fenceWrites << TCmdItem{GeoFenceCmdNo, 1, WriteFenceParamText(f), 0};
        if (session.RunAndWait(fenceWrites) != TExchangeResult::Answered)
            return lost();
    }
    // The full read-back: proof that the tracker holds what was written.
    out.Step(QStringLiteral("read back"), 60);
    TTrackerSettings& tracker = session.Settings();
    tracker = TTrackerSettings(); // only what comes back counts
    if (session.RunAndWait(TTrackerSettings::ReadRequestsFor(writes) + FenceReads(fences)) != TExchangeResult::Answered)
        return lost();
    out.Step(QStringLiteral("verify"), 90);
    QList<TSettingDifference> differences = wanted.Differences(tracker, TTrackerSettings::ReadAllKeys());
    for (const TGeoFence& f : fences) {
        const TGeoFence& back = tracker.Fences[f.FenceNo - 1];
        if (FenceWireText(f) != FenceWireText(back))
            differences << TSettingDifference{QStringLiteral("fence_%1").arg(f.FenceNo), FenceWireText(f), FenceWireText(back)};
    }
    for (const TSettingDifference& d : differences)
        result.Differences << TFieldDifference{FieldName(d.Key), d.Expected, d.Actual};
    result.Outcome = differences.isEmpty() ? TProvisionOutcome::Passed : TProvisionOutcome::Differs;
    return Report(differences, out);
}

} // namespace

int CliDetect(const TCliOptions& options, const TCliOutput& out)
{
    TTrackerSession session;
    if (!OpenSession(session, options, out))
        return CliExitNoTracker;
    return Identify(session, out) ? CliExitPassed : CliExitNoTracker;
}

int CliRead(const TCliOptions& options, const TCliOutput& out)
{
    TTrackerSession session;
    if (const int code = OpenAndReadAll(session, options, out); code != CliExitPassed)
        return code;
    if (!options.FenceFile.isEmpty()) {
        out.Step(QStringLiteral("fences"), 75);
        QList<TGeoFence> all(session.Settings().Fences.begin(), session.Settings().Fences.end());
        if (session.RunAndWait(FenceReads(all)) != TExchangeResult::Answered) {
            out.Problem(QStringLiteral("the tracker on %1 stopped answering %2").arg(session.Device(), session.LastError()));
            return CliExitFailed;
        }
        TGeoFenceList fences;
        fences.CreateRecords();
        for (const TGeoFence& f : session.Settings().Fences)
            fences[f.FenceNo - 1] = f;
        try {
            WriteFenceFile(options.FenceFile, fences);
        } catch (const EAppError& e) {
            out.Problem(e.Message());
            return CliExitUsage;
        }
        if (!out.Json())
            out.Info(QStringLiteral("fences saved: %1").arg(options.FenceFile));
    }
    // As Save writes it: an existing file is read first so that its other keys survive.
    TIniText ini;
    QString reason;
    if (QFileInfo::exists(options.OutFile) && !ini.LoadFile(options.OutFile, &reason)) {
        out.Problem(QStringLiteral("Cannot open file \"%1\". %2").arg(options.OutFile, reason));
        return CliExitUsage;
    }
    try {
        session.Settings().ToConfig().WriteTo(ini);
        const QString folder = QFileInfo(options.OutFile).absolutePath();
        QDir().mkpath(folder);
        ini.SaveFile(options.OutFile);
    } catch (const EAppError& e) {
        out.Problem(e.Message());
        return CliExitUsage;
    }
    out.Step(QStringLiteral("done"), 100);
    out.Object({{"event", "result"}, {"result", "read"}, {"file", options.OutFile}});
    if (!out.Json())
        out.Info(QStringLiteral("saved: %1").arg(options.OutFile));
    return CliExitPassed;
}

int CliWrite(const TCliOptions& options, const TCliOutput& out)
{
    TProvisionResult result;
    return WriteAndVerify(options, out, result);
}

int CliProvision(const TCliOptions& options, const TCliOutput& out)
{
    TProvisionResult result;
    const int code = WriteAndVerify(options, out, result);
    if (result.Outcome == TProvisionOutcome::Refused)
        return code; // nothing was sent: no tracker to report
    const QString path = options.ReportFile.isEmpty() ? ProvisionReport::DefaultPath(QDate::currentDate()) : options.ReportFile;
    try {
        ProvisionReport::AppendRow(path, QDateTime::currentDateTime(), PortDevice(options.Port), result);
    } catch (const EAppError& e) {
        out.Problem(e.Message());
        out.Problem(QStringLiteral("the report row was not saved"));
        return CliExitFailed;
    }
    out.Object({{"event", "report"}, {"file", path}});
    if (!out.Json())
        out.Info(QStringLiteral("report: %1").arg(path));
    return code;
}

int CliVerify(const TCliOptions& options, const TCliOutput& out)
{
    TTrackerSettings wanted;
    if (!LoadSettings(options.ParamsFile, wanted, out))
        return CliExitUsage;
    TTrackerSession session;
    if (const int code = OpenAndReadAll(session, options, out); code != CliExitPassed)
        return code;
    // The interval is not part of a parameter file: nothing to compare it with.
    QStringList keys = TTrackerSettings::ReadAllKeys();
    keys.removeAll(QStringLiteral("upload_interval"));
    return Report(wanted.Differences(session.Settings(), keys), out);
}
