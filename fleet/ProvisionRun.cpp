#include "fleet/ProvisionRun.h"

#include "fleet/ModelDispatcher.h"
#include "fleet/ReadBack.h"
#include "fleet/ShadowSettings.h"
#include "geo/FenceCommands.h"
#include "i18n/ProgramTexts.h"
#include "params/BulkOperations.h"
#include "params/MainSettingsPage.h"

TProvisionRun::TProvisionRun(const TFleetTargets& targets, std::function<bool()> stopped, TStepHandler onStep)
    : T(targets), FStopped(std::move(stopped)), FOnStep(std::move(onStep))
{
}

void TProvisionRun::Step(int step, const QString& text)
{
    if (FOnStep)
        FOnStep(step, text);
}

TExchangeResult TProvisionRun::QueryTracker(QString* identifier, QString* firmware)
{
    // Into a model: the pages and the status panel stay as they are.
    TTrackerSettings tracker;
    TExchangeResult result;
    {
        const TDispatcherSwap swap(T, std::make_shared<TModelDispatcher>(T.Dispatch, tracker));
        result = RunExchange(*T.Dispatch.Queue, {{1, 0, {}, 0}, {1, 0, {}, 1}}, FStopped);
    }
    // Only a tracker that answered has an identity.
    if (identifier)
        *identifier = result == TExchangeResult::Answered ? tracker.Identifier : QString();
    if (firmware)
        *firmware = result == TExchangeResult::Answered ? tracker.Firmware : QString();
    return result;
}

TProvisionResult TProvisionRun::ProvisionOne(const QList<TGeoFence>& fences, bool verifyOnly)
{
    TProvisionResult r;
    const auto ended = [&](TExchangeResult result, const char* errorKey) {
        if (result == TExchangeResult::Answered)
            return false;
        r.Outcome = result == TExchangeResult::Stopped ? TProvisionOutcome::Stopped : TProvisionOutcome::Failed;
        if (result == TExchangeResult::NoAnswer)
            r.Error = TranslateText(errorKey);
        return true;
    };
    TCmdQueue& queue = *T.Dispatch.Queue;

    Step(1, TranslateText("provision_step_identify"));
    const TExchangeResult identified = QueryTracker(&r.Identifier, &r.Firmware);
    if (identified != TExchangeResult::Answered) {
        r.Outcome = identified == TExchangeResult::Stopped ? TProvisionOutcome::Stopped : TProvisionOutcome::NoTracker;
        return r;
    }

    const QList<TGeoFence> written = NonEmptyFences(fences);
    QList<TCmdItem> settingWrites;
    QList<TSettingField> expected = PageFields(*T.Dispatch.Main, *T.Dispatch.Alarm);
    {
        const TQuietDispatcher quiet(T);
        const TDispatcherSwap swap(T, quiet.Dispatcher);
        if (!verifyOnly) {
            Step(2, TranslateText("provision_step_write"));
            // Write All itself, so that its checks and its order hold here as for the button.
            T.Bulk->btnWriteAllClick();
            if (!queue.IsBusy() || !queue.HeadSent()) {
                queue.ClearCmdQueue();
                r.Outcome = TProvisionOutcome::Refused;
                r.Error = TranslateText("provision_refused");
                return r;
            }
            settingWrites = queue.CmdQueue();
            expected = FieldsWrittenBy(expected, settingWrites);
            if (ended(WaitForExchange(queue, FStopped), "provision_lost"))
                return r;
            if (!written.isEmpty()) {
                Step(3, TranslateText("provision_step_fences").arg(written.size()));
                QList<TCmdItem> fenceWrites;
                for (const TGeoFence& f : written)
                    fenceWrites << TCmdItem{GeoFenceCmdNo, 1, WriteFenceParamText(f), 0};
                if (ended(RunExchange(queue, fenceWrites, FStopped), "provision_lost"))
                    return r;
            }
        }
    }

    Step(4, TranslateText("provision_step_read_back"));
    QList<TCmdItem> reads;
    if (verifyOnly) {
        for (int32_t cmd : {17, 10, 12, 5, 7, 4, 18})
            reads << TCmdItem{cmd, 0, {}, 0};
        for (int k = 1; k <= TMainSettingsPage::AuthNumberCount; ++k)
            reads << TCmdItem{11, 0, QByteArrayLiteral(",") + QByteArray::number(k), 0};
        reads << TCmdItem{22, 0, {}, 0} << TCmdItem{31, 0, {}, 0};
    } else {
        reads = ReadRequestsFor(settingWrites);
    }
    for (const TGeoFence& f : written)
        reads << TCmdItem{GeoFenceCmdNo, 0, ReadFenceParamText(f.FenceNo), 0};
    const TReadBackOutcome back = ReadBackAndCompare(T, reads, expected, written, FStopped);
    if (ended(back.Result, "provision_lost"))
        return r;
    Step(5, TranslateText("provision_step_done"));
    r.Differences = back.Differences;
    r.Outcome = r.Differences.isEmpty() ? TProvisionOutcome::Passed : TProvisionOutcome::Differs;
    return r;
}
