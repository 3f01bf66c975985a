#pragma once

#include "geo/GeoFence.h"
#include "link/CmdQueue.h"
#include "params/TrackerSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

// What one provisioning run writes and then compares, prepared from a parameter file (and a
// fence file) before any port is opened: every tracker of a run gets the same plan.
struct TProvisionPlan {
    QString ParamsFile;
    TTrackerSettings Wanted;   // as Load puts the file on a new window's pages
    QList<TCmdItem> Writes;    // Write All's fourteen writes from it
    QList<TGeoFence> Fences;   // the fences that hold a corner or a name
    QString FenceFile;         // where they came from; empty when none was named
    bool VerifyOnly = false;   // nothing is written; the tracker is only compared
};

// A plan, or why there is none.
struct TProvisionPlanLoad {
    TProvisionPlan Plan;
    QStringList Warnings;  // the run goes on: unknown keys, a fence file with no fence
    QStringList Problems;  // the run cannot start; nothing is sent
    bool Ok() const { return Problems.isEmpty(); }
};

// Checks and loads the parameter file and the fence file: `fenceFile`, else the one the
// parameter file names, if any.
TProvisionPlanLoad LoadProvisionPlan(const QString& paramsFile, const QString& fenceFile, bool verifyOnly,
                                     bool requireEveryKey = true);

// The keys of the settings that the writes carry (command and, for command 11, its entry).
QStringList KeysWrittenBy(const QList<TCmdItem>& writes);
