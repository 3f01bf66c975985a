#include "cli/CliCommands.h"

#include "core/AppError.h"
#include "core/DataFolder.h"
#include "core/IniText.h"
#include "fleet/FenceFile.h"
#include "fleet/ProvisionPlan.h"
#include "fleet/ProvisionReport.h"
#include "fleet/ProvisionResult.h"
#include "fleet/TrackerSession.h"
#include "geo/CoordText.h"
#include "geo/FenceCommands.h"
#include "geo/GeoFenceList.h"
#include "i18n/ProgramTexts.h"
#include "link/ComPortError.h"
#include "link/PortList.h"

#include <QDateTime>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

QString PortDevice(const QString& port)
{
    if (port.contains(QLatin1Char('/')))
        return port;
    // "COM3" is port number 3, as the window's log names it.
    if (port.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) && port.size() > 3)
        return PortDevice(port.mid(3));
    // The window's settings file, in the same data folder: the same numbers name the same ports.
    TIniText settings;
    settings.LoadFile(WindowSettingsFilePath());
    TPortList list;
    list.Build(settings, PresentSerialDevices());
    return list.DeviceOf(port);
}

QString OpenFailureText(const QString& device, const EAppError& error)
{
    const QString shown = QDir::toNativeSeparators(device);
    const auto* port = dynamic_cast<const EComPort*>(&error);
    if (port == nullptr || port->Code() != TComError::OpenFailed || port->SystemError() == EComPort::NoSystemError)
        return QStringLiteral("%1: %2").arg(shown, error.Message());
    // As the window's box says it: the port's own text, the system's reason, then what to do.
    QString text = QStringLiteral("%1: %2: %3").arg(shown, error.Message(), SystemErrorText(port->SystemError()));
    const TOpenFailureDetail detail = DescribeOpenFailure(device, port->SystemError());
    QString advice;
    switch (detail.Advice) {
    case TOpenAdvice::None:
        break;
    case TOpenAdvice::JoinGroup:
        advice = TranslateText("port_hint_join_group").arg(shown, detail.GroupName);
        break;
    case TOpenAdvice::LogInAgain:
        advice = TranslateText("port_hint_log_in_again").arg(shown, detail.GroupName);
        break;
    case TOpenAdvice::AskAdministrator:
        advice = TranslateText("port_hint_owner_only").arg(shown, detail.OwnerName);
        break;
    case TOpenAdvice::ClosedElsewhere: {
        QStringList holders;
        for (const TPortHolder& h : detail.Holders)
            holders << TranslateText("port_holder").arg(h.Name, QString::number(h.Pid));
        advice = holders.isEmpty() ? TranslateText("port_hint_busy")
                                   : TranslateText("port_hint_busy_named").arg(holders.join(QStringLiteral(", ")));
        break;
    }
    }
    return advice.isEmpty() ? text : text + QStringLiteral(". ") + advice;
}

namespace {

// Opens the port; false (with the problem printed) when it cannot be.
bool OpenSession(TTrackerSession& session, const TCliOptions& options, const TCliOutput& out)
{
    const QString port = options.Ports.value(0);
    const QString device = PortDevice(port);
    if (device.isEmpty()) {
        out.Problem(QStringLiteral("--port %1 names no serial device").arg(port));
        return false;
    }
    try {
        session.Open(device);
    } catch (const EAppError& e) {
        out.Problem(OpenFailureText(device, e));
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
    out.Step(QStringLiteral("identify"), TranslateText("provision_step_identify"), 0);
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

// Opens the port, asks who the tracker is and reads everything Read All reads: CliExitPassed,
// or the exit code of what went wrong (printed).
int OpenAndReadAll(TTrackerSession& session, const TCliOptions& options, const TCliOutput& out)
{
    if (!OpenSession(session, options, out) || !Identify(session, out))
        return CliExitNoTracker;
    out.Step(QStringLiteral("read"), QStringLiteral("Reading every setting"), 50);
    if (session.RunAndWait(TTrackerSettings::ReadAllRequests()) != TExchangeResult::Answered) {
        out.Problem(QStringLiteral("the tracker on %1 stopped answering %2").arg(session.Device(), session.LastError()));
        return CliExitFailed;
    }
    // The pages show an answer's text as it came; a file of settings that hold no number where
    // one belongs would be refused by the next write, so the read is no success.
    QStringList named;
    for (const QString& key : session.Settings().NotNumbers(TTrackerSettings::ReadAllKeys())) {
        const TSettingDef& def = *FindSettingDef(key);
        named << QStringLiteral("%1 (P%2: \"%3\")")
                     .arg(SettingName(def))
                     .arg(def.CmdNo, 2, 10, QLatin1Char('0'))
                     .arg(session.Settings().Value(key));
    }
    if (!named.isEmpty()) {
        out.Problem(QStringLiteral("the tracker on %1 answered no number for %2")
                        .arg(session.Device(), named.join(QStringLiteral(", "))));
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
        out.Step(QStringLiteral("fences"), QStringLiteral("Reading the 64 geo-fences"), 75);
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
    out.Step(QStringLiteral("done"), QStringLiteral("Saved"), 100);
    out.Object({{"event", "result"}, {"result", "read"}, {"file", options.OutFile}});
    if (!out.Json())
        out.Info(QStringLiteral("saved: %1").arg(options.OutFile));
    return CliExitPassed;
}

int CliVerify(const TCliOptions& options, const TCliOutput& out)
{
    const TProvisionPlanLoad load = LoadProvisionPlan(options.ParamsFile, QString(), true);
    for (const QString& warning : load.Warnings)
        out.Problem(QStringLiteral("warning: ") + warning);
    for (const QString& problem : load.Problems)
        out.Problem(problem);
    if (!load.Ok())
        return CliExitUsage;
    const TTrackerSettings& wanted = load.Plan.Wanted;
    TTrackerSession session;
    if (const int code = OpenAndReadAll(session, options, out); code != CliExitPassed)
        return code;
    // The interval is not part of a parameter file: nothing to compare it with.
    QStringList keys = TTrackerSettings::ReadAllKeys();
    keys.removeAll(QStringLiteral("upload_interval"));
    return PrintDifferences(wanted.Differences(session.Settings(), keys), out);
}

int PrintDifferences(const QList<TSettingDifference>& differences, const TCliOutput& out)
{
    QJsonArray rows;
    for (const TSettingDifference& d : differences) {
        const QString name = DifferenceName(d.Key);
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
