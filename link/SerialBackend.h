#pragma once

#include <QByteArray>
#include <cstdint>

// The operating system's side of the serial port: every system call of the port layer lives in
// one backend file per platform (PosixSerialBackend.cpp, Win32SerialBackend.cpp; link/CMakeLists
// picks one) and nowhere else. Each call returns 0 on success or the system's error number
// (errno on POSIX, GetLastError() on Windows); the port turns those into EComPort errors with
// their fixed texts. Handles are small non-negative numbers on both platforms.
namespace SerialBackend {

constexpr int InvalidHandle = -1;

// Opens the device for this process alone, for reading and writing, never blocking, not
// inherited by child processes. A device that is no serial line gives an error; so does a
// device that is already open elsewhere.
int OpenDevice(const QByteArray& path, int& handle);
// Releases the exclusive use and closes the handle.
void CloseDevice(int handle);

// Raw 8N1, no parity, no flow control (neither RTS/CTS nor XON/XOFF), receiver on, modem
// control lines ignored for reading, at the given speed in bits per second (speeds such as
// 14400, 56000, 128000 and 256000 included).
int ApplyLineSettings(int handle, int32_t speed);
// The output speed the line runs at (custom speeds included); for tests and diagnostics.
int ReadLineSpeed(int handle, int32_t& speed);
// Raises DTR and RTS. A device without modem lines (a pseudo-terminal) is no failure.
int RaiseModemLines(int handle);

struct TModemLines {
    bool Present = false; // false: the device has no modem lines
    bool CTS = false;
    bool DSR = false;
    bool RLSD = false;
};
int ReadModemLines(int handle, TModemLines& lines);

// Bytes waiting in the driver's input queue.
int PendingInput(int handle, int32_t& count);

// Reads what is waiting, at most max bytes, without blocking. got = 0 when nothing waits.
// hungUp = true when the other side has gone (end of file on a tty); the result is then 0.
int ReadAvailable(int handle, char* buffer, int32_t max, int32_t& got, bool& hungUp);

// Writes all bytes, waiting for room as needed, then waits until the driver has sent them,
// all within timeoutMs. written tells how many bytes went out; a time-out error when the time
// ran out.
int WriteAll(int handle, const char* data, int64_t size, int64_t timeoutMs, int32_t speed,
             int64_t& written);

// Discards data in both driver queues.
int Purge(int handle);

// The wake-up handle that ends an event wait from another thread.
int CreateWakeHandle(int& handle);
void SignalWake(int handle);
void ClearWake(int handle);
void CloseWakeHandle(int handle);

struct TLineEvents {
    bool Woken = false;     // the wake-up handle was signalled
    bool Input = false;     // bytes can be read
    bool HangUp = false;    // the other side hung up
    bool LineError = false; // the device reports an error condition
    int WaitError = 0;      // the wait itself failed (system error number)
};
// Waits without a time limit for line events (input only when watchInput; hang-up and errors
// always) or for the wake-up handle. Input is reported as long as bytes wait in the driver
// (level-triggered). Only the port's event thread waits on a handle.
void WaitForEvents(int handle, bool watchInput, int wakeHandle, TLineEvents& events);

// True when the error number means that the device has gone (hang-up, unplugged adapter).
bool IsLineGoneError(int error);

} // namespace SerialBackend
