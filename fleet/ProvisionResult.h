#pragma once

#include "geo/GeoFence.h"
#include "params/TrackerSettings.h"

#include <QList>
#include <QString>

// How provisioning one tracker ended.
enum class TProvisionOutcome {
    Passed,    // everything written and read back the same
    Differs,   // the tracker answered, but some value read back differs
    NoTracker, // no tracker answered the status query
    Refused,   // the configuration holds a value that cannot be written; nothing was sent
    Failed,    // the tracker stopped answering, or the line failed
    Stopped,   // the run was stopped
    Interrupted, // the command-line run was stopped by a signal
    Again,     // provisioned before in this run's report; left as it is
};

// A fence as written and as the tracker read it back.
struct TFenceDifference {
    TGeoFence Written;
    TGeoFence ReadBack;
};

// One differing value for people: the field's name in the current language, and each side as
// the pages would show it.
struct TDifferenceRow {
    QString Name;
    QString Written;
    QString ReadBack;
};

struct TProvisionResult {
    TProvisionOutcome Outcome = TProvisionOutcome::NoTracker;
    QString Identifier;
    QString Firmware;
    QString Error;                                 // for Refused, Failed and NoTracker
    QList<TSettingDifference> Differences;         // for Differs: by key, in the wire form
    QList<TFenceDifference> FenceDifferences;      // for Differs

    // The settings, then the fences, that differ.
    QList<TDifferenceRow> Rows() const;
    // "pass", "differs", "no tracker", "refused", "error", "stopped", "interrupted", "again": the
    // report's result column.
    QString ResultWord() const;
    // The fields that differed ("field: written a, read back b; …") or the error.
    QString Details() const;
};

// The fences of a list that hold a corner or a name.
QList<TGeoFence> NonEmptyFences(const QList<TGeoFence>& fences);

// "Name (lon, lat) (lon, lat)", for a row.
QString FenceText(const TGeoFence& fence);
// A fence as its write carries it: "7,11356.7370,2255.0753,11400.0000,2230.0000,Depot".
QString FenceWireText(const TGeoFence& fence);
// A setting's name in the current language; a fence ("fence_7") by its number.
QString DifferenceName(const QString& key);
// A wire value as the pages show it: a choice by its caption, anything else as it stands.
QString ShownSettingValue(const QString& key, const QString& value);
