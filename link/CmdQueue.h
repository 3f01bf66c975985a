#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>

// One queued command.
struct TCmdItem {
    int32_t CmdNo = 0;
    uint8_t RWFlag = 0;      // 0 read, 1 write
    QByteArray ParamText;    // empty or beginning with ","
    uint8_t IsTCmd = 0;      // non-zero: the "(T..)" status form
};

// What the queue needs of the serial line.
class IByteChannel {
public:
    virtual ~IByteChannel() = default;
    virtual bool IsOpen() const = 0;
    // Writes all bytes and returns when they are out; raises EAppError on failure.
    virtual void WriteFrame(const QByteArray& frame) = 0;
};

// What the queue tells the window.
class ICmdQueueHost {
public:
    virtual ~ICmdQueueHost() = default;
    virtual void SetCommandButtonsEnabled(bool enabled) = 0;
    virtual void SetProgressTotal(int total) = 0;
    virtual void SetProgressComplete(int complete) = 0;
    virtual void LogSeparator() = 0;
    virtual void LogSent(const QString& word, const QByteArray& commandText) = 0;
    virtual void LogReceived(const QString& word, const QByteArray& payload) = 0;
    virtual QString Translate(const QString& text) = 0;
    // Applies one answer; may raise. Calls AdvanceCmdQueue for every applied answer.
    virtual void DispatchResponse(const QByteArray& payload) = 0;
};

// Runs every exchange with the tracker strictly one command at a time: the next command goes out
// 50 ms after the answer to the previous one was applied; three ticks of the one-second timer
// without an answer end the exchange silently, keeping the unsent items.
class TCmdQueue : public QObject {
    Q_OBJECT
public:
    TCmdQueue(ICmdQueueHost& host, IByteChannel& channel, QObject* parent = nullptr);
    ~TCmdQueue() override;

    void ClearCmdQueue();
    void QueueCmd(int32_t cmdNo, uint8_t rwFlag, bool isTCmd, const QByteArray& paramText);
    void StartCmdQueue(bool resetProgress);
    // StartCmdQueue(true) for a request a user's action made: a send that fails (the write
    // fails or times out, the text cannot be framed) ends the exchange, sends nothing more and
    // shows its message in the "ERROR" box. Returns false then.
    bool StartUserCmdQueue();
    void SendCmd(int32_t cmdNo, uint8_t rwFlag, bool isTCmd, const QByteArray& paramText);
    void WriteToPort(const QByteArray& frame);
    // Appends received bytes (bounded) and processes every complete frame.
    void AppendReceived(const QByteArray& bytes);
    void ProcessRxBuffer();
    void AdvanceCmdQueue();
    void SetBusy(bool on);
    void InitProgress(bool reset);
    void WaitWithMessages(int32_t ms);
    void AbortCmdQueue();
    void tmOverTimeTimer();

    static QString DirectionWord(uint8_t rwFlag);

    const QList<TCmdItem>& CmdQueue() const { return FItems; }
    qsizetype Count() const { return FItems.size(); }
    QByteArray& RxBuffer() { return FRxBuffer; }
    int32_t OverTimeTicks() const { return FOverTimeTicks; }
    int32_t ProgressCounter() const { return FProgressCounter; }
    uint8_t LastRWFlag() const { return FLastRWFlag; }
    // Whether a frame written now goes out (WriteToPort with the line closed sends nothing).
    bool IsChannelOpen() const { return FChannel.IsOpen(); }
    bool IsBusy() const { return FTimer.isActive(); }
    QTimer& tmOverTime() { return FTimer; }
    // True once the head item has gone out; an answer cannot retire an unsent item.
    bool HeadSent() const { return FHeadSent; }

    // The pause between two items, 50 ms; tests and benchmarks keep it.
    static constexpr int32_t PauseMs = 50;
    // Off (the window's way): the start repaints by handling events, the pause handles events
    // in a nested loop and the answer's handler goes on after it. On: no call handles events;
    // the pause is a timer and AdvanceCmdQueue returns at once, so that several queues in one
    // thread never run inside each other.
    void SetWithoutNestedLoops(bool on) { FPauseByTimer = on; }

signals:
    // The third tick without an answer ended the exchange.
    void TimedOut();

private:
    ICmdQueueHost& FHost;
    IByteChannel& FChannel;
    QList<TCmdItem> FItems;
    QByteArray FRxBuffer;
    int32_t FOverTimeTicks = 0;
    int32_t FProgressCounter = 0;
    uint8_t FLastRWFlag = 0;
    QTimer FTimer;
    QTimer FPause;
    bool FPauseByTimer = false;
    bool FHeadSent = false;
    // Grows with every clear and start, so that a pause knows when a new request took over.
    uint64_t FGeneration = 0;
};
