#include "link/CmdQueue.h"

#include "core/AppError.h"
#include "core/Clock.h"
#include "core/Dialogs.h"
#include "core/NestedLoops.h"
#include "link/FrameCodec.h"

#include <QCoreApplication>
#include <QEventLoop>

TCmdQueue::TCmdQueue(ICmdQueueHost& host, IByteChannel& channel, QObject* parent)
    : QObject(parent), FHost(host), FChannel(channel)
{
    FTimer.setInterval(1000);
    // A coarse timer may tick up to 5 % late, so an answer 3.1 s after the send could still
    // count as in time; the three-second limit is meant to the tick.
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TCmdQueue::tmOverTimeTimer);
    FPause.setSingleShot(true);
    FPause.setInterval(PauseMs);
    connect(&FPause, &QTimer::timeout, this, [this] {
        if (FItems.isEmpty() || FHeadSent)
            return;
        try {
            StartCmdQueue(false);
        } catch (...) {
            // As after an answer: a send that fails ends the exchange by its time-out.
        }
    });
}

TCmdQueue::~TCmdQueue() = default;

QString TCmdQueue::DirectionWord(uint8_t rwFlag)
{
    return rwFlag == 1 ? QStringLiteral("Write") : QStringLiteral("Read");
}

void TCmdQueue::ClearCmdQueue()
{
    FHost.LogSeparator();
    FRxBuffer.clear();
    FItems.clear();
    ++FGeneration;
    FHeadSent = false;
    FPause.stop();
}

void TCmdQueue::QueueCmd(int32_t cmdNo, uint8_t rwFlag, bool isTCmd, const QByteArray& paramText)
{
    FItems.append(TCmdItem{cmdNo, rwFlag, paramText, uint8_t(isTCmd ? 1 : 0)});
}

void TCmdQueue::InitProgress(bool reset)
{
    if (!reset)
        return;
    FProgressCounter = int32_t(FItems.size());
    FHost.SetProgressTotal(FProgressCounter);
    FHost.SetProgressComplete(0);
    if (FPauseByTimer)
        return;
    const TNestedLoopScope repaint;
    QCoreApplication::processEvents();
}

void TCmdQueue::StartCmdQueue(bool resetProgress)
{
    // Every caller queues at least one item; an empty start only ends the busy state.
    if (FItems.isEmpty()) {
        SetBusy(false);
        return;
    }
    ++FGeneration;
    InitProgress(resetProgress);
    if (FItems.isEmpty()) // emptied while the progress bar was repainted
        return;
    const TCmdItem item = FItems.first();
    SetBusy(true);
    FHeadSent = true;
    SendCmd(item.CmdNo, item.RWFlag, item.IsTCmd != 0, item.ParamText);
}

bool TCmdQueue::StartUserCmdQueue()
{
    try {
        StartCmdQueue(true);
        return true;
    } catch (const EAppError& e) {
        AbortCmdQueue();
        SetBusy(false);
        Dialogs::ShowMessage(QStringLiteral("ERROR"), e.Message(), TMsgIcon::Error);
    } catch (const std::exception& e) {
        AbortCmdQueue();
        SetBusy(false);
        Dialogs::ShowMessage(QStringLiteral("ERROR"), QString::fromLocal8Bit(e.what()), TMsgIcon::Error);
    }
    return false;
}

void TCmdQueue::SendCmd(int32_t cmdNo, uint8_t rwFlag, bool isTCmd, const QByteArray& paramText)
{
    FLastRWFlag = rwFlag;
    const QByteArray text = BuildCmdText(cmdNo, rwFlag, isTCmd, paramText);
    WriteToPort(EncodeFrame(text));
    FHost.LogSent(FHost.Translate(QStringLiteral("Send")), text);
}

void TCmdQueue::WriteToPort(const QByteArray& frame)
{
    if (FChannel.IsOpen()) {
        FChannel.WriteFrame(frame);
        return;
    }
    ClearCmdQueue();
    SetBusy(false);
}

void TCmdQueue::AppendReceived(const QByteArray& bytes)
{
    // Complete frames are cut out first: a read that pushes the buffer past its cap must not
    // take the answers it completes with it.
    FRxBuffer += bytes;
    ProcessRxBuffer();
    CapRxBuffer(FRxBuffer);
}

void TCmdQueue::ProcessRxBuffer()
{
    QByteArray payload;
    while (ExtractFrame(FRxBuffer, payload)) {
        FHost.LogReceived(FHost.Translate(DirectionWord(FLastRWFlag)), payload);
        if (FProgressCounter > 0)
            FHost.SetProgressComplete(FProgressCounter - int32_t(FItems.size()));
        try {
            FHost.DispatchResponse(payload);
        } catch (...) {
            // One bad answer never stops the receive loop; the exchange ends by its time-out.
        }
    }
}

void TCmdQueue::AdvanceCmdQueue()
{
    // An answer that arrives before the head item went out (a second answer to the previous
    // command, arriving inside the pause) must not retire an item that was never sent: dropped.
    if (!FItems.isEmpty() && !FHeadSent)
        return;
    --FProgressCounter;
    FHost.SetProgressComplete(FProgressCounter);
    if (FItems.isEmpty()) {
        SetBusy(false);
        FHost.SetProgressComplete(0);
        return;
    }
    FItems.removeFirst();
    FHeadSent = false;
    if (FItems.isEmpty()) {
        FHost.SetCommandButtonsEnabled(true);
        SetBusy(false);
        return;
    }
    if (FPauseByTimer) {
        FPause.start(); // a clear or an abort meanwhile stops it
        return;
    }
    const uint64_t generation = FGeneration;
    WaitWithMessages(PauseMs);
    if (generation != FGeneration)
        return; // a new request cleared or restarted the queue meanwhile and sent its own item
    if (FItems.isEmpty())
        return;
    StartCmdQueue(false);
}

void TCmdQueue::SetBusy(bool on)
{
    if (on) {
        FHost.SetCommandButtonsEnabled(false);
        FOverTimeTicks = 0;
        if (!FTimer.isActive()) // a running timer keeps its phase; only the tick count restarts
            FTimer.start();
    } else {
        FHost.SetCommandButtonsEnabled(true);
        FTimer.stop();
    }
}

void TCmdQueue::WaitWithMessages(int32_t ms)
{
    // Processes window messages (receive events, timer ticks, user input) while it waits, but
    // sleeps between them instead of spinning.
    const TNestedLoopScope pause;
    const int64_t t0 = Clock::TickCount();
    for (;;) {
        const int64_t elapsed = Clock::TickCount() - t0;
        if (elapsed >= ms || elapsed < 0)
            return;
        QEventLoop loop;
        QTimer::singleShot(int(ms - elapsed), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void TCmdQueue::AbortCmdQueue()
{
    FItems.clear();
    ++FGeneration;
    FPause.stop();
    FHeadSent = false;
    FHost.SetProgressComplete(0);
    FHost.SetProgressTotal(0);
    FOverTimeTicks = 0;
    FTimer.stop();
}

void TCmdQueue::tmOverTimeTimer()
{
    ++FOverTimeTicks;
    if (FOverTimeTicks >= 3) {
        SetBusy(false);
        emit TimedOut();
    }
}
