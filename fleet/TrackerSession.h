#pragma once

#include "fleet/ExchangeWait.h"
#include "link/CmdQueue.h"
#include "link/ComPort.h"
#include "params/TrackerSettings.h"

#include <QObject>
#include <memory>

// One tracker on one port, without a window: the port, its command queue and the answers
// applied to one settings model. Each operation runs one exchange and ends with Finished; a
// session holds no state outside itself, so several run side by side in one process.
class TTrackerSession : public QObject, private ICmdQueueHost, private IByteChannel {
    Q_OBJECT
public:
    explicit TTrackerSession(QObject* parent = nullptr);
    ~TTrackerSession() override;

    // Opens the device (8N1 at 9600 baud, as the window does); raises EAppError with the
    // port's message when it cannot be opened.
    void Open(const QString& device);
    void Close();
    bool IsOpen() const override;
    // The line's rate; applied at once while open.
    void SetBaudRate(TBaudRate rate) { FPort.SetBaudRate(rate); }
    QString Device() const { return FPort.Port(); }

    // What the answers filled.
    TTrackerSettings& Settings() { return FSettings; }
    const TTrackerSettings& Settings() const { return FSettings; }

    // Sends the requests one at a time and reports the end with Finished: Answered when every
    // request was answered, NoAnswer after the time-out or a lost line, Stopped after Stop.
    // A send that fails ends the exchange at once (NoAnswer, the reason in LastError).
    void Run(const QList<TCmdItem>& requests);
    // The status query with the firmware version.
    void Identify() { Run({{1, 0, {}, 0}, {1, 0, {}, 1}}); }
    void ReadAll() { Run(TTrackerSettings::ReadAllRequests()); }
    // Ends the running exchange at once; nothing more is sent.
    void Stop();
    bool IsRunning() const { return FRunning; }
    QString LastError() const { return FLastError; }

    // Runs the requests and waits for the end, handling this thread's events meanwhile (for a
    // caller at the top of its own program, such as the command line).
    TExchangeResult RunAndWait(const QList<TCmdItem>& requests);

signals:
    void Progress(int complete, int total);
    // Every command sent and every answer received, as the window's log shows them.
    void LogLine(const QString& line);
    void Finished(TExchangeResult result);
    // The line was lost (the tracker unplugged); the port is closed.
    void LineLost(const QString& message);

private:
    // The queue's host.
    void SetCommandButtonsEnabled(bool enabled) override;
    void SetProgressTotal(int total) override;
    void SetProgressComplete(int complete) override;
    void LogSeparator() override {}
    void LogSent(const QString& word, const QByteArray& commandText) override;
    void LogReceived(const QString& word, const QByteArray& payload) override;
    QString Translate(const QString& text) override;
    void DispatchResponse(const QByteArray& payload) override;
    // The port's channel.
    void WriteFrame(const QByteArray& frame) override;

    void End(TExchangeResult result);

    TComPort FPort;
    std::unique_ptr<TCmdQueue> FQueue;
    TTrackerSettings FSettings;
    bool FRunning = false;
    int FTotal = 0;
    quint64 FRunId = 0; // an end looked at later belongs to the exchange that was running then
    QString FLastError;
};
