#include "link/ComPort.h"

#include "core/NestedLoops.h"
#include "link/ComThread.h"
#include "link/SerialBackend.h"

#include <QEventLoop>
#include <cerrno>

using TNext = TComThread::TNext;

TCustomComPort::TCustomComPort(QObject* parent) : QObject(parent) {}

TCustomComPort::~TCustomComPort()
{
    OnAfterOpen = nullptr;
    OnAfterClose = nullptr;
    OnRxChar = nullptr;
    OnLineLost = nullptr;
    FLinks.clear();
    try {
        ClosePort();
    } catch (...) {
    }
    FEndingThreads.clear(); // each waits for its thread
}

void TCustomComPort::SetPort(const QString& device)
{
    if (device == FPort)
        return;
    FPort = device;
    if (FConnected) {
        ClosePort();
        OpenPort();
    }
}

void TCustomComPort::SetBaudRate(TBaudRate rate)
{
    if (rate == FBaudRate)
        return;
    FBaudRate = rate;
    if (FConnected)
        if (const int error = SerialBackend::ApplyLineSettings(FHandle, BaudRateValue(FBaudRate)))
            throw EComPort(TComError::SetStateFailed, error);
}

void TCustomComPort::AddLink(std::function<void(bool connected)> observer)
{
    FLinks.push_back(std::move(observer));
}

void TCustomComPort::NotifyLinks(bool connected)
{
    const auto links = FLinks; // an observer may add another
    for (const auto& link : links)
        if (link)
            link(connected);
}

uint64_t TCustomComPort::HandOversStarted() const
{
    return FThread ? FThread->HandOversStarted() : 0;
}

void TCustomComPort::OpenPort()
{
    if (FConnected)
        return;
    ReapEndedThreads();
    int handle = SerialBackend::InvalidHandle;
    if (const int error = SerialBackend::OpenDevice(FPort.toLocal8Bit(), handle))
        throw EComPort(TComError::OpenFailed, error);
    FHandle = handle;
    FConnected = true;
    FRxBuffer.clear();

    // Driver queue sizes and time-outs need no call here (the backend sets what its system
    // needs when it opens the device): reads never block and every write carries its own
    // deadline. Then the line settings, and DTR and RTS raised.
    int error = SerialBackend::ApplyLineSettings(FHandle, BaudRateValue(FBaudRate));
    if (error == 0)
        error = SerialBackend::RaiseModemLines(FHandle);
    if (error != 0) {
        SerialBackend::CloseDevice(FHandle);
        FHandle = SerialBackend::InvalidHandle;
        FConnected = false;
        throw EComPort(TComError::SetStateFailed, error);
    }
    // Bytes that waited in the driver since before this open (a late answer to the last
    // connection) must not join the first frame of this one.
    if (const int purgeError = SerialBackend::Purge(FHandle)) {
        SerialBackend::CloseDevice(FHandle);
        FHandle = SerialBackend::InvalidHandle;
        FConnected = false;
        throw EComPort(TComError::PurgeFailed, purgeError);
    }
    int wake = SerialBackend::InvalidHandle;
    if (const int wakeError = SerialBackend::CreateWakeHandle(wake)) {
        SerialBackend::CloseDevice(FHandle);
        FHandle = SerialBackend::InvalidHandle;
        FConnected = false;
        throw EComPort(TComError::OpenFailed, wakeError);
    }
    FThread = std::make_unique<TComThread>(*this, FHandle, wake);
    FThread->start();

    NotifyLinks(true);
    if (OnAfterOpen)
        OnAfterOpen();
    if (!FConnected)
        return; // closed by the after-open handler
    SerialBackend::TModemLines lines;
    if (const int modemError = SerialBackend::ReadModemLines(FHandle, lines))
        throw EComPort(TComError::ModemStatusFailed, modemError);
}

void TCustomComPort::ClosePort()
{
    ReapEndedThreads();
    // A close requested from inside a handler that runs while this port is already closing
    // (nested message processing) has nothing left to do.
    if (!FConnected || FClosing)
        return;
    FClosing = true;
    int purgeError = SerialBackend::Purge(FHandle);
    if (SerialBackend::IsLineGoneError(purgeError))
        purgeError = 0; // nothing to discard on a line that is gone
    StopEventThread();
    CloseHandleAndNotify();
    // Unlike the driver of old, a failed purge does not keep the port open: it is closed all
    // the same and the failure is reported afterwards.
    if (purgeError != 0)
        throw EComPort(TComError::PurgeFailed, purgeError);
}

void TCustomComPort::CloseHandleAndNotify()
{
    SerialBackend::CloseDevice(FHandle);
    FHandle = SerialBackend::InvalidHandle;
    FConnected = false;
    FClosing = false;
    FRxBuffer.clear();
    NotifyLinks(false);
    if (OnAfterClose)
        OnAfterClose();
}

void TCustomComPort::StopEventThread()
{
    if (!FThread)
        return;
    std::unique_ptr<TComThread> thread = std::move(FThread);
    thread->RequestStop();
    if (thread->InHandOver) {
        // Closed from inside this thread's own hand-over (a handler, or a message box inside
        // one): the thread is blocked until that handler returns, so waiting here would never
        // end. It ends on its own once the hand-over returns; the tty it waited on is not
        // touched again.
        connect(thread.get(), &QThread::finished, this, &TCustomComPort::ReapEndedThreads, Qt::QueuedConnection);
        FEndingThreads.push_back(std::move(thread));
        return;
    }
    // The thread may be blocked handing over an event right now: keep running those calls
    // (they see the closing port and return at once) until the thread has ended.
    const TNestedLoopScope waitForThread;
    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    if (!thread->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
}

void TCustomComPort::ReapEndedThreads()
{
    std::erase_if(FEndingThreads, [](const std::unique_ptr<TComThread>& t) { return t->isFinished(); });
}

bool TCustomComPort::DrainDriver(int& error)
{
    error = 0;
    char chunk[4096];
    while (FRxBuffer.size() < InputBufferLimit) {
        const int32_t room = std::min<int32_t>(int32_t(sizeof chunk), InputBufferLimit - int32_t(FRxBuffer.size()));
        int32_t got = 0;
        bool hungUp = false;
        error = SerialBackend::ReadAvailable(FHandle, chunk, room, got, hungUp);
        if (error != 0)
            return false;
        if (hungUp) {
            error = EIO;
            return false;
        }
        if (got == 0)
            return true;
        FRxBuffer.append(chunk, got);
    }
    return true;
}

void TCustomComPort::UpdateInputWatch()
{
    if (FThread)
        FThread->SetInputWatched(FRxBuffer.size() < InputBufferLimit);
}

TNext TCustomComPort::HandleLineEvents(TComThread& thread, const SerialBackend::TLineEvents& events)
{
    if (&thread != FThread.get() || !FConnected || FClosing)
        return TNext::Stop;
    thread.InHandOver = true;
    QString lost;
    try {
        int error = events.WaitError;
        bool lineGone = error != 0;
        // Bytes that arrived before a hang-up are still delivered.
        if (!lineGone && (events.Input || events.HangUp || events.LineError)) {
            lineGone = !DrainDriver(error);
            if (!lineGone && (events.HangUp || events.LineError)) {
                lineGone = true;
                error = EIO;
            }
        }
        if (!FRxBuffer.isEmpty() && OnRxChar)
            OnRxChar(lineGone ? int32_t(FRxBuffer.size()) : PendingInputCount());
        if (lineGone)
            lost = EComPort(TComError::ReadFailed, error).Message();
    } catch (const EAppError& e) {
        lost = e.Message();
    } catch (const std::exception& e) {
        lost = QString::fromLocal8Bit(e.what());
    }
    // The handler may have closed (or closed and reopened) the port meanwhile.
    const bool current = &thread == FThread.get() && FConnected;
    if (current && !lost.isEmpty())
        LoseLine(lost); // still inside this hand-over, so the thread is left to end on its own
    thread.InHandOver = false;
    if (!current || !lost.isEmpty())
        return TNext::Stop;
    UpdateInputWatch();
    return TNext::Continue;
}

void TCustomComPort::LoseLine(const QString& message)
{
    if (!FConnected || FClosing)
        return;
    FClosing = true;
    SerialBackend::Purge(FHandle); // whatever is left of a dead line; errors are expected
    StopEventThread();
    CloseHandleAndNotify();
    if (OnLineLost)
        OnLineLost(message);
}

QByteArray TCustomComPort::ReadBytes(int32_t count)
{
    if (!FConnected)
        throw EComPort(TComError::PortNotOpen);
    if (count <= 0)
        return {};
    if (FRxBuffer.size() < count) {
        int error = 0;
        if (!DrainDriver(error))
            throw EComPort(TComError::ReadFailed, error);
    }
    const QByteArray bytes = FRxBuffer.left(count);
    FRxBuffer.remove(0, bytes.size());
    UpdateInputWatch();
    return bytes;
}

int32_t TCustomComPort::WriteBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return 0;
    if (!FConnected)
        throw EComPort(TComError::PortNotOpen);
    const int64_t timeoutMs = WriteTotalMultiplierMs * bytes.size() + WriteTotalConstantMs;
    int64_t written = 0;
    // A write that runs out of time is a failure, not a short success: the caller would log a
    // command as sent that the tracker never got whole.
    if (const int error = SerialBackend::WriteAll(FHandle, bytes.constData(), bytes.size(), timeoutMs,
                                                BaudRateValue(FBaudRate), written)) {
        const EComPort failure(TComError::WriteFailed, error);
        // The device went away before its hang-up event was handled: close and report it now.
        if (SerialBackend::IsLineGoneError(error))
            LoseLine(failure.Message());
        throw failure;
    }
    return int32_t(written);
}

int32_t TCustomComPort::PendingInputCount()
{
    if (!FConnected)
        throw EComPort(TComError::PortNotOpen);
    int32_t waiting = 0;
    if (const int error = SerialBackend::PendingInput(FHandle, waiting))
        throw EComPort(TComError::ClearComFailed, error);
    return int32_t(FRxBuffer.size()) + waiting;
}
