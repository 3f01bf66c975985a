#pragma once

#include "fleet/ProvisionJob.h"
#include "fleet/TrackerSession.h"

#include <QObject>
#include <QSet>
#include <QTimer>

// One port of a provisioning station, on its own session. Continuous slots wait for a tracker
// to answer, provision it, append its report row, wait until it is gone (silent or unplugged)
// and then for the next one; a slot whose device is missing or unplugged reopens it by itself.
// A single slot provisions whatever answers once and ends. Nothing a slot does waits for another.
class TStationSlot : public QObject {
    Q_OBJECT
public:
    enum class TState {
        Idle,       // not started, or stopped
        NoDevice,   // the device cannot be opened (yet)
        Waiting,    // for a tracker to answer
        Running,    // provisioning one
        Done,       // its result stands until the tracker is taken away
    };

    TStationSlot(const QString& device, const TProvisionPlan& plan, QObject* parent = nullptr);
    ~TStationSlot() override;

    // The report the rows go to; empty: no rows, unless DailyReport.
    QString ReportPath;
    // Each row goes to the report of the day it is appended on (a run through midnight starts
    // the next day's file).
    bool DailyReport = false;
    // Identifiers already provisioned, shared by the slots of a run; null: not kept. A tracker
    // found in it ends as "again" without a write (ProvisionNow writes it after all); one that
    // passes joins it.
    QSet<QString>* Provisioned = nullptr;

    void StartContinuous();
    void StartOnce();
    // Ends at once, cleanly: nothing more is sent, no row is added and the port closes. True
    // when a tracker's run was cut short (CurrentRun says how far it came).
    bool Stop();
    // The tracker whose result stands ("again") is provisioned after all.
    void ProvisionNow();
    const TProvisionResult& CurrentRun() const { return FJob.Result(); }

    QString Device() const { return FDevice; }
    // The stable name of the port: /dev/serial/by-path, else by-id, else the device.
    QString SlotName() const { return FSlotName; }
    TState State() const { return FState; }
    const TProvisionResult& LastResult() const { return FLast; }
    TTrackerSession& Session() { return FSession; }

    // How often a waiting slot asks whether a tracker is there.
    static constexpr int PollMs = 1000;

signals:
    void StateChanged(TState state);
    void StepStarted(int step, const QString& text);
    void Identified(const QString& identifier, const QString& firmware);
    void Progress(int percent);
    // A tracker's run ended; its row is appended (or ReportFailed said why not) by then.
    void TrackerEnded(const TProvisionResult& result);
    void ReportFailed(const QString& message);

private:
    void SetState(TState state);
    void Poll();
    void OnPollAnswer(TExchangeResult result);
    void StartJob();
    void OnJobEnded(const TProvisionResult& result);
    bool EnsureOpen();

    QString FDevice;
    QString FSlotName;
    TProvisionPlan FPlan;
    TTrackerSession FSession;
    TProvisionJob FJob;
    QTimer FPoll;
    TState FState = TState::Idle;
    bool FContinuous = false;
    bool FPolling = false;
    QString FLastIdentifier; // of the tracker whose result stands
    QString FOpenError;      // why the device could not be opened last
    TProvisionResult FLast;
};

// The stable name of a serial device: its /dev/serial/by-path link, else its by-id link, else
// the device itself.
QString SlotNameOf(const QString& device);
// The USB serial devices present now (ttyUSB, ttyACM; on Windows every COM port), in natural order.
QStringList UsbSerialDevices();
