#pragma once

#include "link/FrameCodec.h"
#include "params/SettingsView.h"
#include "params/TrackerSettings.h"

#include <QByteArray>
#include <functional>
#include <optional>

class QCheckBox;
class QTabWidget;
class TAlarmPage;
class TCmdQueue;
class TMainSettingsPage;
class TStatusPanel;
class TTmpHotSpotGroup;

// What the dispatcher fills: the settings model the pages show, the pages, the status panel and
// the queue it advances, plus the window's page control and tip box that decide whether the
// success tip is shown.
struct TDispatchTargets {
    TTrackerSettings* Settings = nullptr; // null: a model of the dispatcher's own
    TCmdQueue* Queue = nullptr;
    TStatusPanel* Status = nullptr;
    TMainSettingsPage* Main = nullptr;
    TAlarmPage* Alarm = nullptr;
    TTmpHotSpotGroup* HotSpot = nullptr;
    QTabWidget* pgCtrl = nullptr;
    QCheckBox* cbTipOnOK = nullptr;
};

// Routes every answer payload by its tag: a setting's answer into the settings model, and the
// pages show each value it set; the status answer, the firmware, the battery and the fences to
// their own controls. Advances the command queue
// once per applied answer and shows "Operation success !" after the last answer of an exchange.
// A failure (a field the answer lacks, a strict number that is not one, a geo-fence number or an
// alarm index out of range) raises EAppError at that point: controls already changed keep their
// values, the queue is not advanced, no tip is shown. The receive loop drops the error and the
// exchange ends by its time-out.
class TResponseDispatcher {
public:
    // Applies one command 8 answer (the whole field list: 2 n, 3..6 the corners, 7 the name) to
    // the geo-fence table and repaints it; raises EAppError when the answer cannot be applied.
    // The dispatcher has already checked that field 2 is a fence number 1..64.
    using TGeoFenceAnswerHandler = std::function<void(const TResponseFields&)>;

    explicit TResponseDispatcher(const TDispatchTargets& targets);
    virtual ~TResponseDispatcher() = default;

    // The page of pgCtrl on which no tip is shown: the console's own answers speak for themselves.
    static constexpr int ConsolePageIndex = 3;
    static constexpr int GeoFenceCount = 64;

    // Set by the geo-fence page; without it a command 8 answer is checked and only advances.
    void SetGeoFenceAnswerHandler(TGeoFenceAnswerHandler handler) { FGeoFenceAnswer = std::move(handler); }

    // A read-back swaps in a dispatcher of its own that fills a settings model instead.
    virtual void DispatchResponse(const QByteArray& payload);
    // As DispatchResponse, but the last answer of an exchange shows no tip: the caller says
    // itself how the exchange ended.
    void DispatchWithoutTip(const QByteArray& payload);

    // The conversions of the command table.
    // Field i; raises when the answer has no such field.
    static const QByteArray& Field(const TResponseFields& fields, int index);
    // int(f, d): a decimal integer with optional sign, d for anything else.
    static int32_t IntField(const TResponseFields& fields, int index, int32_t def);
    // strict int(f): as int, but anything else raises.
    static int32_t StrictIntField(const TResponseFields& fields, int index);

private:
    void ApplyStatus(const TResponseFields& fields);
    void ApplyCommand(int32_t cmdNo, const TResponseFields& fields, const QByteArray& payload);
    void ApplySettings(const QByteArray& payload);
    void ApplyGeoFence(const TResponseFields& fields);
    void ShowTipWhenDone();

    TDispatchTargets T;
    TTrackerSettings FOwnSettings;
    std::optional<TSettingsView> FView;
    TGeoFenceAnswerHandler FGeoFenceAnswer;
    bool FNoTip = false;
};
