#pragma once

#include "fleet/FleetTargets.h"
#include "fleet/SettingFields.h"
#include "geo/GeoFenceList.h"

#include <QList>
#include <memory>

class QCheckBox;
class QTabWidget;
class TAlarmPage;
class TMainSettingsPage;
class TStatusPanel;
class TTmpHotSpotGroup;

// A second, never shown set of the settings pages with a dispatcher of its own, so that the
// tracker's answers can be read into it by the same answer code without touching the pages the
// technician edits. It shows no tip. It lives outside the window's object tree, so the window's
// controls are still found by their names alone.
class TShadowSettings {
public:
    explicit TShadowSettings(const TFleetTargets& targets);
    ~TShadowSettings();

    std::shared_ptr<TResponseDispatcher> Dispatcher;
    TMainSettingsPage* Main = nullptr;
    TAlarmPage* Alarm = nullptr;
    TTmpHotSpotGroup* HotSpot = nullptr;
    TStatusPanel* Status = nullptr;
    TGeoFenceList Fences;

    QList<TSettingField> Fields() const;
    QString Identifier() const;
    QString Firmware() const;

private:
    std::unique_ptr<QWidget> FHolder;
};

// A dispatcher that fills the window's own pages as usual but shows no tip: a run that goes on
// after an exchange says itself how it ended.
class TQuietDispatcher {
public:
    explicit TQuietDispatcher(const TFleetTargets& targets);
    ~TQuietDispatcher();
    std::shared_ptr<TResponseDispatcher> Dispatcher;

private:
    std::unique_ptr<QCheckBox> FNoTip; // never shown, never checked
};
