#include "fleet/ProvisionPlan.h"

#include "core/AppError.h"
#include "core/IniText.h"
#include "fleet/FenceFile.h"
#include "fleet/ParamFileChecks.h"
#include "fleet/ProvisionResult.h"

#include <QFileInfo>

TProvisionPlanLoad LoadProvisionPlan(const QString& paramsFile, const QString& fenceFile, bool verifyOnly,
                                     bool requireEveryKey)
{
    TProvisionPlanLoad load;
    TProvisionPlan& plan = load.Plan;
    plan.ParamsFile = paramsFile;
    plan.VerifyOnly = verifyOnly;
    // A run has no one to read boxes: the whole file is checked before anything is sent.
    const TParamFileCheck check = CheckParamFileForRun(paramsFile, requireEveryKey);
    load.Warnings = check.Warnings;
    load.Problems = check.Refusals;
    if (!check.Passed())
        return load;
    TIniText ini;
    QString reason;
    if (!QFileInfo(paramsFile).isFile() || !ini.LoadFile(paramsFile, &reason)) {
        load.Problems << QStringLiteral("cannot read the parameter file \"%1\" %2").arg(paramsFile, reason).trimmed();
        return load;
    }
    try {
        const TAppParamsConfig config = TAppParamsConfig::ReadFrom(ini);
        plan.Wanted.FromConfig(config);
        // The same checks and order as Write All: a refused value sends nothing.
        plan.Writes = plan.Wanted.WriteAllRequests();
        const QString fencePath = fenceFile.isEmpty() ? ResolveFenceFile(paramsFile, config.FenceFile) : fenceFile;
        if (fencePath.isEmpty())
            return load;
        const TFenceFileContents contents = ReadFenceFile(fencePath);
        if (!contents.IsValid()) {
            load.Problems << QStringLiteral("the fence file \"%1\" holds wrong lines:\n%2").arg(fencePath, contents.ProblemsText());
            return load;
        }
        plan.FenceFile = fencePath;
        plan.Fences = NonEmptyFences(contents.Fences);
        if (plan.Fences.isEmpty())
            load.Warnings << QStringLiteral("the fence file \"%1\" holds no fence").arg(fencePath);
    } catch (const EAppError& e) {
        load.Problems << QStringLiteral("%1: %2").arg(paramsFile, e.Message());
    }
    return load;
}

QStringList KeysWrittenBy(const QList<TCmdItem>& writes)
{
    QStringList keys;
    for (const TSettingDef& def : SettingDefs())
        for (const TCmdItem& w : writes) {
            if (w.RWFlag != 1 || w.CmdNo != def.CmdNo)
                continue;
            if (def.Entry != 0 && w.ParamText.mid(1).split(',').value(0).toInt() != def.Entry)
                continue;
            keys << QString::fromLatin1(def.Key);
            break;
        }
    return keys;
}
