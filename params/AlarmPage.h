#pragma once

#include "params/TrackerSettings.h"

#include <QByteArray>
#include <QList>
#include <QWidget>
#include <memory>

class QPushButton;
class TCmdQueue;
class TRadioGroup;

// The "Alarm Setting" page: five alarm channels, each a radio group of "All Close", "GPRS",
// "SMS", "All Open", sent in their fixed positions as command 22. Its Read and Write buttons are
// not command buttons: they stay usable during an exchange and start one of their own. Its
// Write takes the choices into the settings model and sends the write the model encodes.
class TAlarmPage : public QWidget {
    Q_OBJECT
public:
    TAlarmPage(TCmdQueue& queue, QWidget* parent = nullptr);

    static constexpr int GroupCount = 5;
    static const QStringList& ChoiceTexts();

    void btnAlarmReadClick();
    void btnAlarmSetClick();
    // The selected item indices of the five groups joined by ","; a group with nothing selected
    // adds nothing, not even its comma.
    QByteArray AlarmText() const;
    // Takes the choices into the page's model and queues their write.
    void QueueAlarmWrite();

    // The settings model the page's Write takes the choices into; the window hands the page its
    // own, a page alone has one of its own.
    void SetSettings(TTrackerSettings* settings);
    TTrackerSettings& Settings() const { return *FSettings; }
    // "alarm_1" .. "alarm_5".
    static const QStringList& Keys();
    // Selects the model's choice of a channel, as an answer does; false for another key.
    bool ShowSetting(const TTrackerSettings& settings, const QString& key);
    // Puts a channel's choice into the model (its item index, empty with none selected); false
    // for another key.
    bool TakeSetting(TTrackerSettings& settings, const QString& key) const;

    // Group at position 1..5.
    TRadioGroup* Group(int position) const { return FGroups.value(position - 1); }

    TRadioGroup* RdGrp_01;
    TRadioGroup* RdGrp_02;
    TRadioGroup* RdGrp_03;
    TRadioGroup* RdGrp_04;
    TRadioGroup* RdGrp_05;
    QPushButton* btnAlarmRead;
    QPushButton* btnAlarmSet;

private:
    TCmdQueue& FQueue;
    QList<TRadioGroup*> FGroups;
    std::unique_ptr<TTrackerSettings> FOwnSettings;
    TTrackerSettings* FSettings;
};
