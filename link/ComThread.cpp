#include "link/ComThread.h"

#include "link/ComPort.h"

TComThread::TComThread(TCustomComPort& port, int handle, int wakeHandle)
    : FPort(port), FHandle(handle), FWakeHandle(wakeHandle)
{
    setObjectName(QStringLiteral("TComThread"));
}

TComThread::~TComThread()
{
    RequestStop();
    wait();
    FRunEnded.load(std::memory_order_acquire);
    SerialBackend::CloseWakeHandle(FWakeHandle);
}

void TComThread::RequestStop()
{
    FStop.store(true);
    SerialBackend::SignalWake(FWakeHandle);
}

void TComThread::SetInputWatched(bool watched)
{
    if (FInputWatched.exchange(watched) != watched)
        SerialBackend::SignalWake(FWakeHandle);
}

void TComThread::run()
{
    while (!FStop.load()) {
        SerialBackend::TLineEvents events;
        SerialBackend::WaitForEvents(FHandle, FInputWatched.load(), FWakeHandle, events);
        // Once stopped, the tty may already be closed (and its number reused): touch nothing.
        if (FStop.load())
            break;
        if (events.Woken) {
            SerialBackend::ClearWake(FWakeHandle);
            if (!events.Input && !events.HangUp && !events.LineError && events.WaitError == 0)
                continue;
        }
        TNext next = TNext::Stop;
        FHandOvers.fetch_add(1, std::memory_order_release); // the event set goes over
        QMetaObject::invokeMethod(
            &FPort,
            [&] {
                FHandOvers.load(std::memory_order_acquire);
                next = FPort.HandleLineEvents(*this, events);
                FHandOversReturned.fetch_add(1, std::memory_order_release); // the answer comes back
            },
            Qt::BlockingQueuedConnection);
        FHandOversReturned.load(std::memory_order_acquire);
        if (next == TNext::Stop)
            break;
    }
    FRunEnded.store(true, std::memory_order_release);
}
