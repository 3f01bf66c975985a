#pragma once

#include <QString>
#include <QStringList>

class TAlarmPage;
class TMainSettingsPage;
class TTmpHotSpotGroup;
class TTrackerSettings;

// The settings pages together as the view of one settings model: every key of the model's
// field table has its control on one of them. Show puts values on their controls as an answer
// does; Take puts what the controls hold now into the model (see the pages' ShowSetting and
// TakeSetting). Point pages at the model with Attach, so that their Writes take into it too.
class TSettingsView {
public:
    TSettingsView(TMainSettingsPage& main, TAlarmPage& alarm, TTmpHotSpotGroup& hotSpot);

    // The pages' Writes take their controls into `settings` from now on.
    void Attach(TTrackerSettings& settings) const;
    void Show(const TTrackerSettings& settings, const QString& key) const;
    void Show(const TTrackerSettings& settings, const QStringList& keys) const;
    void Take(TTrackerSettings& settings, const QString& key) const;
    // Every setting of the field table.
    void TakeAll(TTrackerSettings& settings) const;

private:
    TMainSettingsPage& FMain;
    TAlarmPage& FAlarm;
    TTmpHotSpotGroup& FHotSpot;
};
