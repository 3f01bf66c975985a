#include "cli/CliCommands.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/IniText.h"
#include "fleet/ParamFileChecks.h"
#include "fleet/TrackerSession.h"
#include "link/PortList.h"

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

// Prints the differences; the exit code they make.
int Report(const QList<TSettingDifference>& differences, const TCliOutput& out)
{
    QJsonArray rows;
    for (const TSettingDifference& d : differences) {
        const TSettingDef* def = FindSettingDef(d.Key);
        const QString name = def ? SettingName(*def) : d.Key;
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
    if (!OpenSession(session, options, out))
        return CliExitNoTracker;
    if (!Identify(session, out))
        return CliExitNoTracker;
    out.Step(QStringLiteral("read"), 50);
    if (session.RunAndWait(TTrackerSettings::ReadAllRequests()) != TExchangeResult::Answered) {
        out.Problem(QStringLiteral("the tracker on %1 stopped answering %2").arg(session.Device(), session.LastError()));
        return CliExitFailed;
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
    TTrackerSettings wanted;
    if (!LoadSettings(options.ParamsFile, wanted, out))
        return CliExitUsage;
    QList<TCmdItem> writes;
    try {
        writes = wanted.WriteAllRequests();
    } catch (const EAppError& e) {
        out.Problem(QStringLiteral("%1: %2; nothing was sent").arg(options.ParamsFile, e.Message()));
        return CliExitUsage;
    }
    TTrackerSession session;
    if (!OpenSession(session, options, out))
        return CliExitNoTracker;
    if (!Identify(session, out))
        return CliExitNoTracker;
    out.Step(QStringLiteral("write"), 25);
    if (session.RunAndWait(writes) != TExchangeResult::Answered) {
        out.Problem(QStringLiteral("the tracker on %1 stopped answering %2").arg(session.Device(), session.LastError()));
        return CliExitFailed;
    }
    // The full read-back: proof that the tracker holds what was written.
    out.Step(QStringLiteral("read back"), 60);
    if (session.RunAndWait(TTrackerSettings::ReadRequestsFor(writes)) != TExchangeResult::Answered) {
        out.Problem(QStringLiteral("the tracker on %1 stopped answering %2").arg(session.Device(), session.LastError()));
        return CliExitFailed;
    }
    out.Step(QStringLiteral("verify"), 90);
    QStringList keys = TTrackerSettings::ReadAllKeys();
    return Report(wanted.Differences(session.Settings(), keys), out);
}

int CliVerify(const TCliOptions& options, const TCliOutput& out)
{
    TTrackerSettings wanted;
    if (!LoadSettings(options.ParamsFile, wanted, out))
        return CliExitUsage;
    TTrackerSession session;
    if (!OpenSession(session, options, out))
        return CliExitNoTracker;
    if (!Identify(session, out))
        return CliExitNoTracker;
    out.Step(QStringLiteral("read"), 50);
    if (session.RunAndWait(TTrackerSettings::ReadAllRequests()) != TExchangeResult::Answered) {
        out.Problem(QStringLiteral("the tracker on %1 stopped answering %2").arg(session.Device(), session.LastError()));
        return CliExitFailed;
    }
    // The interval is not part of a parameter file: nothing to compare it with.
    QStringList keys = TTrackerSettings::ReadAllKeys();
    keys.removeAll(QStringLiteral("upload_interval"));
    return Report(wanted.Differences(session.Settings(), keys), out);
}
