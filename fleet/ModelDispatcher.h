#pragma once

#include "params/ResponseDispatcher.h"
#include "params/TrackerSettings.h"

// Takes the window's answers into a settings model instead of the pages, and advances the
// window's queue as the pages' dispatcher does: a read-back that leaves the pages as they are.
// An answer the model cannot apply raises, so the exchange ends by its time-out as always.
class TModelDispatcher : public TResponseDispatcher {
public:
    TModelDispatcher(const TDispatchTargets& targets, TTrackerSettings& model)
        : TResponseDispatcher(targets), FQueue(*targets.Queue), FModel(model)
    {
    }
    void DispatchResponse(const QByteArray& payload) override
    {
        if (payload.isEmpty())
            return;
        FModel.ApplyAnswer(payload);
        FQueue.AdvanceCmdQueue();
    }

private:
    TCmdQueue& FQueue;
    TTrackerSettings& FModel;
};
