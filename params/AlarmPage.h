#pragma once

#include <QByteArray>
#include <QList>
#include <QWidget>

class QPushButton;
class TCmdQueue;
class TRadioGroup;

// The "Alarm Setting" page: five alarm channels, each a radio group of "All Close", "GPRS",
// "SMS", "All Open", sent in their fixed positions as command 22. Its Read and Write buttons are
// not command buttons: they stay usable during an exchange and start one of their own.
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
    void QueueAlarmWrite();

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
};
