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
    // After a hang-up, Start again brings the tracker back (on a new device path).
    bool Start(QString* error = nullptr);
    // Stops and closes the pseudo-terminal (a port that has it open sees a hang-up).
    void Stop();
    bool IsRunning() const;

    // The device a serial port opens, e.g. /dev/pts/5.
    QString DevicePath() const;

    TSimState State() const;
    void SetState(const TSimState& state);
    TSimFaults Faults() const;
    void SetFaults(const TSimFaults& faults);

    // The command texts received, in order, as "(P05,0)".
    QList<QByteArray> ReceivedCommands() const;
    void ClearReceivedCommands();
    // Answers sent (each counted once, whatever the faults did to it).
    int AnsweredCount() const;
    // True once the tracker hung up (fault HangUpAfter, or Stop).
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

    // Owned by the tracker's thread.
    QByteArray FRxBuffer;
    std::deque<TOutgoing> FOutgoing;
    TClock::time_point FNextBattery;
};
