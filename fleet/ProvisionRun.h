#pragma once

#include "fleet/ExchangeWait.h"
#include "fleet/FleetTargets.h"
#include "fleet/ProvisionResult.h"
#include "fleet/SettingFields.h"
#include "geo/GeoFence.h"

#include <QList>
#include <QString>
#include <functional>

// Provisions one tracker with what the window's pages hold (a parameter file is loaded into them
// first) and the given fences: Write All, then the fences that are not empty, then everything
// read back and compared. The same pages, queue and handlers as the buttons; the window's own
// pages are not touched by the read-back.
class TProvisionRun {
public:
    // step counts from 1 to StepCount; text says what the step does.
    using TStepHandler = std::function<void(int step, const QString& text)>;
    static constexpr int StepCount = 5;

    TProvisionRun(const TFleetTargets& targets, std::function<bool()> stopped, TStepHandler onStep = {});

    // One status query (with the firmware version): Answered when a tracker is on the line.
    TExchangeResult QueryTracker(QString* identifier = nullptr, QString* firmware = nullptr);

    // verifyOnly: nothing is written; the pages and fences are only compared with the tracker.
    TProvisionResult ProvisionOne(const QList<TGeoFence>& fences, bool verifyOnly);

private:
    void Step(int step, const QString& text);

    TFleetTargets T;
    std::function<bool()> FStopped;
    TStepHandler FOnStep;
};
