#pragma once

#include "fleet/ExchangeWait.h"
#include "fleet/FleetTargets.h"
#include "fleet/SettingFields.h"
#include "geo/GeoFence.h"

#include <QList>
#include <QString>

class TShadowSettings;

// What a read-back found.
struct TReadBackOutcome {
    TExchangeResult Result = TExchangeResult::NoAnswer;
    QList<TFieldDifference> Differences; // only when Result is Answered
    QString Identifier;                  // of the tracker that answered
    QString Firmware;                    // when the firmware was read
};

// Reads the given requests into a fresh second page set (the window's pages stay as they are)
// and compares the fields `expected` and the fences `fences` with what came back. The fences
// are compared by name and by corner (as their coordinate texts read back).
TReadBackOutcome ReadBackAndCompare(const TFleetTargets& targets, const QList<TCmdItem>& reads,
                                    const QList<TSettingField>& expected, const QList<TGeoFence>& fences,
                                    const std::function<bool()>& stopped);

// The reads that fetch back what the writes wrote, in the same order, each once.
QList<TCmdItem> ReadRequestsFor(const QList<TCmdItem>& writes);

// The differing fences as rows: a fence's name, and its corners and name on either side.
QList<TFieldDifference> DifferingFences(const QList<TGeoFence>& expected, const TGeoFenceList& actual);

// The lines of a difference box: `field: written "a", read back "b"`.
QString DifferenceLines(const QList<TFieldDifference>& differences);
