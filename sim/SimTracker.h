#pragma once

#include "sim/PseudoTerminal.h"
#include "sim/SimFaults.h"
#include "sim/SimState.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

// A Tovrik tracker in software on the far side of a pseudo-terminal. It cuts the commands out
// of the byte stream with the program's own frame codec, answers each from its state (framed
// like a command, one answer per command) and misbehaves on request (TSimFaults). It runs on a
// thread of its own; every accessor may be called from any thread.
class TSimTracker {
public:
    TSimTracker();
    ~TSimTracker();
    TSimTracker(const TSimTracker&) = delete;
    TSimTracker& operator=(const TSimTracker&) = delete;

    // Opens a new pseudo-terminal and starts answering; false with the reason in *error.
    // After a hang-up, Start again brings the tracker back (on a new device path). With a link
    // path set, the link is made to the new device once the tracker answers on it.
    bool Start(QString* error = nullptr);
    // Stops and closes the pseudo-terminal (a port that has it open sees a hang-up); the link
    // goes first.
    void Stop();
    bool IsRunning() const;

    // The device a serial port opens, e.g. /dev/pts/5. It names this tracker only while the
    // tracker runs: once the pseudo-terminal is closed, the next one opened anywhere on the
    // machine may get its number. Whatever opens a tracker again after it went away (a
    // station waiting for the next one) opens the link instead.
    QString DevicePath() const;

    // A stable name, as /dev/serial/by-id gives a USB adapter: a symbolic link at this path to
    // the device, there while the tracker is plugged in and gone while it is away. Put it in a
    // folder of the caller's own (a QTemporaryDir), never in a shared one. Set before Start;
    // empty (the default) for none. A path that holds anything but a symbolic link is refused
    // at Start rather than overwritten.
    void SetLinkPath(const QString& path);
    QString LinkPath() const;
    // What a port opens to reach this tracker: the link when there is one, else the device.
    QString PortPath() const;

    // The tracker is pulled out: its link goes first, then the line hangs up and the device
    // vanishes. The device's number stays taken until the tracker is plugged in again or
    // stopped, so nothing else appears under its old path meanwhile.
    void Unplug();
    // Plugged in again, settings kept: a fresh pseudo-terminal (never the number it had) and
    // the link made again to it. The same as Start; false with the reason in *error.
    bool Replug(QString* error = nullptr);

    TSimState State() const;
    void SetState(const TSimState& state);
    TSimFaults Faults() const;
    void SetFaults(const TSimFaults& faults);

    // The command texts received, in order, as "(P05,0)".
    QList<QByteArray> ReceivedCommands() const;
    void ClearReceivedCommands();
    // Answers sent (each counted once, whatever the faults did to it).
    int AnsweredCount() const;
    // True once the tracker hung up (fault HangUpAfter, Unplug or Stop). A hang-up by the
    // fault takes the link away first too, and holds the number as Unplug does.
    bool HungUp() const;

    // Sends one unsolicited battery report "(identifier,P16,level)" now.
    void SendBatteryReport();

private:
    using TClock = std::chrono::steady_clock;
    struct TOutgoing {
        TClock::time_point Due;
        QByteArray Bytes;
        bool HangUpAfter = false;
    };

    void Run();
    void Wake();
    void HaltThread();
    bool MakeLink(QString* error);
    void RemoveLink();
    void ReceiveBytes();
    void HandleCommand(const QByteArray& command);
    void QueueFrame(const QByteArray& payload, const TSimFaults& faults, bool hangUpAfter);
    bool FlushDue(); // false once the tracker hung up
    int NextTimeoutMs() const;

    TPseudoTerminal FPty;
    std::thread FThread;
    int FWakeHandle = -1;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FBatteryNow{false};

    mutable std::mutex FMutex; // guards the members below
    TSimState FState;
    TSimFaults FFaults;
    QList<QByteArray> FReceived;
    int FAnswered = 0;
    bool FHungUp = false;
    bool FHangUpPending = false; // the last answer before the hang-up has been queued
    bool FRunning = false;
    QString FDevicePath;
    QString FLinkPath;

    // Owned by the tracker's thread.
    QByteArray FRxBuffer;
    std::deque<TOutgoing> FOutgoing;
    TClock::time_point FNextBattery;
};
