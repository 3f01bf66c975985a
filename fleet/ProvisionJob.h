#pragma once

#include "fleet/ProvisionPlan.h"
#include "fleet/ExchangeWait.h"
#include "fleet/ProvisionResult.h"

#include <QObject>

class TTrackerSession;

// Provisions the tracker on one session by a plan, without waiting anywhere: asks who the
// tracker is, writes the settings and the fences, reads back what was written and compares it.
// Each step starts when the previous exchange ends, so that many jobs run side by side in one
// thread, each on its own port.
class TProvisionJob : public QObject {
    Q_OBJECT
public:
    // The steps, 1 to StepCount, as StepStarted counts them.
    enum TStep { StepIdentify = 1, StepWrite, StepFences, StepReadBack, StepCompared };
    static constexpr int StepCount = 5;

    TProvisionJob(TTrackerSession& session, TProvisionPlan plan, QObject* parent = nullptr);

    // Starts on an open session; Finished follows, at once when the port is not open.
    void Start();
    // Ends the run at once (Outcome Stopped); nothing more is sent.
    void Stop();
    bool Running() const { return FStep != 0; }
    const TProvisionResult& Result() const { return FResult; }

signals:
    // step counts from 1 to StepCount; text says what it does, in the current language.
    void StepStarted(int step, const QString& text);
    // The share of the run done, 0..100.
    void Progress(int percent);
    void Identified(const QString& identifier, const QString& firmware);
    void Finished(const TProvisionResult& result);

private:
    void Next(TExchangeResult result);
    void Begin(int step, const QString& text, const QList<TCmdItem>& requests);
    void Compare();
    void End(TProvisionOutcome outcome, const QString& error = {});

    TTrackerSession& FSession;
    TProvisionPlan FPlan;
    TProvisionResult FResult;
    int FStep = 0; // the step whose exchange runs; 0 before the start and after the end
};
