#include "link/Win32SerialBackend.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace {

// A port and what its overlapped calls need. Reads and writes run on the port's own thread,
// the event wait only on its event thread; each has its own event object.
struct TPort {
    HANDLE File = INVALID_HANDLE_VALUE;
    HANDLE ReadEvent = nullptr;
    HANDLE WriteEvent = nullptr;
    HANDLE WaitEvent = nullptr;
    // The event thread's WaitCommEvent: it stays pending across waits that end for the wake-up
    // handle, so that no event is lost between two waits.
    OVERLAPPED WaitOverlapped{};
    DWORD WaitMask = 0;
    bool WaitPending = false;
    DWORD ArmedMask = 0; // the mask last given to SetCommMask
};

struct TWake {
    HANDLE Event = nullptr;
};

// Handles are numbers, as on POSIX; these tables hold what they stand for. Lookups hand out
// shared ownership, so that a port that one thread is using stays valid while it does.
std::mutex TableLock;
std::map<int, std::shared_ptr<TPort>> Ports;
std::map<int, std::shared_ptr<TWake>> Wakes;
int NextHandle = 1;

// The pause after a wait that the driver aborted without an event (see WaitForEvents).
constexpr DWORD AbortedWaitPauseMs = 10;

int AddEntry(const std::shared_ptr<TPort>& port, const std::shared_ptr<TWake>& wake)
{
    const std::lock_guard lock(TableLock);
    // Numbers are not reused soon: a stale number held somewhere finds nothing.
    while (Ports.count(NextHandle) || Wakes.count(NextHandle) || NextHandle <= 0)
        NextHandle = NextHandle <= 0 ? 1 : NextHandle + 1;
    const int handle = NextHandle++;
    if (port)
        Ports[handle] = port;
    else
        Wakes[handle] = wake;
    return handle;
}

// What a handle of the table stands for; null for a number it does not hold.
template <typename T>
std::shared_ptr<T> Find(const std::map<int, std::shared_ptr<T>>& table, int handle)
{
    const std::lock_guard lock(TableLock);
    const auto it = table.find(handle);
    return it == table.end() ? nullptr : it->second;
}

// Takes a handle out of the table; what it stood for lives on while a user still holds it.
template <typename T>
std::shared_ptr<T> Take(std::map<int, std::shared_ptr<T>>& table, int handle)
{
    const std::lock_guard lock(TableLock);
    const auto it = table.find(handle);
    if (it == table.end())
        return nullptr;
    std::shared_ptr<T> taken = it->second;
    table.erase(it);
    return taken;
}

std::shared_ptr<TPort> FindPort(int handle) { return Find(Ports, handle); }
std::shared_ptr<TWake> FindWake(int handle) { return Find(Wakes, handle); }

int LastError()
{
    const DWORD error = GetLastError();
    return error == 0 ? int(ERROR_GEN_FAILURE) : int(error);
}

// What a driver without modem-control lines answers: a pseudo-terminal behind Wine says "not
// supported" (50); virtual ports say "invalid function" or "not implemented".
bool NoModemLines(int error)
{
    return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED;
}

void CloseEvent(HANDLE& event)
{
    if (event)
        CloseHandle(event);
    event = nullptr;
}

void ReleasePort(TPort& port)
{
    if (port.File != INVALID_HANDLE_VALUE) {
        if (port.WaitPending) {
            // An empty mask ends the pending WaitCommEvent; its OVERLAPPED must outlive it.
            SetCommMask(port.File, 0);
            CancelIoEx(port.File, &port.WaitOverlapped);
            DWORD ignored = 0;
            GetOverlappedResult(port.File, &port.WaitOverlapped, &ignored, TRUE);
            port.WaitPending = false;
        }
        CloseHandle(port.File);
        port.File = INVALID_HANDLE_VALUE;
    }
    CloseEvent(port.ReadEvent);
    CloseEvent(port.WriteEvent);
    CloseEvent(port.WaitEvent);
}

// Runs an overlapped call to its end: done is what the call transferred.
int FinishOverlapped(HANDLE file, OVERLAPPED& overlapped, BOOL started, DWORD& done)
{
    if (started)
        return 0;
    const int error = LastError();
    if (error != ERROR_IO_PENDING)
        return error;
    if (!GetOverlappedResult(file, &overlapped, &done, TRUE))
        return LastError();
    return 0;
}

} // namespace

namespace SerialBackend {

int OpenDevice(const QByteArray& path, int& handle)
{
    handle = InvalidHandle;
    auto port = std::make_shared<TPort>();
    // No sharing and no inheritance: the port is this process's alone.
    port->File = CreateFileA(Win32Serial::DevicePath(path).constData(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port->File == INVALID_HANDLE_VALUE)
        return LastError();
    int error = 0;
    // A file or another device opens too, but has no comm state.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port->File, &dcb))
        error = LastError();
    if (error == 0 && !SetupComm(port->File, 4096, 4096))
        error = LastError();
    // Reads return at once with what the driver holds; a write is bounded by its own deadline
    // (WriteAll), not by the driver.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    if (error == 0 && !SetCommTimeouts(port->File, &timeouts))
        error = LastError();
    if (error == 0 && !SetCommMask(port->File, EV_RXCHAR | EV_ERR))
        error = LastError();
    port->ArmedMask = EV_RXCHAR | EV_ERR;
    if (error == 0) {
        port->ReadEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        port->WriteEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        port->WaitEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!port->ReadEvent || !port->WriteEvent || !port->WaitEvent)
            error = LastError();
    }
    if (error != 0) {
        ReleasePort(*port);
        return error;
    }
    handle = AddEntry(port, nullptr);
    return 0;
}

void CloseDevice(int handle)
{
    if (const auto port = Take(Ports, handle))
        ReleasePort(*port);
}

int ApplyLineSettings(int handle, int32_t speed)
{
    const auto port = FindPort(handle);
    if (!port)
        return ERROR_INVALID_HANDLE;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port->File, &dcb))
        return LastError();
    dcb.BaudRate = DWORD(speed);
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (!SetCommState(port->File, &dcb))
        return LastError();
    return 0;
}

int ReadLineSpeed(int handle, int32_t& speed)
{
    speed = 0;
    const auto port = FindPort(handle);
    if (!port)
        return ERROR_INVALID_HANDLE;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port->File, &dcb))
        return LastError();
    speed = int32_t(dcb.BaudRate);
    return 0;
}

int RaiseModemLines(int handle)
{
    const auto port = FindPort(handle);
    if (!port)
        return ERROR_INVALID_HANDLE;
    for (const DWORD function : {DWORD(SETDTR), DWORD(SETRTS)}) {
        if (!EscapeCommFunction(port->File, function)) {
            const int error = LastError();
            if (!NoModemLines(error))
                return error;
        }
    }
    return 0;
}

int ReadModemLines(int handle, TModemLines& lines)
{
    lines = TModemLines{};
    const auto port = FindPort(handle);
    if (!port)
        return ERROR_INVALID_HANDLE;
    DWORD status = 0;
    if (!GetCommModemStatus(port->File, &status)) {
        const int error = LastError();
        return NoModemLines(error) ? 0 : error;
    }
    lines.Present = true;
    lines.CTS = (status & MS_CTS_ON) != 0;
    lines.DSR = (status & MS_DSR_ON) != 0;
    lines.RLSD = (status & MS_RLSD_ON) != 0;
    return 0;
}

int PendingInput(int handle, int32_t& count)
{
    count = 0;
    const auto port = FindPort(handle);
    if (!port)
        return ERROR_INVALID_HANDLE;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port->File, &errors, &status))
        return LastError();
    count = int32_t(std::min<DWORD>(status.cbInQue, DWORD(INT32_MAX)));
    return 0;
}

int ReadAvailable(int handle, char* buffer, int32_t max, int32_t& got, bool& hungUp)
{
    got = 0;
    hungUp = false; // a device that has gone answers with an error instead
    if (max <= 0)
        return 0;
    const auto port = FindPort(handle);
    if (!port)
        return ERROR_INVALID_HANDLE;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port->File, &errors, &status))
        return LastError();
    const DWORD wanted = std::min<DWORD>(status.cbInQue, DWORD(max));
    if (wanted == 0)
        return 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = port->ReadEvent;
    ResetEvent(port->ReadEvent);
    DWORD done = 0;
    // With the read time-outs set at open the read ends at once with what is there.
    const BOOL started = ReadFile(port->File, buffer, wanted, &done, &overlapped);
    if (const int error = FinishOverlapped(port->File, overlapped, started, done))
        return error;
    got = int32_t(done);
    return 0;
}

int WriteAll(int handle, const char* data, int64_t size, int64_t timeoutMs, int32_t speed, int64_t& written)
{
    (void)speed; // the driver sends at the line's speed and tells when it is done
    written = 0;
    const auto port = FindPort(handle);
    if (!port)
        return ERROR_INVALID_HANDLE;
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(std::max<int64_t>(timeoutMs, 0));
    while (written < size) {
        const DWORD chunk = DWORD(std::min<int64_t>(size - written, 1 << 20));
        OVERLAPPED overlapped{};
        overlapped.hEvent = port->WriteEvent;
        ResetEvent(port->WriteEvent);
        DWORD done = 0;
        if (!WriteFile(port->File, data + written, chunk, &done, &overlapped)) {
            const int error = LastError();
            if (error != ERROR_IO_PENDING)
                return error;
            const ULONGLONG now = GetTickCount64();
            const DWORD left = now >= deadline ? 0 : DWORD(std::min<ULONGLONG>(deadline - now, INFINITE - 1));
            if (WaitForSingleObject(port->WriteEvent, left) != WAIT_OBJECT_0) {
                // Out of time: take the write back and count what went out before.
                CancelIoEx(port->File, &overlapped);
                GetOverlappedResult(port->File, &overlapped, &done, TRUE);
                written += done;
                return ERROR_TIMEOUT;
            }
            // Signalled means done; waiting covers a driver (Wine) that signals the event a
            // moment before it records the result, which would otherwise read as "incomplete".
            if (!GetOverlappedResult(port->File, &overlapped, &done, TRUE)) {
                const int failure = LastError();
                written += done;
                return failure;
            }
        }
        written += done;
        if (done == 0 && GetTickCount64() >= deadline)
            return ERROR_TIMEOUT;
    }
    return 0;
}

int Purge(int handle)
{
    const auto port = FindPort(handle);
    if (!port)
        return ERROR_INVALID_HANDLE;
    if (!PurgeComm(port->File, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR))
        return LastError();
    return 0;
}

int CreateWakeHandle(int& handle)
{
    handle = InvalidHandle;
    auto wake = std::make_shared<TWake>();
    wake->Event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!wake->Event)
        return LastError();
    handle = AddEntry(nullptr, wake);
    return 0;
}

void SignalWake(int handle)
{
    if (const auto wake = FindWake(handle))
        SetEvent(wake->Event);
}

void ClearWake(int handle)
{
    if (const auto wake = FindWake(handle))
        ResetEvent(wake->Event);
}

void CloseWakeHandle(int handle)
{
    if (const auto wake = Take(Wakes, handle))
        CloseEvent(wake->Event);
}

void WaitForEvents(int handle, bool watchInput, int wakeHandle, TLineEvents& events)
{
    events = TLineEvents{};
    const auto port = FindPort(handle);
    const auto wake = FindWake(wakeHandle);
    if (!port || !wake) {
        events.WaitError = ERROR_INVALID_HANDLE;
        return;
    }
    // Not watching input (the port's buffer is full): only line errors end the wait, so that
    // arriving bytes do not wake this thread for nothing.
    const DWORD wanted = watchInput ? (EV_RXCHAR | EV_ERR) : EV_ERR;
    for (;;) {
        if (port->ArmedMask != wanted) {
            // A pending wait ends (with an empty mask, or aborted) and is armed again below.
            if (!SetCommMask(port->File, wanted)) {
                events.WaitError = LastError();
                return;
            }
            port->ArmedMask = wanted;
        }
        if (!port->WaitPending) {
            port->WaitOverlapped = OVERLAPPED{};
            port->WaitOverlapped.hEvent = port->WaitEvent;
            port->WaitMask = 0;
            ResetEvent(port->WaitEvent);
            if (!WaitCommEvent(port->File, &port->WaitMask, &port->WaitOverlapped)) {
                const int error = LastError();
                if (error != ERROR_IO_PENDING) {
                    events.WaitError = error;
                    return;
                }
                port->WaitPending = true;
            }
        }
        // Bytes in the driver count as input whatever the last event said: EV_RXCHAR tells
        // only of bytes that arrived while a wait was armed. The call also clears line errors
        // (an overrun, a framing error), which need no more than that. A device that has gone
        // fails it.
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port->File, &errors, &status)) {
            events.WaitError = LastError();
            return;
        }
        if (watchInput && status.cbInQue > 0) {
            events.Input = true;
            return;
        }
        if (!port->WaitPending)
            continue; // the wait ended at once: look again, then arm it anew
        const HANDLE objects[2] = {port->WaitEvent, wake->Event};
        const DWORD result = WaitForMultipleObjects(2, objects, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0 + 1) {
            events.Woken = true; // the pending wait stays for the next call
            return;
        }
        if (result != WAIT_OBJECT_0) {
            events.WaitError = LastError();
            return;
        }
        DWORD ignored = 0;
        if (GetOverlappedResult(port->File, &port->WaitOverlapped, &ignored, FALSE)) {
            port->WaitPending = false;
            continue;
        }
        const int error = LastError();
        // Wine may signal the event a moment before it records the result: the wait is then
        // still pending, and is looked at again after the pause below (the event stays set).
        if (error != ERROR_IO_INCOMPLETE)
            port->WaitPending = false;
        if (error != ERROR_OPERATION_ABORTED && error != ERROR_IO_INCOMPLETE) {
            events.WaitError = error;
            return;
        }
        // The driver ended the wait without an event: a changed mask does that, a device being
        // pulled out too (the next ClearCommError fails then), and Wine's pseudo-terminal ports
        // end every wait so after about 10 ms. The line is looked at again; a short pause, which
        // the wake-up handle ends, keeps a driver that aborts waits at once (or whose result
        // lags its event) from spinning.
        if (WaitForSingleObject(wake->Event, AbortedWaitPauseMs) == WAIT_OBJECT_0) {
            events.Woken = true;
            return;
        }
    }
}

bool IsLineGoneError(int error)
{
    // What drivers answer on a handle whose device was unplugged.
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_INVALID_HANDLE:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_NOT_READY:    // Wine: writing to a pseudo-terminal whose other side has closed
    case ERROR_BROKEN_PIPE:  // Wine: reading from it
        return true;
    default:
        return false;
    }
}

} // namespace SerialBackend

namespace Win32Serial {

QByteArray DevicePath(const QByteArray& name)
{
    if (name.startsWith("\\\\"))
        return name;
    return "\\\\.\\" + name;
}

QStringList RegisteredPorts()
{
    QStringList ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return ports;
    // Each value names a driver's device ("\Device\Serial0"); its data is the port's name.
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[256];
        DWORD valueNameLength = 256;
        wchar_t data[256];
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, valueName, &valueNameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &dataBytes);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataBytes / sizeof(wchar_t)] = L'\0'; // the data need not end with its terminator
        const QString port = QString::fromWCharArray(data).trimmed();
        if (!port.isEmpty() && !ports.contains(port, Qt::CaseInsensitive))
            ports << port;
    }
    RegCloseKey(key);
    return ports;
}

void* NativeHandle(int handle)
{
    const auto port = FindPort(handle);
    return port ? port->File : nullptr;
}

int OpenHandleCount()
{
    const std::lock_guard lock(TableLock);
    return int(Ports.size() + Wakes.size());
}

} // namespace Win32Serial
