// The Win32 serial backend on a real COM port: under Wine a pseudo-terminal with the simulated
// tracker on its other side. Every call goes to the system; the test looks at what the system
// then reports (the DCB, the time-outs, the input queue) and at the tracker's answers.
#include "link/ComPortError.h"
#include "link/SerialBackend.h"
#include "link/Win32SerialBackend.h"
#include "support_wine_port.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

// Lean: the full header renames SetPort (a printer call) and other names the program uses.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// A port opened through the backend, closed at the end of the scope.
struct TOpenPort {
    int Handle = SerialBackend::InvalidHandle;
    int Error = 0;
    explicit TOpenPort(const QString& name) { Error = SerialBackend::OpenDevice(name.toLocal8Bit(), Handle); }
    ~TOpenPort() { SerialBackend::CloseDevice(Handle); }
    HANDLE Native() const { return static_cast<HANDLE>(Win32Serial::NativeHandle(Handle)); }
};

// Waits for line events; a watchdog signals the wake-up handle after watchdogMs, so that a wait
// that never ends fails the test instead of hanging it.
struct TTimedWait {
    SerialBackend::TLineEvents Events;
    qint64 ElapsedMs = 0;
};
TTimedWait WaitWithWatchdog(int handle, bool watchInput, int watchdogMs)
{
    int wake = SerialBackend::InvalidHandle;
    if (SerialBackend::CreateWakeHandle(wake) != 0)
        qFatal("no wake-up handle");
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        QDeadlineTimer deadline(watchdogMs);
        while (!done.load() && !deadline.hasExpired())
            Sleep(5);
        SerialBackend::SignalWake(wake);
    });
    TTimedWait result;
    QElapsedTimer clock;
    clock.start();
    SerialBackend::WaitForEvents(handle, watchInput, wake, result.Events);
    result.ElapsedMs = clock.elapsed();
    done.store(true);
    watchdog.join();
    SerialBackend::CloseWakeHandle(wake);
    return result;
}

bool SendQuery(int handle)
{
    const QByteArray query = WinePort::StatusQuery();
    int64_t written = 0;
    return SerialBackend::WriteAll(handle, query.constData(), query.size(), 2000, 9600, written) == 0 &&
           written == query.size();
}

// Waits until the driver holds at least count bytes and no more arrive for a moment.
int32_t WaitForQueuedInput(int handle, int32_t count)
{
    QDeadlineTimer deadline(5000);
    int32_t waiting = 0;
    int32_t before = -1;
    while (!deadline.hasExpired()) {
        if (SerialBackend::PendingInput(handle, waiting) != 0)
            return -1;
        if (waiting >= count && waiting == before)
            return waiting;
        before = waiting;
        Sleep(100);
    }
    return waiting;
}

QByteArray ReadAll(int handle)
{
    QByteArray bytes;
    char chunk[256];
    for (;;) {
        int32_t got = 0;
        bool hungUp = false;
        if (SerialBackend::ReadAvailable(handle, chunk, int32_t(sizeof chunk), got, hungUp) != 0 || got == 0)
            return bytes;
        bytes.append(chunk, got);
    }
}

} // namespace

class TestWin32Serial : public QObject {
    Q_OBJECT
    QString FPort;

private slots:
    void initTestCase() { FPort = WinePort::Named("TOVRIK_TEST_COM"); }

    // 8N1, binary, no flow control of any kind, DTR and RTS on, at the speed asked for; reads
    // that return at once.
    void lineSettingsReachTheDriver()
    {
        TOpenPort port(FPort);
        QCOMPARE(port.Error, 0);
        QVERIFY(port.Handle >= 0);
        QCOMPARE(SerialBackend::ApplyLineSettings(port.Handle, 9600), 0);
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        QVERIFY(GetCommState(port.Native(), &dcb));
        QCOMPARE(dcb.BaudRate, DWORD(9600));
        QCOMPARE(int(dcb.ByteSize), 8);
        QCOMPARE(int(dcb.Parity), NOPARITY);
        QCOMPARE(int(dcb.StopBits), ONESTOPBIT);
        QVERIFY(dcb.fBinary);
        QVERIFY(!dcb.fOutxCtsFlow && !dcb.fOutxDsrFlow && !dcb.fOutX && !dcb.fInX);
        QCOMPARE(int(dcb.fDtrControl), DTR_CONTROL_ENABLE);
        QCOMPARE(int(dcb.fRtsControl), RTS_CONTROL_ENABLE);

        QCOMPARE(SerialBackend::ApplyLineSettings(port.Handle, 115200), 0);
        int32_t speed = 0;
        QCOMPARE(SerialBackend::ReadLineSpeed(port.Handle, speed), 0);
        QCOMPARE(speed, 115200);

        COMMTIMEOUTS timeouts{};
        QVERIFY(GetCommTimeouts(port.Native(), &timeouts));
        QCOMPARE(timeouts.ReadIntervalTimeout, MAXDWORD);
        QCOMPARE(timeouts.ReadTotalTimeoutMultiplier, DWORD(0));
        QCOMPARE(timeouts.ReadTotalTimeoutConstant, DWORD(0));
    }

    // A line without modem lines (the pseudo-terminal) is no failure; one with them reports them
    // as the driver does.
    void modemLinesAsTheDriverHasThem()
    {
        TOpenPort port(FPort);
        QCOMPARE(port.Error, 0);
        QCOMPARE(SerialBackend::RaiseModemLines(port.Handle), 0);
        SerialBackend::TModemLines lines;
        QCOMPARE(SerialBackend::ReadModemLines(port.Handle, lines), 0);
        DWORD status = 0;
        if (GetCommModemStatus(port.Native(), &status)) {
            QVERIFY(lines.Present);
            QCOMPARE(lines.CTS, (status & MS_CTS_ON) != 0);
            QCOMPARE(lines.DSR, (status & MS_DSR_ON) != 0);
            QCOMPARE(lines.RLSD, (status & MS_RLSD_ON) != 0);
        } else {
            const DWORD error = GetLastError();
            QVERIFY2(error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED,
                     qPrintable(QStringLiteral("GetCommModemStatus failed with %1").arg(error)));
            QVERIFY(!lines.Present);
        }
    }

    // A query goes out whole and the tracker's answer comes back through the event wait.
    void queryAndAnswer()
    {
        TOpenPort port(FPort);
        QCOMPARE(port.Error, 0);
        QCOMPARE(SerialBackend::ApplyLineSettings(port.Handle, 9600), 0);
        QCOMPARE(SerialBackend::Purge(port.Handle), 0);
        QVERIFY(SendQuery(port.Handle));
        QByteArray received;
        QDeadlineTimer deadline(5000);
        QList<QByteArray> answers;
        while (answers.isEmpty() && !deadline.hasExpired()) {
            const TTimedWait wait = WaitWithWatchdog(port.Handle, true, 3000);
            QCOMPARE(wait.Events.WaitError, 0);
            QVERIFY2(wait.Events.Input, "the wait ended without input");
            received += ReadAll(port.Handle);
            answers = WinePort::StatusAnswers(received);
        }
        QCOMPARE(answers.size(), 1);
        QCOMPARE(answers[0].size(), 10);
    }

    // Input is level-triggered: bytes that wait in the driver end every wait at once, also
    // those that arrived before the wait began and those left after a partial read. Without
    // bytes the wait lasts until the wake-up handle.
    void inputIsReportedWhileBytesWait()
    {
        TOpenPort port(FPort);
        QCOMPARE(port.Error, 0);
        QCOMPARE(SerialBackend::ApplyLineSettings(port.Handle, 9600), 0);
        QCOMPARE(SerialBackend::Purge(port.Handle), 0);
        QVERIFY(SendQuery(port.Handle));
        const int32_t queued = WaitForQueuedInput(port.Handle, 12);
        QVERIFY2(queued >= 12, "no answer reached the driver");

        TTimedWait wait = WaitWithWatchdog(port.Handle, true, 3000);
        QVERIFY(wait.Events.Input);
        QVERIFY2(wait.ElapsedMs < 1000, qPrintable(QString::number(wait.ElapsedMs)));

        char three[3];
        int32_t got = 0;
        bool hungUp = false;
        QCOMPARE(SerialBackend::ReadAvailable(port.Handle, three, 3, got, hungUp), 0);
        QCOMPARE(got, 3);
        QVERIFY(!hungUp);
        wait = WaitWithWatchdog(port.Handle, true, 3000);
        QVERIFY(wait.Events.Input);
        QVERIFY(wait.ElapsedMs < 1000);
        QCOMPARE(ReadAll(port.Handle).size(), qsizetype(queued - 3));

        wait = WaitWithWatchdog(port.Handle, true, 400);
        QVERIFY(wait.Events.Woken);
        QVERIFY(!wait.Events.Input);
        QCOMPARE(wait.Events.WaitError, 0);
        QVERIFY2(wait.ElapsedMs >= 350, qPrintable(QString::number(wait.ElapsedMs)));
    }

    // While the port's buffer is full input is not watched: waiting bytes do not end the wait,
    // and they are still there when input is watched again.
    void unwatchedInputWaits()
    {
        TOpenPort port(FPort);
        QCOMPARE(port.Error, 0);
        QCOMPARE(SerialBackend::ApplyLineSettings(port.Handle, 9600), 0);
        QCOMPARE(SerialBackend::Purge(port.Handle), 0);
        QVERIFY(SendQuery(port.Handle));
        const int32_t queued = WaitForQueuedInput(port.Handle, 12);
        QVERIFY(queued >= 12);

        TTimedWait wait = WaitWithWatchdog(port.Handle, false, 400);
        QVERIFY(wait.Events.Woken);
        QVERIFY(!wait.Events.Input);
        QCOMPARE(wait.Events.WaitError, 0);
        QVERIFY(wait.ElapsedMs >= 350);
        int32_t still = 0;
        QCOMPARE(SerialBackend::PendingInput(port.Handle, still), 0);
        QCOMPARE(still, queued);

        wait = WaitWithWatchdog(port.Handle, true, 3000);
        QVERIFY(wait.Events.Input);
        QVERIFY(wait.ElapsedMs < 1000);
    }

    // Purge discards what waits in the driver.
    void purgeEmptiesTheInputQueue()
    {
        TOpenPort port(FPort);
        QCOMPARE(port.Error, 0);
        QCOMPARE(SerialBackend::ApplyLineSettings(port.Handle, 9600), 0);
        QVERIFY(SendQuery(port.Handle));
        QVERIFY(WaitForQueuedInput(port.Handle, 12) >= 12);
        QCOMPARE(SerialBackend::Purge(port.Handle), 0);
        int32_t waiting = -1;
        QCOMPARE(SerialBackend::PendingInput(port.Handle, waiting), 0);
        QCOMPARE(waiting, 0);
    }

    // A port that does not exist gives the system's "file not found"; the window's box reads
    // "Unable to open com port (Error: 2)".
    void missingPortIsFileNotFound()
    {
        TOpenPort port(WinePort::Named("TOVRIK_TEST_MISSING_COM"));
        QCOMPARE(port.Error, int(ERROR_FILE_NOT_FOUND));
        QCOMPARE(port.Handle, SerialBackend::InvalidHandle);
        QCOMPARE(EComPort(TComError::OpenFailed, port.Error).Message(), QStringLiteral("Unable to open com port (Error: 2)"));
    }

    // A file opens, but is no serial line: refused, and nothing is left open.
    void aFileIsNoPort()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = QDir::toNativeSeparators(dir.filePath(QStringLiteral("not-a-port.txt")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("(0123456789,T01)");
        file.close();
        const int before = Win32Serial::OpenHandleCount();
        int handle = 0;
        QVERIFY(SerialBackend::OpenDevice(path.toLocal8Bit(), handle) != 0);
        QCOMPARE(handle, SerialBackend::InvalidHandle);
        QCOMPARE(Win32Serial::OpenHandleCount(), before);
        QVERIFY(QFile::remove(path)); // the file is not held open either
    }

    // Opening and closing many times leaves no port or wake-up handle behind, and each close
    // really closes the system's handle (the old one is invalid afterwards).
    void openCloseLeavesNothingBehind()
    {
        const int before = Win32Serial::OpenHandleCount();
        for (int i = 0; i < 25; ++i) {
            HANDLE native = nullptr;
            {
                TOpenPort port(FPort);
                QCOMPARE(port.Error, 0);
                native = port.Native();
                QVERIFY(native != nullptr && native != INVALID_HANDLE_VALUE);
                int wake = SerialBackend::InvalidHandle;
                QCOMPARE(SerialBackend::CreateWakeHandle(wake), 0);
                QCOMPARE(Win32Serial::OpenHandleCount(), before + 2);
                SerialBackend::CloseWakeHandle(wake);
                // A wait that is pending when the port closes is ended with it.
                const TTimedWait wait = WaitWithWatchdog(port.Handle, true, 30);
                QVERIFY(wait.Events.Woken);
            }
            DCB dcb{};
            dcb.DCBlength = sizeof dcb;
            SetLastError(0);
            QVERIFY(!GetCommState(native, &dcb));
            QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        }
        QCOMPARE(Win32Serial::OpenHandleCount(), before);
    }

};

QTEST_GUILESS_MAIN(TestWin32Serial)
#include "test_win32_serial.moc"
