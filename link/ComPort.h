#pragma once

#include "link/BaudRate.h"
#include "link/ComPortError.h"
#include "link/ComThread.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// The serial port: opens the device, applies the line settings (8N1, no flow control, DTR and
// RTS raised), waits for line events on its event thread and delivers them on the thread that
// owns the port (the user-interface thread), reads what is waiting and writes with a bounded
// completion wait. Failures are EComPort errors with fixed texts.
//
// Received bytes are taken out of the driver when their event is handled and kept in a bounded
// receive buffer until ReadBytes collects them, so the level-triggered wait never reports the
// same bytes twice. A full buffer stops the watching for input until the owner reads.
//
// A lost line (the device hangs up, an adapter is pulled out, a read fails while an event is
// handled) closes the port and is reported once through OnLineLost; the event thread ends.
class TCustomComPort : public QObject {
    Q_OBJECT
public:
    explicit TCustomComPort(QObject* parent = nullptr);
    // Closes the port without raising any event.
    ~TCustomComPort() override;

    // The device, e.g. "/dev/ttyUSB0" or, on Windows, "COM5". Setting it while open reopens
    // the port.
    QString Port() const { return FPort; }
    void SetPort(const QString& device);
    TBaudRate BaudRate() const { return FBaudRate; }
    // Setting it while open applies it at once.
    void SetBaudRate(TBaudRate rate);

    void OpenPort();
    void ClosePort();
    bool Connected() const { return FConnected; }

    // Up to count bytes that are waiting; never blocks.
    QByteArray ReadBytes(int32_t count);
    // Writes all bytes and waits until they are out, at most 100 ms per byte + 1000 ms.
    int32_t WriteBytes(const QByteArray& bytes);
    // Bytes received and not yet read.
    int32_t PendingInputCount();

    // Events, run on the port's own thread.
    std::function<void()> OnAfterOpen;
    std::function<void()> OnAfterClose;
    std::function<void(int32_t count)> OnRxChar;
    // The line was lost; the port is already closed (OnAfterClose has run). Reported once.
    std::function<void(const QString& message)> OnLineLost;
    // Linked observers (the connection lamp): told before OnAfterOpen and before OnAfterClose.
    void AddLink(std::function<void(bool connected)> observer);

    // Write time-outs: WriteTotalMultiplier per byte plus WriteTotalConstant.
    static constexpr int64_t WriteTotalMultiplierMs = 100;
    static constexpr int64_t WriteTotalConstantMs = 1000;
    // The receive buffer holds at most this many bytes before input is no longer watched.
    static constexpr int32_t InputBufferLimit = 64 * 1024;

    // For tests: event sets the current event thread has started to hand over.
    uint64_t HandOversStarted() const;
    // For tests: the device handle (-1 while closed).
    int Handle() const { return FHandle; }

    // Called by the event thread through a blocking queued call.
    TComThread::TNext HandleLineEvents(TComThread& thread, const SerialBackend::TLineEvents& events);

private:
    void StopEventThread();
    void ReapEndedThreads();
    // Takes what the driver holds into the receive buffer; false when the line is gone.
    bool DrainDriver(int& error);
    void UpdateInputWatch();
    // Closes after the line was lost and reports it (once: a closed port reports nothing).
    void LoseLine(const QString& message);
    void CloseHandleAndNotify();
    void NotifyLinks(bool connected);

    QString FPort;
    TBaudRate FBaudRate = TBaudRate::br9600;
    int FHandle = -1;
    bool FConnected = false;
    bool FClosing = false;
    QByteArray FRxBuffer;
    std::unique_ptr<TComThread> FThread;
    // Threads told to stop while their hand-over was still running; they end on their own.
    std::vector<std::unique_ptr<TComThread>> FEndingThreads;
    std::vector<std::function<void(bool)>> FLinks;
};

// The port as the window uses it.
class TComPort : public TCustomComPort {
    Q_OBJECT
public:
    using TCustomComPort::TCustomComPort;
};
