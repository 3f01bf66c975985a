#include "fleet/ProvisionJob.h"

#include "fleet/TrackerSession.h"
#include "geo/FenceCommands.h"
#include "i18n/ProgramTexts.h"

namespace {

// Where each step's exchange starts and ends on the run's progress bar.
constexpr int StepStart[] = {0, 0, 10, 45, 60, 100};

} // namespace

TProvisionJob::TProvisionJob(TTrackerSession& session, TProvisionPlan plan, QObject* parent)
    : QObject(parent), FSession(session), FPlan(std::move(plan))
{
    connect(&FSession, &TTrackerSession::Finished, this, &TProvisionJob::Next);
    connect(&FSession, &TTrackerSession::Progress, this, [this](int complete, int total) {
        if (FStep == 0 || total <= 0)
            return;
        const int from = StepStart[FStep];
        const int to = StepStart[FStep + 1];
        emit Progress(from + (to - from) * qBound(0, complete, total) / total);
    });
}

void TProvisionJob::Start()
{
    FResult = TProvisionResult();
    Begin(StepIdentify, TranslateText("provision_step_identify"), {{1, 0, {}, 0}, {1, 0, {}, 1}});
}

void TProvisionJob::Stop()
{
    if (FStep == 0)
        return;
    FSession.Stop(); // its Finished ends the run as stopped
    if (FStep != 0)
        End(TProvisionOutcome::Stopped);
}

void TProvisionJob::Begin(int step, const QString& text, const QList<TCmdItem>& requests)
{
    FStep = step;
    emit StepStarted(step, text);
    emit Progress(StepStart[step]);
    FSession.Run(requests);
}

void TProvisionJob::Next(TExchangeResult result)
{
    if (FStep == 0)
        return; // an exchange that is not this run's
    if (result == TExchangeResult::Stopped)
        return End(TProvisionOutcome::Stopped);
    if (result != TExchangeResult::Answered) {
        if (FStep == StepIdentify)
            return End(TProvisionOutcome::NoTracker, FSession.LastError());
        const QString reason = FSession.LastError();
        return End(TProvisionOutcome::Failed, reason.isEmpty() ? TranslateText("provision_lost") : reason);
    }
    switch (FStep) {
    case StepIdentify:
        FResult.Identifier = FSession.Settings().Identifier;
        FResult.Firmware = FSession.Settings().Firmware;
        emit Identified(FResult.Identifier, FResult.Firmware);
        if (!FPlan.VerifyOnly)
            return Begin(StepWrite, TranslateText("provision_step_write"), FPlan.Writes);
        [[fallthrough]];
    case StepWrite:
        if (!FPlan.VerifyOnly && !FPlan.Fences.isEmpty()) {
            QList<TCmdItem> writes;
            for (const TGeoFence& f : FPlan.Fences)
                writes << TCmdItem{GeoFenceCmdNo, 1, WriteFenceParamText(f), 0};
            return Begin(StepFences, TranslateText("provision_step_fences").arg(FPlan.Fences.size()), writes);
        }
        [[fallthrough]];
    case StepFences: {
        // Only what comes back counts: the answers go into an empty model.
        FSession.Settings() = TTrackerSettings();
        QList<TCmdItem> reads = TTrackerSettings::ReadRequestsFor(FPlan.Writes);
        for (const TGeoFence& f : FPlan.Fences)
            reads << TCmdItem{GeoFenceCmdNo, 0, ReadFenceParamText(f.FenceNo), 0};
        return Begin(StepReadBack, TranslateText("provision_step_read_back"), reads);
    }
    case StepReadBack:
        return Compare();
    }
}

void TProvisionJob::Compare()
{
    FStep = StepCompared;
    emit StepStarted(StepCompared, TranslateText("provision_step_done"));
    const TTrackerSettings& tracker = FSession.Settings();
    FResult.Differences = FPlan.Wanted.Differences(tracker, KeysWrittenBy(FPlan.Writes));
    for (const TGeoFence& f : FPlan.Fences) {
        const TGeoFence& back = tracker.Fences[size_t(f.FenceNo - 1)];
        if (!SameFenceValue(f, back))
            FResult.FenceDifferences << TFenceDifference{f, back};
    }
    End(FResult.Differences.isEmpty() && FResult.FenceDifferences.isEmpty() ? TProvisionOutcome::Passed
                                                                             : TProvisionOutcome::Differs);
}

void TProvisionJob::End(TProvisionOutcome outcome, const QString& error)
{
    if (FStep == 0)
        return;
    FStep = 0;
    FResult.Outcome = outcome;
    FResult.Error = error;
    if (outcome == TProvisionOutcome::NoTracker || outcome == TProvisionOutcome::Stopped) {
        // A tracker that never answered has no identity.
        if (FResult.Identifier.isEmpty())
            FResult.Firmware.clear();
    }
    emit Progress(100);
    emit Finished(FResult);
}
