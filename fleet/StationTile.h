#pragma once

#include "fleet/StationSlot.h"

#include <QFrame>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;

// One slot of the provisioning station on screen: its stable name, the step and progress of
// its tracker, then a large PASS or FAIL with the tracker's identifier, firmware and the fields
// that differ. A result stands until the next tracker starts on the slot.
class TStationTile : public QFrame {
    Q_OBJECT
public:
    TStationTile(const QString& device, bool removable, QWidget* parent = nullptr);

    QString Device() const { return FDevice; }
    bool Removable() const { return FRemovable; }
    // The slot of the run in progress, null between runs.
    TStationSlot* Slot() const { return FSlot; }
    void Attach(TStationSlot* slot);
    void Detach();
    // Shows the state of a slot that does not run.
    void ShowIdle();

    QLabel* lblSlotName;
    QLabel* lblSlotStep;
    QProgressBar* pbSlot;
    QLabel* lblSlotResult;
    QLabel* lblSlotTracker;
    QLabel* lblSlotDetails;
    QToolButton* btnSlotRemove;
    QPushButton* btnSlotAgain; // shown with "again": provisions that tracker after all

signals:
    void RemoveClicked();

private:
    void ShowState(TStationSlot::TState state);
    void ShowResult(const TProvisionResult& result);

    QString FDevice;
    bool FRemovable;
    TStationSlot* FSlot = nullptr;
};
