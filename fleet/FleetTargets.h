#pragma once

#include "params/ResponseDispatcher.h"

#include <QWidget>
#include <functional>
#include <memory>

class TBulkOperations;
class TGeoFenceList;
class TParamsFile;

// The parts of the main window that batch configuration drives: the same pages, queue and
// handlers that the buttons use, so that a run and a technician's clicks send the same commands.
struct TFleetTargets {
    TDispatchTargets Dispatch;                      // the window's own pages and tip box
    TResponseDispatcher::TGeoFenceAnswerHandler FenceAnswer; // into the window's fence table
    // The dispatcher the window hands every answer to; a run points it elsewhere for a while.
    std::shared_ptr<TResponseDispatcher>* ActiveDispatcher = nullptr;
    TGeoFenceList* Fences = nullptr;
    TBulkOperations* Bulk = nullptr;
    TParamsFile* ParamsFile = nullptr;
    QWidget* Window = nullptr;                      // owner of the boxes and windows
    std::function<QString()> PortDevice;            // the device of the port in use
    std::function<bool()> PortOpen;                 // opens the selected port if it is closed
    // Opens the selected port again after a tracker was unplugged, without a box; false while
    // the device is not there.
    std::function<bool()> PortReopen;
    // While on, a lost line is logged but shows no box: a run expects trackers to be unplugged.
    std::function<void(bool on)> QuietLineLoss;
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
