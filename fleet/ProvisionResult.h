#pragma once

#include "fleet/SettingFields.h"
#include "geo/GeoFence.h"

#include <QList>
#include <QString>

// How provisioning one tracker ended.
enum class TProvisionOutcome {
    Passed,    // everything written and read back the same
    Differs,   // the tracker answered, but some value read back differs
    NoTracker, // no tracker answered the status query
    Refused,   // the pages hold a value that cannot be written (a box said which)
    Failed,    // the tracker stopped answering, or the line failed
    Stopped,   // the run was stopped
    Interrupted, // the command-line run was stopped by a signal
};

struct TProvisionResult {
    TProvisionOutcome Outcome = TProvisionOutcome::NoTracker;
    QString Identifier;
    QString Firmware;
    QString Error;                       // for Refused and Failed
    QList<TFieldDifference> Differences; // for Differs

    // "pass", "differs", "no tracker", "refused", "error", "stopped", "interrupted": the
    // report's result column.
    QString ResultWord() const;
    // The fields that differed ("field: written a, read back b; …") or the error.
    QString Details() const;
};

// The fences of a list that hold a corner or a name.
QList<TGeoFence> NonEmptyFences(const QList<TGeoFence>& fences);
