#pragma once

#include "params/ResponseDispatcher.h"

#include <QWidget>
#include <memory>

class TParamsFile;

// What Compare and the write check use of the main window: its settings model, pages, queue and
// tip box, the dispatcher every answer goes to, Load's file code, and the window itself as the
// owner of their boxes. Plain pointers: nothing here calls back into the window.
struct TFleetTargets {
    TDispatchTargets Dispatch;
    // The dispatcher the window hands every answer to; Compare points it elsewhere for a while.
    std::shared_ptr<TResponseDispatcher>* ActiveDispatcher = nullptr;
    TParamsFile* ParamsFile = nullptr;
    QWidget* Window = nullptr;
};

// Points the window's answers at another dispatcher for as long as it lives.
class TDispatcherSwap {
public:
    TDispatcherSwap(const TFleetTargets& targets, std::shared_ptr<TResponseDispatcher> dispatcher)
        : FSlot(targets.ActiveDispatcher), FSaved(*FSlot)
    {
        *FSlot = std::move(dispatcher);
    }
    ~TDispatcherSwap() { *FSlot = FSaved; }
    TDispatcherSwap(const TDispatcherSwap&) = delete;
    TDispatcherSwap& operator=(const TDispatcherSwap&) = delete;

private:
    std::shared_ptr<TResponseDispatcher>* FSlot;
    std::shared_ptr<TResponseDispatcher> FSaved;
};
