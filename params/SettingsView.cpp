#include "params/SettingsView.h"

#include "params/AlarmPage.h"
#include "params/MainSettingsPage.h"
#include "params/TmpHotSpotGroup.h"
#include "params/TrackerSettings.h"

TSettingsView::TSettingsView(TMainSettingsPage& main, TAlarmPage& alarm, TTmpHotSpotGroup& hotSpot)
    : FMain(main), FAlarm(alarm), FHotSpot(hotSpot)
{
}

void TSettingsView::Attach(TTrackerSettings& settings) const
{
    FMain.SetSettings(&settings);
    FAlarm.SetSettings(&settings);
    FHotSpot.SetSettings(&settings);
}

void TSettingsView::Show(const TTrackerSettings& settings, const QString& key) const
{
    if (!FMain.ShowSetting(settings, key) && !FAlarm.ShowSetting(settings, key))
        FHotSpot.ShowSetting(settings, key);
}

void TSettingsView::Show(const TTrackerSettings& settings, const QStringList& keys) const
{
    for (const QString& key : keys)
        Show(settings, key);
}

void TSettingsView::Take(TTrackerSettings& settings, const QString& key) const
{
    if (!FMain.TakeSetting(settings, key) && !FAlarm.TakeSetting(settings, key))
        FHotSpot.TakeSetting(settings, key);
}

void TSettingsView::TakeAll(TTrackerSettings& settings) const
{
    for (const TSettingDef& def : SettingDefs())
        Take(settings, QString::fromLatin1(def.Key));
}
